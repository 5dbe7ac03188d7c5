#include "net/FtpTransferType.h"

#include <array>

namespace sg {
namespace {

constexpr std::array<std::string_view, 15> kUploadTextMarks = {
    ".txt", ".TXT", ".htm", ".HTM", ".HTML", ".html", ".c",  ".cfg",
    ".pl",  ".cgi", ".cpp", ".dat", ".lst",  ".msg",  ".pwd"};
constexpr std::array<std::string_view, 6> kDownloadTextMarks = {".txt", ".TXT",  ".htm",
                                                                ".HTM", ".HTML", ".html"};

template <size_t N>
int TypeFor(std::string_view fileName, const std::array<std::string_view, N>& textMarks) {
    for (std::string_view mark : textMarks) {
        if (fileName.find(mark) != std::string_view::npos) {
            return kFtpTypeText;
        }
    }
    return kFtpTypeImage;
}

}  // namespace

int UploadTransferType(std::string_view fileName) {
    return TypeFor(fileName, kUploadTextMarks);
}

int DownloadTransferType(std::string_view fileName) {
    return TypeFor(fileName, kDownloadTextMarks);
}

}  // namespace sg
