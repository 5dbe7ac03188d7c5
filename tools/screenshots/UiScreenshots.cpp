// Draws the dialogs on a sample project into PNG files: `sitegauge_ui_screenshots DIR`.
// Run it under xvfb-run for the look of a desktop; the offscreen platform works too.

#include <sys/time.h>
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <QTest>
#include <cstdio>
#include <ctime>
#include <string>

#include "model/AppState.h"
#include "model/ReportStamp.h"
#include "net/ProxySettings.h"
#include "platform/FileSystem.h"
#include "ui/CPreviousDialog.h"
#include "ui/ProjectDialog.h"
#include "ui/ProxySettingsDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"

namespace {

bool Shoot(QWidget& window, const QString& file) {
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
    }
    QTest::qWait(200);
    const bool saved = window.grab().save(file, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    window.hide();
    return saved;
}

// A run of `project` at `when`, its summary page dated then; a nested readiness run's page
// names it so in its banner.
void Report(const std::string& folder, const std::string& project, std::time_t when,
            bool nested = false) {
    const std::string run = project + sg::ReportStamp(when);
    const std::string page = folder + "/" + run + "/" + run + ".html";
    sg::CreateFolder(folder + "/" + run);
    sg::WriteWholeFile(page,
                       nested ? "<html>Search Engine Readiness (Nested)</html>" : "<html></html>");
    const struct timeval times[2] = {{when, 0}, {when, 0}};
    ::utimes(page.c_str(), times);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    sg::test::UiFixture fixture;
    sg::test::ScriptedPrompts prompts;
    bool ok = true;

    sg::Project& project = sg::App().project;
    project.SetName("Garden Shops");
    for (const char* url : {"www.greenthumb-supplies.com", "rosegarden.example.org/shop/",
                            "www.bloom-and-grow.net", "Petals.example.com:8080/index.html"}) {
        project.AddUrl(url);
    }
    for (const char* keyword :
         {"garden tools", "rose bushes", "Seeds", "organic fertilizer", "watering cans"}) {
        project.AddKeyword(keyword);
    }
    {
        sg::ProjectDialog dialog(prompts);
        if (auto* list = dialog.findChild<QListWidget*>(QStringLiteral("urlList"))) {
            list->setCurrentRow(1);
        }
        ok = Shoot(dialog, folder + "/project-dialog.png") && ok;
    }

    sg::SaveProxySettings(sg::App().paths.proxyFile,
                          {"192.168.10.2", "3128", "gardener", "not-shown"});
    {
        sg::ProxySettingsDialog dialog(prompts);
        ok = Shoot(dialog, folder + "/proxy-dialog.png") && ok;
    }

    const sg::AppPaths& paths = sg::App().paths;
    // Early May 2024.
    constexpr std::time_t kMay = 1714550400;
    sg::WriteWholeFile(
        paths.positionAnalyzerDir + "/Garden Shops" + sg::ReportStamp(kMay) + ".html", "p");
    Report(paths.readinessDir, "Garden Shops", kMay + 86400 + 32412);
    Report(paths.readinessDir, "Garden Shops", kMay + 2 * 86400 + 63775, true);
    Report(paths.readinessDir, "Bakeries", kMay - 3 * 86400 + 30600);
    Report(paths.linkValidatorDir, "Garden Shops", kMay + 43200);
    {
        sg::CPreviousDialog dialog(prompts);
        if (auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("reportTabs"))) {
            tabs->setCurrentIndex(1);
        }
        ok = Shoot(dialog, folder + "/previous-reports-dialog.png") && ok;
    }
    return ok ? 0 : 1;
}
