#include "ui/MainWindowArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace sg {
namespace {

constexpr int kAreaWidth = 200;
constexpr int kAreaHeight = 150;
constexpr int kAreaLeft = 35;
constexpr int kAreaTop = 152;
constexpr int kAreaGapX = 25;
constexpr int kAreaGapY = 25;
// The band of area 7.
constexpr int kBandHeight = 90;

struct AreaLook {
    const char* title;
    const char* line;
    QColor colour;
};

const std::array<AreaLook, kMainAreaCount> kAreas = {{
    {"Project", "Name, sites and keywords", QColor(0x2e, 0x7d, 0x32)},
    {"Position Analyzer", "Where do the engines list you?", QColor(0x15, 0x65, 0xc0)},
    {"Search Engine Readiness", "Titles, meta tags, densities", QColor(0x6a, 0x1b, 0x9a)},
    {"Link Popularity", "Who links to your site?", QColor(0xc6, 0x28, 0x28)},
    {"Link Validator", "Find the broken links", QColor(0xef, 0x6c, 0x00)},
    {"Previous Reports", "Open or delete earlier runs", QColor(0x00, 0x83, 0x8f)},
    {"Site Audit", "Can today's search engines index each page, and what do they show?",
     QColor(0x37, 0x47, 0x4f)},
}};

// A small sign per area, drawn in the box's top left corner.
void DrawSign(QPainter& painter, int area, const QRectF& box, const QColor& ink) {
    painter.save();
    painter.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const QPointF c = box.center();
    const double r = box.width() / 2 - 3;
    switch (area) {
        case 1:  // a folder
            painter.drawRect(
                QRectF(box.left() + 2, box.top() + 8, box.width() - 4, box.height() - 12));
            painter.drawLine(QPointF(box.left() + 2, box.top() + 8),
                             QPointF(box.left() + 12, box.top() + 2));
            break;
        case 2:  // a ranking: three bars
            for (int i = 0; i < 3; ++i) {
                const double h = (3 - i) * r * 0.6;
                painter.drawRect(QRectF(box.left() + 4 + i * 11, box.bottom() - h, 8, h));
            }
            break;
        case 3:  // a magnifier
            painter.drawEllipse(QPointF(c.x() - 4, c.y() - 4), r * 0.6, r * 0.6);
            painter.drawLine(QPointF(c.x() + 5, c.y() + 5), QPointF(box.right(), box.bottom()));
            break;
        case 4:  // a star of links
            for (int i = 0; i < 5; ++i) {
                QTransform turn;
                turn.translate(c.x(), c.y());
                turn.rotate(i * 72.0);
                painter.drawLine(turn.map(QPointF(0, 0)), turn.map(QPointF(0, -r)));
            }
            painter.drawEllipse(c, 3, 3);
            break;
        case 5:  // a chain link and a tick
            painter.drawRoundedRect(QRectF(box.left() + 2, c.y() - 6, r, 12), 6, 6);
            painter.drawRoundedRect(QRectF(c.x() - 2, c.y() - 6, r, 12), 6, 6);
            break;
        case 7:  // a checklist: three ticks and their lines
            for (int i = 0; i < 3; ++i) {
                const double y = box.top() + 6 + i * 12;
                painter.drawPolyline(
                    QPolygonF({QPointF(box.left() + 2, y), QPointF(box.left() + 5, y + 4),
                               QPointF(box.left() + 11, y - 3)}));
                painter.drawLine(QPointF(box.left() + 16, y), QPointF(box.right(), y));
            }
            break;
        default:  // pages
            painter.drawRect(QRectF(box.left() + 8, box.top() + 2, r, r * 1.3));
            painter.drawRect(QRectF(box.left() + 2, box.top() + 8, r, r * 1.3));
            break;
    }
    painter.restore();
}

}  // namespace

QRect MainAreaRect(int area) {
    if (area == 7) {
        return QRect(kAreaLeft, kAreaTop + 2 * (kAreaHeight + kAreaGapY),
                     3 * kAreaWidth + 2 * kAreaGapX, kBandHeight);
    }
    const int index = area - 1;
    const int column = index % 3;
    const int row = index / 3;
    return QRect(kAreaLeft + column * (kAreaWidth + kAreaGapX),
                 kAreaTop + row * (kAreaHeight + kAreaGapY), kAreaWidth, kAreaHeight);
}

QRect MainProjectStrip() {
    return QRect(kAreaLeft, 102, 3 * kAreaWidth + 2 * kAreaGapX, 38);
}

QString MainAreaTitle(int area) {
    if (area < 1 || area > kMainAreaCount) {
        return QString();
    }
    return QString::fromLatin1(kAreas[area - 1].title);
}

void PaintMainSky(QPainter& painter, const QRect& window) {
    QLinearGradient sky(0, window.top(), 0, window.bottom());
    sky.setColorAt(0.0, QColor(0x10, 0x2a, 0x43));
    sky.setColorAt(1.0, QColor(0x24, 0x4f, 0x6e));
    painter.fillRect(window, sky);
}

QPixmap DrawMainBackground() {
    QPixmap picture(kMainWindowWidth, kMainWindowHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // A gauge arc behind the name.
    painter.setPen(QPen(QColor(0xff, 0xc1, 0x07), 6, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRect(40, 22, 70, 70), 30 * 16, 120 * 16);
    painter.setPen(QPen(QColor(0xff, 0xff, 0xff), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(75, 57), QPoint(96, 34));
    QFont name(QStringLiteral("Sans Serif"), 26, QFont::Bold);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRect(125, 24, 400, 44), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Sitegauge"));
    QFont slogan(QStringLiteral("Sans Serif"), 11);
    painter.setFont(slogan);
    painter.setPen(QColor(0xcf, 0xe3, 0xf2));
    painter.drawText(QRect(127, 66, 560, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("How search engines see your site, and how it stands"));
    return picture;
}

QPixmap DrawMainArea(int area, bool highlighted) {
    const AreaLook& look = kAreas[(area - 1) % kMainAreaCount];
    const bool band = area == 7;
    QPixmap picture(MainAreaRect(band ? 7 : 1).size());
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(picture.rect()).adjusted(3, 3, -3, -3);
    QPainterPath outline;
    outline.addRoundedRect(card, 14, 14);
    const QColor face = highlighted ? look.colour.lighter(135) : look.colour;
    QLinearGradient shade(card.topLeft(), card.bottomLeft());
    shade.setColorAt(0.0, face.lighter(115));
    shade.setColorAt(1.0, face.darker(120));
    painter.fillPath(outline, shade);
    painter.setPen(highlighted ? QPen(QColor(0xff, 0xd5, 0x4f), 4) : QPen(face.darker(150), 2));
    painter.drawPath(outline);

    const QColor ink = highlighted ? QColor(0xff, 0xf8, 0xe1) : QColor(0xff, 0xff, 0xff);
    DrawSign(painter, area, QRectF(16, 14, 36, 36), ink);
    QFont number(QStringLiteral("Sans Serif"), 20, QFont::Bold);
    painter.setFont(number);
    painter.setPen(QColor(255, 255, 255, 110));
    painter.drawText(QRectF(card.right() - 44, 10, 34, 36), Qt::AlignRight | Qt::AlignTop,
                     QString::number(area));
    QFont title(QStringLiteral("Sans Serif"), 12, QFont::Bold);
    painter.setFont(title);
    painter.setPen(ink);
    // The band has its sign on the left and its two lines beside it.
    const QRectF titleBox =
        band ? QRectF(66, 14, card.width() - 120, 28) : QRectF(14, 58, card.width() - 20, 48);
    const QRectF lineBox =
        band ? QRectF(66, 44, card.width() - 120, 36) : QRectF(14, 108, card.width() - 20, 34);
    painter.drawText(titleBox, Qt::AlignLeft | Qt::TextWordWrap, QString::fromLatin1(look.title));
    QFont line(QStringLiteral("Sans Serif"), band ? 10 : 9);
    painter.setFont(line);
    painter.setPen(ink.darker(highlighted ? 105 : 115));
    painter.drawText(lineBox, Qt::AlignLeft | Qt::TextWordWrap, QString::fromLatin1(look.line));
    return picture;
}

QPixmap DrawSplash() {
    QPixmap picture(420, 240);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 420, 240);
    sky.setColorAt(0.0, QColor(0x10, 0x2a, 0x43));
    sky.setColorAt(1.0, QColor(0x1e, 0x88, 0xe5));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(QPen(QColor(0xff, 0xc1, 0x07), 10, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRect(150, 30, 120, 120), 20 * 16, 140 * 16);
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(210, 90), QPoint(246, 52));
    QFont name(QStringLiteral("Sans Serif"), 28, QFont::Bold);
    painter.setFont(name);
    painter.drawText(QRect(0, 140, 420, 50), Qt::AlignCenter, QStringLiteral("Sitegauge"));
    QFont version(QStringLiteral("Sans Serif"), 11);
    painter.setFont(version);
    painter.setPen(QColor(0xcf, 0xe3, 0xf2));
    painter.drawText(QRect(0, 190, 420, 26), Qt::AlignCenter, QStringLiteral(" Version 6.0"));
    return picture;
}

}  // namespace sg
