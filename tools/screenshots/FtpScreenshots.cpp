// Draws the FTP Center connected over TLS, in passive mode, to the test vsftpd that forces TLS,
// with a folder opened (its listing in the tree, "Parent Directory" first), into a PNG file:
// `sitegauge_ftp_screenshots DIR [FTP_HOME]`, best under xvfb-run. The servers must run
// (tests/servers/test-servers.sh start RUNDIR); FTP_HOME is RUNDIR/ftp, where a small sample site
// is written first; RUNDIR/tls/ca.pem is trusted.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TitledScreenshot.h"
#include "platform/FileSystem.h"
#include "support/TestServers.h"
#include "ui/FtpCenterDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"

namespace {

bool Save(QWidget& window, const QString& file) {
    return sg::test::SaveTitledScreenshot(window, file);
}

void SampleSite(const std::string& home) {
    namespace fs = std::filesystem;
    for (const char* folder : {"public_html/css", "public_html/images", "logs", "backup"}) {
        fs::create_directories(home + "/" + folder);
    }
    for (const char* page : {"index.html", "about.html", "contact.html", "robots.txt"}) {
        sg::WriteWholeFile(home + "/public_html/" + page, "<html></html>\n");
    }
    sg::WriteWholeFile(home + "/welcome.txt", "Welcome\n");
    sg::WriteWholeFile(home + "/.profile", "\n");
}

QTreeWidgetItem* Named(QTreeWidgetItem* parent, const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == name) {
            return parent->child(i);
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: sitegauge_ftp_screenshots DIR [FTP_HOME]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const std::string home = argc > 2 ? argv[2] : sg::test::ServersDir() + "/ftp";
    const std::string servers = std::filesystem::path(home).parent_path().string();
    if (!sg::test::PortAnswers(sg::test::kFtpTlsPort)) {
        std::fprintf(stderr, "no FTP server on 127.0.0.1:%d\n", sg::test::kFtpTlsPort);
        return 1;
    }
    // The test CA, as the system's trusted certificates would hold a real server's.
    ::setenv("SSL_CERT_FILE", (servers + "/tls/ca.pem").c_str(), 1);
    SampleSite(home);
    sg::test::UiFixture fixture;
    sg::test::ScriptedPrompts prompts;
    sg::FtpCenterDialog dialog(prompts);
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "the window was not shown\n");
    }
    auto idle = [&dialog] { return QTest::qWaitFor([&] { return !dialog.Busy(); }, 20000); };

    dialog.findChild<QLineEdit*>(QStringLiteral("hostEdit"))
        ->setText("127.0.0.1:" + QString::number(sg::test::kFtpTlsPort));
    dialog.findChild<QLineEdit*>(QStringLiteral("userEdit"))
        ->setText(QString::fromLatin1(sg::test::kFtpUser));
    dialog.findChild<QLineEdit*>(QStringLiteral("passwordEdit"))
        ->setText(QString::fromLatin1(sg::test::kFtpPassword));
    dialog.findChild<QPushButton*>(QStringLiteral("connectButton"))->click();
    auto* tree = dialog.findChild<QTreeWidget*>(QStringLiteral("remoteTree"));
    QTreeWidgetItem* site = nullptr;
    if (idle()) {
        site = Named(tree->invisibleRootItem(), QStringLiteral("public_html"));
    }
    if (site == nullptr) {
        std::fprintf(stderr, "the listing has no public_html\n");
        return 1;
    }
    const QString status = dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
    if (!status.startsWith(QStringLiteral("Connected over TLS"))) {
        std::fprintf(stderr, "not over TLS: %s\n", qPrintable(status));
        return 1;
    }
    // As a double-click does: the folder is opened and its listing takes the tree's place.
    emit tree->itemDoubleClicked(site, 0);
    QTreeWidgetItem* page = nullptr;
    if (idle()) {
        page = Named(tree->invisibleRootItem(), QStringLiteral("index.html"));
    }
    if (page == nullptr) {
        std::fprintf(stderr, "public_html did not open\n");
        return 1;
    }
    tree->setCurrentItem(page);
    QTest::qWait(200);
    const bool ok = Save(dialog, dir + "/ftp-center.png");
    dialog.accept();
    return ok ? 0 : 1;
}
