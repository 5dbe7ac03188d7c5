// The FTP Center against the real vsftpd of the test servers (loopback, passive mode and TLS as
// the FTP Center starts, with the test CA trusted): on the server that offers TLS and on the
// one that forces it, open a folder, upload a text file and a binary file into it (each then
// shows in its listing), go up and into it again and download both back.

#include <unistd.h>

#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <optional>

#include "platform/FileSystem.h"
#include "support/TestServers.h"
#include "ui/FtpCenterDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/TreeDoubleClick.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

// Skips the test (or fails it under CI) when the server on `port` does not answer.
#define SG_REQUIRE_SERVER_QT(port)                                    \
    do {                                                              \
        if (!::sg::test::PortAnswers(port)) {                         \
            if (::sg::test::ServersMustRun()) {                       \
                QFAIL("the test vsftpd on 127.0.0.1 is not running"); \
            }                                                         \
            QSKIP("the test vsftpd on 127.0.0.1 is not running");     \
        }                                                             \
    } while (0)

namespace sg::test {
namespace {

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* parent, const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == name) {
            return parent->child(i);
        }
    }
    return nullptr;
}

}  // namespace

class FtpCenterVsftpdTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<FtpCenterDialog> dialog_;
    std::string folder_;

    QTreeWidget* Tree() { return Control<QTreeWidget>(*dialog_, "remoteTree"); }
    bool WaitIdle() {
        return QTest::qWaitFor([this] { return !dialog_->Busy(); }, 20000);
    }
    bool Open(QTreeWidgetItem* item) {
        DoubleClickItem(Tree(), item);
        return WaitIdle();
    }

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
    }
    void cleanup() {
        dialog_.reset();
        prompts_.reset();
        fixture_.reset();
        if (!folder_.empty()) {
            std::filesystem::remove_all(ServersDir() + "/ftp/" + folder_);
            folder_.clear();
        }
    }

    void browseUploadAndDownloadBack_data() {
        QTest::addColumn<int>("port");
        QTest::newRow("TLS offered") << kFtpPort;
        QTest::newRow("TLS forced") << kFtpTlsPort;
    }
    void browseUploadAndDownloadBack() {
        QFETCH(int, port);
        SG_REQUIRE_SERVER_QT(port);
        ScopedEnv trustCa("SSL_CERT_FILE", (ServersDir() + "/tls/ca.pem").c_str());
        folder_ = "center-" + std::to_string(::getpid()) + "-" + std::to_string(port);
        const std::string remoteFolder = ServersDir() + "/ftp/" + folder_;
        std::filesystem::create_directories(remoteFolder);
        std::filesystem::permissions(remoteFolder, std::filesystem::perms::all);
        QVERIFY(WriteWholeFile(remoteFolder + "/already-there.txt", "x"));

        EditOf(*dialog_, "hostEdit")->setText("127.0.0.1:" + QString::number(port));
        EditOf(*dialog_, "userEdit")->setText(QString::fromLatin1(kFtpUser));
        EditOf(*dialog_, "passwordEdit")->setText(QString::fromLatin1(kFtpPassword));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Control<QLabel>(*dialog_, "statusLabel")->text(),
                 QStringLiteral("Connected over TLS (certificate verified), passive mode"));
        QTreeWidgetItem* folder =
            ChildNamed(Tree()->invisibleRootItem(), QString::fromStdString(folder_));
        QVERIFY(folder != nullptr);
        QVERIFY(Open(folder));
        QTreeWidgetItem* root = Tree()->invisibleRootItem();
        QVERIFY(ChildNamed(root, QStringLiteral("already-there.txt")) != nullptr);

        std::string text;
        for (int i = 0; i < 500; ++i) {
            text += "line " + std::to_string(i) + " of the page\r\n";
        }
        std::string binary;
        for (int i = 0; i < 70000; ++i) {
            binary += static_cast<char>((i * 131 + i / 256) % 256);
        }
        const std::string page = fixture_->Path("page.html");
        const std::string picture = fixture_->Path("picture.gif");
        QVERIFY(WriteWholeFile(page, text));
        QVERIFY(WriteWholeFile(picture, binary));
        for (const std::string& local : {page, picture}) {
            prompts_->ChooseFile(QString::fromStdString(local));
            Click(*dialog_, "uploadButton");
            QVERIFY(WaitIdle());
        }
        QCOMPARE(FileText(remoteFolder + "/page.html"), text);
        QCOMPARE(FileText(remoteFolder + "/picture.gif"), binary);
        QVERIFY(ChildNamed(root, QStringLiteral("page.html")) != nullptr);
        QVERIFY(ChildNamed(root, QStringLiteral("picture.gif")) != nullptr);

        // Up and into the folder again.
        QTreeWidgetItem* up = root->child(0);
        QCOMPARE(up->text(0), QStringLiteral("Parent Directory"));
        QVERIFY(Open(up));
        QTreeWidgetItem* again = ChildNamed(root, QString::fromStdString(folder_));
        QVERIFY(again != nullptr);
        QVERIFY(Open(again));
        for (const char* name : {"page.html", "picture.gif"}) {
            QTreeWidgetItem* item = ChildNamed(root, QString::fromLatin1(name));
            QVERIFY(item != nullptr);
            Tree()->setCurrentItem(item);
            const std::string back = fixture_->Path(std::string("back-") + name);
            prompts_->ChooseFile(QString::fromStdString(back));
            Click(*dialog_, "downloadButton");
            QVERIFY(WaitIdle());
            QCOMPARE(FileText(back), FileText(fixture_->Path(name)));
        }
        QCOMPARE(prompts_->Calls().size(), std::size_t(8));
        for (const PromptCall& call : prompts_->Calls()) {
            if (call.kind == PromptCall::Kind::Inform) {
                QVERIFY(call.text == "Transfer Complete" || call.text == "Transfer complete");
            }
        }
        Click(*dialog_, "exitButton");
        QVERIFY(!dialog_->isVisible());
    }
};

SG_REGISTER_UI_TEST(FtpCenterVsftpdTest);

}  // namespace sg::test

#include "FtpCenterVsftpdTest.moc"
