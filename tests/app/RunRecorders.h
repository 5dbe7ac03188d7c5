#pragma once
// Stand-ins for the front end of a run: a progress display that records what it was told (its
// log lines included), and
// scripted answers. Both are read by the test only after the run has been waited for.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/AnalysisFrontEnd.h"
#include "model/ProgressSink.h"

namespace sg::test {

struct RecordingProgress : ProgressSink {
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    int Position() const override { return positions.empty() ? 0 : positions.back(); }
    void SetPosition(int position) override { positions.push_back(position); }
    void Count(ProgressCount what) override {
        ++(what == ProgressCount::PageFetched ? pagesFetched : linksChecked);
    }
    void LogLine(const std::string& text) override { logLines.push_back(text); }
    void SiteWork(int done, int known) override { siteWork.emplace_back(done, known); }

    std::vector<std::string> captions;
    std::vector<std::string> logLines;
    std::vector<int> positions;
    std::vector<std::pair<int, int>> siteWork;
    int pagesFetched = 0;
    int linksChecked = 0;
};

struct ScriptedFrontEnd : AnalysisFrontEnd {
    // Each message as "caption: text", with " (error)" for the error icon.
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        messages.push_back(caption + ": " + text + (icon == MessageIcon::Error ? " (error)" : ""));
    }
    void OpenProjectDialog() override { ++projectDialogs; }
    bool ConfirmCancel(const std::string& question) override {
        questions.push_back(question);
        return answer();
    }
    void RunStarted() override { ++started; }
    void RunFinished(bool cancelled) override { finished.push_back(cancelled); }
    void ReportNotShown(const std::string& path) override { notShown.push_back(path); }

    std::function<bool()> answer = [] { return true; };
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    int projectDialogs = 0;
    int started = 0;
    std::vector<bool> finished;
    std::vector<std::string> notShown;
};

}  // namespace sg::test
