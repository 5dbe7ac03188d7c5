#include "ui/FtpCenterArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace sg {
namespace {

const QColor kOutline(0x5d, 0x40, 0x37);
const QColor kFolderFill(0xf9, 0xc7, 0x4f);
const QColor kFolderTab(0xe0, 0xa8, 0x2e);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kPaperEdge(0x54, 0x6e, 0x7a);
const QColor kText(0x90, 0xa4, 0xae);
const QColor kArrowUp(0x2e, 0x7d, 0x32);
const QColor kArrowDown(0x15, 0x65, 0xc0);

QPixmap Blank(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Folder(QPainter& painter) {
    painter.setPen(QPen(kOutline, 1));
    painter.setBrush(kFolderTab);
    painter.drawRect(QRectF(1.5, 2.5, 6, 3));
    painter.setBrush(kFolderFill);
    painter.drawRect(QRectF(1.5, 4.5, 13, 9));
}

// A page with a folded corner and a few lines of text, inside `box`.
void Page(QPainter& painter, const QRectF& box) {
    const double fold = box.width() * 0.35;
    QPainterPath outline;
    outline.moveTo(box.left(), box.top());
    outline.lineTo(box.right() - fold, box.top());
    outline.lineTo(box.right(), box.top() + fold);
    outline.lineTo(box.right(), box.bottom());
    outline.lineTo(box.left(), box.bottom());
    outline.closeSubpath();
    painter.setPen(QPen(kPaperEdge, 1));
    painter.setBrush(kPaper);
    painter.drawPath(outline);
    painter.drawLine(QPointF(box.right() - fold, box.top()),
                     QPointF(box.right() - fold, box.top() + fold));
    painter.drawLine(QPointF(box.right() - fold, box.top() + fold),
                     QPointF(box.right(), box.top() + fold));
    painter.setPen(QPen(kText, 1));
    const double step = box.height() / 5;
    for (int line = 2; line <= 4; ++line) {
        const double y = box.top() + line * step;
        painter.drawLine(QPointF(box.left() + 2.5, y), QPointF(box.right() - 2.5, y));
    }
}

// A thick arrow in `colour` with its tip at `tip`, pointing up (or down).
void Arrow(QPainter& painter, QPointF tip, double width, double length, bool up,
           const QColor& colour) {
    const double dir = up ? 1 : -1;
    const double head = width * 0.9;
    const double shaft = width * 0.4;
    QPolygonF arrow;
    arrow << tip << QPointF(tip.x() + head, tip.y() + dir * head)
          << QPointF(tip.x() + shaft, tip.y() + dir * head)
          << QPointF(tip.x() + shaft, tip.y() + dir * length)
          << QPointF(tip.x() - shaft, tip.y() + dir * length)
          << QPointF(tip.x() - shaft, tip.y() + dir * head)
          << QPointF(tip.x() - head, tip.y() + dir * head);
    painter.setPen(QPen(colour.darker(140), 1));
    painter.setBrush(colour);
    painter.drawPolygon(arrow);
}

// A server box at the top of a 32-pixel picture: the other end of a transfer.
void Server(QPainter& painter) {
    painter.setPen(QPen(kPaperEdge, 1));
    painter.setBrush(QColor(0xcf, 0xd8, 0xdc));
    painter.drawRoundedRect(QRectF(3.5, 1.5, 25, 9), 2, 2);
    painter.setBrush(QColor(0x66, 0xbb, 0x6a));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(24, 6), 1.6, 1.6);
    painter.setPen(QPen(kPaperEdge, 1));
    painter.drawLine(QPointF(7, 6), QPointF(18, 6));
}

QPixmap Transfer(bool up) {
    QPixmap pixmap = Blank(32);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Server(painter);
    Page(painter, QRectF(3.5, 15.5, 14, 15));
    if (up) {
        Arrow(painter, QPointF(24, 12), 6, 19, true, kArrowUp);
    } else {
        Arrow(painter, QPointF(24, 31), 6, 19, false, kArrowDown);
    }
    return pixmap;
}

}  // namespace

QPixmap DrawFtpFolderImage() {
    QPixmap pixmap = Blank(kFtpTreeImageSize);
    QPainter painter(&pixmap);
    Folder(painter);
    return pixmap;
}

QPixmap DrawFtpFileImage() {
    QPixmap pixmap = Blank(kFtpTreeImageSize);
    QPainter painter(&pixmap);
    Page(painter, QRectF(2.5, 0.5, 11, 15));
    return pixmap;
}

QPixmap DrawFtpParentImage() {
    QPixmap pixmap = Blank(kFtpTreeImageSize);
    QPainter painter(&pixmap);
    Folder(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    Arrow(painter, QPointF(8, 5), 4, 8.5, true, kArrowUp);
    return pixmap;
}

QPixmap DrawFtpUploadPicture() {
    return Transfer(true);
}

QPixmap DrawFtpDownloadPicture() {
    return Transfer(false);
}

}  // namespace sg
