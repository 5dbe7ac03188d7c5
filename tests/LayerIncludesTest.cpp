// The source folders are layers: a file includes only its own folder or a layer below it, and
// the two front ends never include each other. The order is the one of cmake/Layers.cmake.
// Inside the analysis layer the folders are rooms with an order of their own, so that the
// pipeline reads one way: the crawl knows no analysis, the audit's checks know no report.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace sg {
namespace {

// Bottom to top; ui and cli share the top rank.
const std::map<std::string, int> kLayerRank = {
    {"platform", 0}, {"model", 1}, {"html", 2}, {"net", 3}, {"reports", 4}, {"analysis", 5},
    {"engines", 6},  {"app", 7},   {"demo", 8}, {"ui", 9},  {"cli", 9}};

// The rooms of layers that have them, bottom to top; rooms of one rank do not include each other.
const std::map<std::string, int> kRoomRank = {
    {"analysis/crawl", 0},         {"analysis/linkvalidator", 1}, {"analysis/readiness", 1},
    {"analysis/audit/formats", 1}, {"analysis/audit/gather", 2},  {"analysis/audit/checks", 3},
    {"analysis/audit/report", 4},  {"analysis/audit", 5}};

bool HasRooms(const std::string& layer) {
    return kRoomRank.count(layer + "/crawl") != 0;
}

// "analysis/audit/checks" of "analysis/audit/checks/AuditRules.h".
std::string RoomOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

// Why a file of room `own` may not include `target` of the same layer; empty when it may.
std::string RoomFault(const std::string& own, const std::string& target) {
    const std::string room = RoomOf(target);
    if (room == own) {
        return {};
    }
    const auto ownRank = kRoomRank.find(own);
    const auto targetRank = kRoomRank.find(room);
    if (ownRank == kRoomRank.end() || targetRank == kRoomRank.end()) {
        return " (" + (ownRank == kRoomRank.end() ? own : room) + " is no room of the layer)";
    }
    if (targetRank->second >= ownRank->second) {
        return " (" + own + " may not include " + room + ")";
    }
    return {};
}

TEST(LayerIncludes, NoFileIncludesALayerAboveItsOwn) {
    const std::filesystem::path root(SITEGAUGE_SOURCE_DIR);
    const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<std::string> faults;
    std::map<std::string, int> filesPerLayer;
    int includes = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        const std::string extension = item.path().extension().string();
        if (!item.is_regular_file() || (extension != ".h" && extension != ".cpp")) {
            continue;
        }
        const std::filesystem::path relative = item.path().lexically_relative(root);
        const std::string layer = relative.begin()->string();
        const auto own = kLayerRank.find(layer);
        if (own == kLayerRank.end() || std::next(relative.begin()) == relative.end()) {
            faults.push_back(relative.string() + " is in no layer");
            continue;
        }
        ++filesPerLayer[layer];
        if (HasRooms(layer) && kRoomRank.count(RoomOf(relative.string())) == 0) {
            faults.push_back(relative.string() + " is in no room of " + layer);
        }
        std::ifstream file(item.path());
        std::string line;
        for (int number = 1; std::getline(file, line); ++number) {
            std::smatch match;
            if (!std::regex_search(line, match, include)) {
                continue;
            }
            ++includes;
            const std::string target = match[1];
            const std::string where =
                relative.string() + ":" + std::to_string(number) + " includes " + target;
            const std::size_t slash = target.find('/');
            const auto other = slash == std::string::npos
                                   ? kLayerRank.end()
                                   : kLayerRank.find(target.substr(0, slash));
            if (other == kLayerRank.end()) {
                faults.push_back(where + " (not of the form \"layer/File.h\")");
            } else if (other->first != layer && other->second >= own->second) {
                faults.push_back(where + " (" + layer + " may not include " + other->first + ")");
            } else if (other->first == layer && HasRooms(layer)) {
                const std::string fault = RoomFault(RoomOf(relative.string()), target);
                if (!fault.empty()) {
                    faults.push_back(where + fault);
                }
            }
        }
    }
    // A scan that found nothing would pass without proving anything.
    for (const auto& [layer, rank] : kLayerRank) {
        EXPECT_GT(filesPerLayer[layer], 0) << "no file in " << layer;
    }
    EXPECT_GT(includes, 300);
    std::string report;
    for (const std::string& fault : faults) {
        report += fault + "\n";
    }
    EXPECT_TRUE(faults.empty()) << report;
}

}  // namespace
}  // namespace sg
