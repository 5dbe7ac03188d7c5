#pragma once
// Saves a window as a PNG for the documentation. Xvfb runs no window manager, so the picture
// gets a plain title strip of its own: the titles are part of what the windows show.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

namespace sg::test {

inline bool SaveTitledScreenshot(QWidget& window, const QString& file) {
    const QPixmap content = window.grab();
    const int strip = 26;
    QPixmap picture(content.width(), content.height() + strip);
    picture.fill(QColor(0x3c, 0x3f, 0x41));
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 0, content.width() - 16, strip), Qt::AlignVCenter | Qt::AlignLeft,
                     window.windowTitle());
    painter.drawPixmap(0, strip, content);
    painter.end();
    const bool saved = picture.save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

}  // namespace sg::test
