#pragma once
// The FTP Center's pictures, drawn in code: the tree's 16-pixel folder, file and
// parent-folder images and the pictures of the "Upload" and "Download" buttons.

#include <QIcon>
#include <QPixmap>

namespace sg {

inline constexpr int kFtpTreeImageSize = 16;

QPixmap DrawFtpFolderImage();
QPixmap DrawFtpFileImage();
// A folder with an arrow pointing up, for the "Parent Directory" item.
QPixmap DrawFtpParentImage();
// 32 pixels: a page with an arrow going up into a server / coming down from it.
QPixmap DrawFtpUploadPicture();
QPixmap DrawFtpDownloadPicture();

}  // namespace sg
