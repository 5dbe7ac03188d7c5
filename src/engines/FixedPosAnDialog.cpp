#include "engines/FixedPosAnDialog.h"

#include "app/Project.h"

namespace sg {

FixedPosAnDialog::FixedPosAnDialog(const Project& project, int depth)
    : project_(project), depth_(depth) {
    for (std::atomic<bool>& checked : checked_) {
        checked.store(true);
    }
}

void FixedPosAnDialog::SetEngineChecked(EngineId engine, bool checked) {
    const int index = static_cast<int>(engine);
    if (index >= 0 && index < kEngineCount) {
        checked_[index].store(checked);
    }
}

void FixedPosAnDialog::CheckOnly(const std::vector<EngineId>& engines) {
    for (std::atomic<bool>& checked : checked_) {
        checked.store(false);
    }
    for (EngineId engine : engines) {
        SetEngineChecked(engine, true);
    }
}

std::string FixedPosAnDialog::ProjectName() {
    return project_.GetName();
}

bool FixedPosAnDialog::KeywordAt(int index, std::string& keyword) {
    if (index < 0 || index >= project_.KeywordCount()) {
        return false;
    }
    keyword = project_.GetKeyword(index);
    return true;
}

std::vector<std::string> FixedPosAnDialog::Sites() {
    std::vector<std::string> sites;
    sites.reserve(project_.UrlCount());
    for (int i = 0; i < project_.UrlCount(); ++i) {
        sites.push_back(project_.GetUrl(i)->GetUrl());
    }
    return sites;
}

bool FixedPosAnDialog::EngineChecked(EngineId engine) {
    const int index = static_cast<int>(engine);
    return index >= 0 && index < kEngineCount && checked_[index].load();
}

}  // namespace sg
