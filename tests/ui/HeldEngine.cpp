#include "ui/HeldEngine.h"

#include <chrono>

#include "engines/EngineHosts.h"

namespace sg::test {

HeldEngine::HeldEngine(const EngineEmulator& emulator, EngineId id, int passedRequests)
    : passed_(passedRequests),
      emulatorPort_(emulator.Port()),
      server_([this](LoopbackConnection& conn) {
          const std::string head = conn.ReadUntilBlankLine();
          const int number = arrived_.fetch_add(1) + 1;
          while (number > passed_ && held_ && !conn.Stopping()) {
              conn.Sleep(std::chrono::milliseconds(5));
          }
          LoopbackConnection upstream = conn.ConnectTo(emulatorPort_);
          if (!upstream.IsOpen() || !upstream.Send(head)) {
              return;
          }
          conn.Send(upstream.ReadUntilClosed());
      }) {
    OverrideEngineHost(std::to_string(EngineIndex(id)) +
                       "=127.0.0.1:" + std::to_string(server_.Port()));
}

}  // namespace sg::test
