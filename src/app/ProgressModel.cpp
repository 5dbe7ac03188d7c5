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
    position_ = std::clamp(position, kLower, kUpper);
    return ShowLabelFor(position);
}

bool ProgressModel::StepIt() {
    int next = position_ + kStep;
    if (next > kUpper) {
        next = kLower + (next - kUpper);
    }
    position_ = next;
    return ShowLabelFor(next);
}

bool ProgressModel::OffsetPos(int delta) {
    return SetPos(position_ + delta);
}

}  // namespace sg
