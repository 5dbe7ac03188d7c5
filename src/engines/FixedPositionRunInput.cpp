#include "engines/FixedPositionRunInput.h"

#include "model/Project.h"

namespace sg {

FixedPositionRunInput::FixedPositionRunInput(const Project& project, int depth)
    : project_(project), depth_(depth) {
    for (std::atomic<bool>& checked : checked_) {
        checked.store(true);
    }
}

void FixedPositionRunInput::SetEngineChecked(EngineId engine, bool checked) {
    const int index = static_cast<int>(engine);
    if (index >= 0 && index < kEngineCount) {
        checked_[index].store(checked);
    }
}

void FixedPositionRunInput::CheckOnly(const std::vector<EngineId>& engines) {
    for (std::atomic<bool>& checked : checked_) {
        checked.store(false);
    }
    for (EngineId engine : engines) {
        SetEngineChecked(engine, true);
    }
}

std::string FixedPositionRunInput::ProjectName() {
    return project_.GetName();
}

bool FixedPositionRunInput::KeywordAt(int index, std::string& keyword) {
    if (index < 0 || index >= project_.KeywordCount()) {
        return false;
    }
    keyword = project_.GetKeyword(index);
    return true;
}

std::vector<std::string> FixedPositionRunInput::Sites() {
    std::vector<std::string> sites;
    sites.reserve(project_.UrlCount());
    for (int i = 0; i < project_.UrlCount(); ++i) {
        sites.push_back(project_.GetUrl(i)->GetUrl());
    }
    return sites;
}

bool FixedPositionRunInput::EngineChecked(EngineId engine) {
    const int index = static_cast<int>(engine);
    return index >= 0 && index < kEngineCount && checked_[index].load();
}

}  // namespace sg
