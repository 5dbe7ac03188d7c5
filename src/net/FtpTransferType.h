#pragma once
// Which FTP transfer type a file goes in, decided from its name the way the FTP Center decides
// it: text when the name contains one of a list of extensions anywhere (a plain, case-sensitive
// substring test, so ".c" also matches ".css" and ".cgi"), image otherwise. Uploads and
// downloads have different lists.

#include <string_view>

namespace sg {

inline constexpr int kFtpTypeText = 0;
inline constexpr int kFtpTypeImage = 1;

// For a file being sent: the name of the local file.
int UploadTransferType(std::string_view fileName);
// For a file being fetched: the name of the local file it is written to. The list is shorter
// than the upload list.
int DownloadTransferType(std::string_view fileName);

}  // namespace sg
