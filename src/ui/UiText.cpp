#include "ui/UiText.h"

#include <QByteArray>
#include <QFile>
#include <QFontMetrics>
#include <QTextDocument>

#include "platform/Ansi.h"

namespace sg {

QString ToQt(std::string_view ansi) {
    const std::string utf8 = AnsiToUtf8(ansi);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString PathToQt(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQt(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    // Escaped inside a preformatted paragraph: the characters and blanks come out as typed.
    return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

QString UnbrokenLine(const QString& line, const QFontMetrics& metrics, int maxWidth) {
    const QString shown = metrics.elidedText(line, Qt::ElideMiddle, maxWidth);
    constexpr QChar kNoBreakSpace(0x00a0);
    constexpr QChar kWordJoiner(0x2060);
    QString out;
    out.reserve(shown.size() * 2);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown[i];
        out += c == QLatin1Char(' ') ? kNoBreakSpace : c;
        // A line may break after a slash, a hyphen or a bracket; a joiner forbids it.
        if (!c.isLetterOrNumber() && i + 1 < shown.size()) {
            out += kWordJoiner;
        }
    }
    return out;
}

}  // namespace sg
