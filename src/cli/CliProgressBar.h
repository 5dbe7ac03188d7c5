#pragma once

#include <ostream>
#include <string>

#include "app/ProgressModel.h"
#include "model/ProgressSink.h"

namespace sg {

// The run's progress on the terminal: on a terminal one line redrawn in place (caption, bar,
// percentage); elsewhere (a pipe, a log file) one plain line each time the percentage changes.
// Called on the worker thread only.
class CliProgressBar : public ProgressSink {
  public:
    CliProgressBar(std::ostream& out, bool live) : out_(out), live_(live) {}

    void SetCaption(const std::string& text) override;
    int Position() const override { return model_.Pos(); }
    void SetPosition(int position) override;
    // A line of its own above the bar, which is drawn again below it.
    void LogLine(const std::string& text) override;
    // Ends the live line so that what follows starts on a line of its own.
    void Finish();

  private:
    void Draw();

    std::ostream& out_;
    bool live_;
    bool drawn_ = false;
    std::string printedCaption_;
    ProgressModel model_;
};

}  // namespace sg
