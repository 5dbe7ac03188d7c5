#include "app/ProgressModel.h"

#include <algorithm>
#include <cstdio>

namespace sg {

std::string ProgressModel::PercentLabel(int position) {
    const int percent = (position - kLower) * 100 / (kUpper - kLower);
    char text[16];
    std::snprintf(text, sizeof text, "%d%c", percent == 100 ? 100 : percent % 100, '%');
    return text;
}

bool ProgressModel::ShowLabelFor(int position) {
    std::string text = PercentLabel(position);
    if (text == label_) {
        return false;
    }
    label_ = std::move(text);
    return true;
}

bool ProgressModel::SetPos(int position) {
    shareStart_ = position_;
    done_ = 0;
    known_ = 0;
    position_ = std::clamp(position, kLower, kUpper);
    return ShowLabelFor(position);
}

void ProgressModel::SetSiteWork(int done, int known) {
    known_ = std::max(known, 0);
    done_ = std::clamp(done, 0, known_);
}

void ProgressModel::Complete() {
    SetPos(kUpper);
    shareStart_ = position_;
}

int ProgressModel::ShownPos() const {
    if (position_ <= shareStart_) {
        return position_;
    }
    if (known_ == 0) {
        return shareStart_;
    }
    return shareStart_ +
           static_cast<int>(static_cast<long long>(position_ - shareStart_) * done_ / known_);
}

bool ProgressModel::Busy() const {
    return position_ > shareStart_ && known_ == 0;
}

bool ProgressModel::StepIt() {
    int next = position_ + kStep;
    if (next > kUpper) {
        next = kLower + (next - kUpper);
    }
    position_ = next;
    // A step is no site's share.
    shareStart_ = next;
    return ShowLabelFor(next);
}

bool ProgressModel::OffsetPos(int delta) {
    return SetPos(position_ + delta);
}

}  // namespace sg
