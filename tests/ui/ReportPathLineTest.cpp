// The path at the end of a "Copy path" message: one line, never broken at its blanks or
// slashes, its middle elided when it is too wide.

#include <QFontMetrics>
#include <QTest>
#include <QTextLayout>

#include "ui/UiTestRegistry.h"
#include "ui/UiText.h"

namespace sg::test {

class ReportPathLineTest : public QObject {
    Q_OBJECT

  private:
    // The lines a word-wrapping label of `width` pixels makes of `text`.
    static int LinesAt(const QString& text, const QFont& font, int width) {
        QTextLayout layout(text, font);
        QTextOption option;
        // As a label with word wrap lays out its text.
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            ++lines;
        }
        layout.endLayout();
        return lines;
    }
    // What the user reads: the line without its joiners, its no-break spaces as blanks.
    static QString Read(QString shown) {
        shown.remove(QChar(0x2060));
        shown.replace(QChar(0x00a0), QLatin1Char(' '));
        return shown;
    }

  private slots:
    void aPathStaysOnOneLineWholeOrElidedInItsMiddle() {
        const QFont font;
        const QFontMetrics metrics(font);
        const QString shortPath = QStringLiteral("/home/me/Reports/Link Validator/My Shop.html");
        const QString longPath = QStringLiteral(
            "/home/me/work folder/Reports/Link Validator/Coffee Demo_12_10_2026"
            "[05-31-12]/Coffee Demo_12_10_2026[05-31-12].html");
        const int width = metrics.horizontalAdvance(shortPath) + 8;
        // Without the care taken, a label of that width breaks the longer path.
        QVERIFY(LinesAt(longPath, font, width) > 1);

        const QString wholeShown = UnbrokenLine(shortPath, metrics, width);
        QCOMPARE(Read(wholeShown), shortPath);
        QCOMPARE(LinesAt(wholeShown, font, width), 1);

        const QString elided = UnbrokenLine(longPath, metrics, width);
        QCOMPARE(LinesAt(elided, font, width), 1);
        QVERIFY(Read(elided).contains(QChar(0x2026)));
        QVERIFY(Read(elided).startsWith(QStringLiteral("/home/me/")));
        QVERIFY(Read(elided).endsWith(QStringLiteral("].html")));
        // Even a label narrower than the shown line does not break it.
        QCOMPARE(LinesAt(elided, font, width / 3), 1);
    }
};

SG_REGISTER_UI_TEST(ReportPathLineTest);

}  // namespace sg::test

#include "ReportPathLineTest.moc"
