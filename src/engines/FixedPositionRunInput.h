#pragma once
// The input of a Position Analyzer run without a window: the depth and the engine checks are set by
// the caller, the keywords, sites and name come from a project that nobody edits during the run
// (the terminal front end, the tests). Engine checks may change while a run goes on.

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "engines/EngineId.h"
#include "engines/PositionRunInput.h"

namespace sg {

class Project;

class FixedPositionRunInput : public PositionRunInput {
  public:
    // Every engine checked.
    FixedPositionRunInput(const Project& project, int depth);

    void SetEngineChecked(EngineId engine, bool checked);
    void CheckOnly(const std::vector<EngineId>& engines);
    // The live engines the run searches (none unless set); set before the run starts.
    void SetLiveEngines(std::vector<std::string> engines) { live_ = std::move(engines); }
    int RunEndedCount() const { return runEnded_.load(); }

    int Depth() override { return depth_; }
    std::string ProjectName() override;
    bool KeywordAt(int index, std::string& keyword) override;
    std::vector<std::string> Sites() override;
    bool EngineChecked(EngineId engine) override;
    std::vector<std::string> LiveEngines() override { return live_; }
    void RunEnded() override { runEnded_.fetch_add(1); }

  private:
    const Project& project_;
    int depth_;
    std::array<std::atomic<bool>, kEngineCount> checked_;
    std::vector<std::string> live_;
    std::atomic<int> runEnded_{0};
};

}  // namespace sg
