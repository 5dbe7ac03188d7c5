#include "ui/EngineArt.h"

#include <QFont>
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
void DrawInitials(QPainter& painter, const QRectF& box, const char* initials, int pixelSize) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(initials));
}

}  // namespace

QPixmap EngineIcon(EngineId id) {
    const EngineLook& look = LookOf(id);
    QPixmap picture(kEngineIconSize, kEngineIconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF box(0.5, 0.5, kEngineIconSize - 1, kEngineIconSize - 1);
    QPainterPath square;
    square.addRoundedRect(box, 3, 3);
    painter.fillPath(square, look.colour);
    painter.setPen(QPen(look.colour.darker(140), 1));
    painter.drawPath(square);
    // Two letters need the smaller size to stay inside the square.
    DrawInitials(painter, box, look.initials, look.initials[1] != '\0' ? 8 : 11);
    return picture;
}

QPixmap EngineLogo(EngineId id) {
    const EngineLook& look = LookOf(id);
    QPixmap picture(kEngineLogoWidth, kEngineLogoHeight);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF band = QRectF(picture.rect()).adjusted(1, 1, -1, -1);
    QPainterPath outline;
    outline.addRoundedRect(band, 8, 8);
    QLinearGradient shade(band.topLeft(), band.bottomLeft());
    shade.setColorAt(0.0, look.colour.lighter(125));
    shade.setColorAt(1.0, look.colour.darker(115));
    painter.fillPath(outline, shade);
    painter.setPen(QPen(look.colour.darker(150), 1.5));
    painter.drawPath(outline);

    // The badge: a lighter disc with the initials, at the band's left end.
    const QRectF badge(band.left() + 6, band.top() + 5, band.height() - 10, band.height() - 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 60));
    painter.drawEllipse(badge);
    DrawInitials(painter, badge, look.initials, look.initials[1] != '\0' ? 12 : 16);

    QFont name(QStringLiteral("Sans Serif"));
    name.setPixelSize(18);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Qt::white);
    const QRectF nameBox(badge.right() + 8, band.top(), band.right() - badge.right() - 14,
                         band.height());
    painter.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, ToQt(EngineNames(id).statusLabel));
    return picture;
}

}  // namespace sg
