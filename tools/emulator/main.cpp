// sitegauge-engine-emulator: the engine emulator as a program of its own, for trying
// sitegauge-cli's "popularity" and "positions" without reaching any real search engine.
//
//   sitegauge-engine-emulator SCRIPT
//
// prints the SITEGAUGE_ENGINE_HOSTS value that points every engine at it, then serves until
// interrupted (Ctrl-C or SIGTERM).

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "demo/EmulatorScript.h"
#include "demo/EngineEmulator.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: sitegauge-engine-emulator SCRIPT\n";
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::cerr << "sitegauge-engine-emulator: cannot open " << argv[1] << '\n';
        return 2;
    }
    std::ostringstream text;
    text << file.rdbuf();

    sg::EngineEmulator emulator;
    std::string error;
    if (const int line = sg::LoadEmulatorScript(emulator, text.str(), error); line != 0) {
        std::cerr << argv[1] << ':' << line << ": " << error << '\n';
        return 2;
    }
    if (!emulator.Start()) {
        std::cerr << "sitegauge-engine-emulator: cannot listen on 127.0.0.1\n";
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    std::cout << "SITEGAUGE_ENGINE_HOSTS=" << emulator.EngineHostsValue() << std::endl;
    while (stopRequested == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    emulator.Stop();
    return 0;
}
