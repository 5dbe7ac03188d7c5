// Draws the site position dialog (with two live engines of the emulator's metasearch instance)
// and the Position Analyzer's status window in the middle of a run and after a skip, from a
// real run against the engine emulator, into PNG files:
// `sitegauge_posan_screenshots DIR`, best under xvfb-run.

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "TitledScreenshot.h"
#include "demo/EngineEmulator.h"
#include "engines/LiveSearch.h"
#include "model/AppState.h"
#include "net/MetasearchSetting.h"
#include "platform/Connectivity.h"
#include "platform/OpenDocument.h"
#include "ui/CPosAnStatus.h"
#include "ui/CSitePosDialog.h"
#include "ui/HeldEngine.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"

namespace {

bool Save(QWidget& window, const QString& file) {
    return sg::test::SaveTitledScreenshot(window, file);
}

std::vector<std::string> Results(int count, std::vector<std::pair<int, std::string>> sites) {
    std::vector<std::string> addresses;
    for (int i = 1; i <= count; ++i) {
        addresses.push_back("http://www.result" + std::to_string(i) + ".test/page.html");
    }
    for (const auto& [position, site] : sites) {
        addresses[position - 1] = "http://" + site + "/";
    }
    return addresses;
}

QString TextOf(QWidget& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QString();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: sitegauge_posan_screenshots DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    sg::test::UiFixture fixture;
    sg::test::ScriptedPrompts prompts;
    sg::SetOnlineCheck([] { return true; });
    sg::SetDocumentOpener([](const std::string&) {});

    sg::EngineEmulator emulator;
    if (!emulator.Start()) {
        std::fprintf(stderr, "the engine emulator did not start\n");
        return 1;
    }
    emulator.PointEngineHostsHere();
    const std::string shop = "www.shoeshop.test";
    const std::string boots = "www.bootcorner.test";
    const std::string sandals = "sandals.test";
    emulator.SetResults(sg::EngineId::AltaVista, "running shoes", Results(10, {{1, shop}}));
    emulator.SetResults(sg::EngineId::Google, "running shoes",
                        Results(240, {{7, shop}, {9, sandals}, {31, boots}}));
    emulator.SetTotal(sg::EngineId::Google, "running shoes", 1250000);
    emulator.SetResults(sg::EngineId::MSN, "running shoes", Results(12, {{4, boots}}));
    emulator.SetResults(sg::EngineId::AOL, "running shoes",
                        Results(30, {{2, shop}, {5, boots}, {8, sandals}}));
    emulator.SetResults(sg::EngineId::Google, "leather boots",
                        Results(40, {{1, boots}, {12, shop}, {17, sandals}}));
    emulator.SetResults(sg::EngineId::AOL, "leather boots", Results(30, {{3, boots}}));
    // Two live engines of a metasearch instance on the emulator's port; one is checked.
    emulator.Metasearch().SetResults("duckduckgo", "running shoes",
                                     Results(20, {{3, shop}, {6, boots}}));
    emulator.Metasearch().SetResults("duckduckgo", "leather boots",
                                     Results(20, {{2, boots}, {14, sandals}}));
    emulator.Metasearch().SetResults("mojeek", "", Results(20, {{1, shop}}));
    sg::SetMetasearchInstance(emulator.MetasearchAddress());
    sg::SetLivePagePause(std::chrono::milliseconds(100));
    // Google's second page of the first keyword waits until the first picture is taken.
    sg::test::HeldEngine google(emulator, sg::EngineId::Google, 1);

    sg::Project& project = sg::App().project;
    project.SetName("Shoe Shops");
    for (const std::string& url : {shop, boots, sandals}) {
        project.AddUrl(url);
    }
    project.AddKeyword("running shoes");
    project.AddKeyword("leather boots");

    bool ok = true;
    sg::CSitePosDialog dialog(prompts);
    auto* engines = dialog.findChild<QTreeWidget*>(QStringLiteral("engineList"));
    QSignalSpy loaded(&dialog, &sg::CSitePosDialog::liveEnginesLoaded);
    if (!QTest::qWaitFor([&] { return loaded.count() > 0; }, 5000) ||
        engines->topLevelItemCount() != sg::kEngineCount + 2) {
        std::fprintf(stderr, "the live engines were not listed\n");
        ok = false;
    }
    for (int row = 0; row < engines->topLevelItemCount(); ++row) {
        const bool wanted = row == 0 || row == 1 || row == 3 || row == 10 || row == 11;
        engines->topLevelItem(row)->setCheckState(0, wanted ? Qt::Checked : Qt::Unchecked);
    }
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "the dialog was not shown\n");
    }
    QTest::qWait(200);
    ok &= Save(dialog, dir + "/site-position-dialog.png");

    QSignalSpy ended(&dialog, &sg::CSitePosDialog::runEnded);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("searchButton")),
                      Qt::LeftButton);
    sg::CPosAnStatus* status = dialog.Status();
    if (status == nullptr) {
        std::fprintf(stderr, "no status window\n");
        return 1;
    }
    status->move(dialog.geometry().topRight() + QPoint(20, 0));
    const bool held = QTest::qWaitFor(
        [&] { return google.Arrived() == 2 && TextOf(*status, "positionText") == "10"; }, 10000);
    if (!held) {
        std::fprintf(stderr, "the run did not reach Google's second page\n");
        ok = false;
    }
    QTest::qWait(200);
    ok &= Save(*status, dir + "/position-status-running.png");

    prompts.Answer(sg::PromptAnswer::Yes);
    QTest::mouseClick(status->findChild<QPushButton*>(QStringLiteral("skipButton")),
                      Qt::LeftButton);
    google.Release();
    if (!ended.wait(20000)) {
        std::fprintf(stderr, "the run did not end\n");
        return 1;
    }
    QTest::qWait(200);
    if (dialog.Status() != nullptr && dialog.Status()->isVisible()) {
        ok &= Save(*dialog.Status(), dir + "/position-status-skipped.png");
    } else {
        std::fprintf(stderr, "the status window did not stay open\n");
        ok = false;
    }
    sg::SetDocumentOpener({});
    sg::SetOnlineCheck({});
    return ok ? 0 : 1;
}
