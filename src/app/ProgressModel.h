#pragma once
// What a progress window shows, without any window: the title, the bar position and the
// percentage label. The GUI's progress dialog and the CLI's terminal bar both keep one and draw
// from it, so they agree on every number and text.

#include <string>
#include <string_view>

namespace sg {

class ProgressModel {
  public:
    static constexpr int kLower = 0;
    static constexpr int kUpper = 100;
    static constexpr int kStep = 5;
    // The window title until the first analysis names itself.
    static constexpr std::string_view kTitle = "Processing...Please take a break and come back";
    static constexpr std::string_view kInitialLabel = " 0 %";

    ProgressModel() = default;

    // Each returns true when the label text changed: only then does a front end rewrite it.
    // The label is computed from the requested position; the bar itself stays within
    // kLower..kUpper.
    bool SetPos(int position);
    // Adds the step; past kUpper the bar starts over from kLower, as a window bar does.
    bool StepIt();
    bool OffsetPos(int delta);

    int Pos() const { return position_; }
    const std::string& Label() const { return label_; }

    // A site's share of the bar runs from the position before a SetPos to the one it sets (the
    // designed per-site steps, which stay the bar's landmarks and what Pos answers). Within it
    // a front end may show how far the site's work is, instead of the share's end at once:
    // SetSiteWork gives the share a fraction; until then it has none (a busy bar). Complete
    // ends the run's work with the bar at kUpper.
    void SetSiteWork(int done, int known);
    void Complete();
    // The share's start plus its fraction of the share; the share's start while it has no
    // fraction; Pos() when the share is empty.
    int ShownPos() const;
    bool Busy() const;
    // PercentLabel(ShownPos()).
    std::string ShownLabel() const { return PercentLabel(ShownPos()); }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string_view text) { caption_ = text; }

    // The label text for a position: the percentage of the range through "%d%c", where exactly
    // 100 shows "100%" and every other value is taken modulo 100 (so 133 shows "33%").
    static std::string PercentLabel(int position);

  private:
    bool ShowLabelFor(int position);

    int position_ = kLower;
    int shareStart_ = kLower;
    int done_ = 0;
    // 0: the share has no fraction yet.
    int known_ = 0;
    std::string caption_{kTitle};
    std::string label_{kInitialLabel};
};

}  // namespace sg
