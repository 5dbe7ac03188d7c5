// Draws the main window, the Analyze dialog in its four modes and a progress window in the
// middle of a run into PNG files: `sitegauge_main_screenshots DIR`, best under xvfb-run.

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <string>

#include "TitledScreenshot.h"
#include "model/AppState.h"
#include "platform/Connectivity.h"
#include "platform/OpenDocument.h"
#include "support/LoopbackServer.h"
#include "ui/AnalyzeDialog.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowArt.h"
#include "ui/ProgressDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"

namespace {

bool Save(QWidget& window, const QString& file) {
    return sg::test::SaveTitledScreenshot(window, file);
}

bool Shoot(QWidget& window, const QString& file) {
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
    }
    QTest::qWait(200);
    const bool saved = Save(window, file);
    window.hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: sitegauge_main_screenshots DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    sg::test::UiFixture fixture;
    sg::test::ScriptedPrompts prompts;
    bool ok = true;

    std::atomic<bool> held{true};
    // Every page links to four pages of the site; the third of them is held, so a nested crawl
    // stops with three of the five pages visited.
    sg::test::LoopbackServer site(
        [&held](sg::test::LoopbackConnection& conn) {
            const std::string head = conn.ReadUntilBlankLine();
            while (held && head.rfind("GET /c.html ", 0) == 0 && !conn.Stopping()) {
                conn.Sleep(std::chrono::milliseconds(10));
            }
            conn.Send(
                "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html><body>"
                "<a href=a.html>a</a> <a href=b.html>b</a> <a href=c.html>c</a> "
                "<a href=d.html>d</a> <a href=http://127.0.0.1:1/gone.html>gone</a>"
                "</body></html>");
        },
        sg::test::LoopbackServer::Serving::Concurrently);
    const std::string host = "127.0.0.1:" + std::to_string(site.Port());
    sg::Project& project = sg::App().project;
    project.SetName("Shoe Shops");
    for (const std::string& url : {host + "/", host + "/boots.html", host + "/sandals.html"}) {
        project.AddUrl(url);
    }
    project.AddKeyword("shoes");

    {
        sg::MainWindow window(prompts, false);
        ok &= Shoot(window, dir + "/main-window.png");
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            std::fprintf(stderr, "the main window was not shown\n");
        }
        const QPoint point = sg::MainAreaRect(3).center();
        QMouseEvent move(QEvent::MouseMove, point, window.mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
        QTest::qWait(100);
        ok &= Save(window, dir + "/main-window-highlighted.png");
        window.hide();
    }
    {
        const QString file = dir + "/splash.png";
        const bool saved = sg::DrawSplash().save(file, "PNG");
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
        ok &= saved;
    }
    const char* names[] = {"", "analyze-readiness", "analyze-link-popularity",
                           "analyze-link-validator", "analyze-site-audit"};
    for (int mode = sg::kAnalyzeReadiness; mode <= sg::kAnalyzeSiteAudit; ++mode) {
        sg::AnalyzeDialog dialog(prompts, mode);
        ok &= Shoot(dialog, dir + "/" + names[mode] + ".png");
    }
    {
        sg::SetOnlineCheck([] { return true; });
        sg::SetDocumentOpener([](const std::string&) {});
        project.ClearUrls();
        project.AddUrl(host + "/");
        sg::AnalyzeDialog dialog(prompts, sg::kAnalyzeLinkValidator);
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog)) {
            std::fprintf(stderr, "the Analyze dialog was not shown\n");
        }
        dialog.findChild<QCheckBox*>(QStringLiteral("nestedBox"))->setChecked(true);
        QTest::mouseClick(dialog.findChild<QWidget*>(QStringLiteral("analyzeNowButton")),
                          Qt::LeftButton);
        // c.html is held, so the window shows the crawl three pages of five into the site.
        QTest::qWait(1500);
        if (dialog.Progress() != nullptr) {
            ok &= Save(*dialog.Progress(), dir + "/progress-mid-run.png");
            ok &= Save(dialog, dir + "/analyze-during-run.png");
        } else {
            ok = false;
        }
        held = false;
        QTest::qWait(500);
        sg::SetDocumentOpener({});
        sg::SetOnlineCheck({});
    }
    return ok ? 0 : 1;
}
