#include "ui/EngineArt.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "engines/EngineCatalogue.h"
#include "ui/UiText.h"

namespace sg {
namespace {

struct EngineLook {
    const char* initials;
    QColor colour;
};

// One muted colour per engine, spread around the wheel so that neighbours in the list differ.
const std::array<EngineLook, kEngineCount> kLooks = {{
    {"AV", QColor(0x2e, 0x7d, 0x6b)},
    {"G", QColor(0x8d, 0x6e, 0x3f)},
    {"AW", QColor(0x54, 0x6e, 0x7a)},
    {"M", QColor(0x5b, 0x8c, 0x32)},
    {"HB", QColor(0x8e, 0x3b, 0x46)},
    {"E", QColor(0x39, 0x49, 0xab)},
    {"Y", QColor(0x00, 0x7c, 0x91)},
    {"O", QColor(0xa6, 0x7c, 0x00)},
    {"Ex", QColor(0x6b, 0x7f, 0x23)},
    {"AJ", QColor(0x6d, 0x4c, 0x41)},
    {"AO", QColor(0x9c, 0x4a, 0x6b)},
}};

const EngineLook& LookOf(EngineId id) {
    return kLooks[EngineIndex(id)];
}

// The initials in white, as large as fits the box.
void DrawInitials(QPainter& painter, const QRectF& box, const QString& initials, int pixelSize) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, initials);
}

// A rounded square in `colour` with `initials`, 16 by 16.
QPixmap Icon(const QColor& colour, const QString& initials) {
    QPixmap picture(kEngineIconSize, kEngineIconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0.5, 0.5, kEngineIconSize - 1, kEngineIconSize - 1);
    QPainterPath square;
    square.addRoundedRect(box, 3, 3);
    painter.fillPath(square, colour);
    painter.setPen(QPen(colour.darker(140), 1));
    painter.drawPath(square);
    // Two letters need the smaller size to stay inside the square.
    DrawInitials(painter, box, initials, initials.size() > 1 ? 8 : 11);
    return picture;
}

// A band in `colour` with a badge holding `badgeText` at its left end and `name` beside it,
// 200 by 40.
QPixmap Logo(const QColor& colour, const QString& badgeText, int badgePixels, const QString& name) {
    QPixmap picture(kEngineLogoWidth, kEngineLogoHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF band = QRectF(picture.rect()).adjusted(1, 1, -1, -1);
    QPainterPath outline;
    outline.addRoundedRect(band, 8, 8);
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0.0, colour.lighter(125));
    shade.setColorAt(1.0, colour.darker(115));
    painter.fillPath(outline, shade);
    painter.setPen(QPen(colour.darker(150), 1.5));
    painter.drawPath(outline);

    // The badge: a lighter disc, at the band's left end.
    const QRectF badge(band.left() + 6, band.top() + 5, band.height() - 10, band.height() - 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawEllipse(badge);
    DrawInitials(painter, badge, badgeText, badgePixels);

    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(18);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRectF nameBox(badge.right() + 8, band.top(), band.right() - badge.right() - 14,
                         band.height());
    // A long live engine name is cut with an ellipsis rather than drawn past the band.
    const QString shown =
        QFontMetrics(font).elidedText(name, Qt::ElideRight, static_cast<int>(nameBox.width()));
    painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, shown);
    return picture;
}

const QColor kLiveColour(0x60, 0x66, 0x6e);

}  // namespace

QPixmap EngineIcon(EngineId id) {
    const EngineLook& look = LookOf(id);
    return Icon(look.colour, QString::fromLatin1(look.initials));
}

QPixmap EngineLogo(EngineId id) {
    const EngineLook& look = LookOf(id);
    return Logo(look.colour, QString::fromLatin1(look.initials), look.initials[1] != '\0' ? 12 : 16,
                ToQt(EngineNames(id).statusLabel));
}

QPixmap LiveEngineIcon(const QString& name) {
    return Icon(kLiveColour, name.left(1).toUpper());
}

QPixmap LiveEngineLogo(const QString& name) {
    return Logo(kLiveColour, QStringLiteral("live"), 9, name);
}

}  // namespace sg
