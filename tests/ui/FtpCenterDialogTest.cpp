// The FTP Center against a scripted FTP server on loopback: connecting and its messages,
// browsing down and back up, uploads and downloads in the right transfer type, leaving, and a
// window that keeps working while the server is silent.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>

#include <sys/stat.h>

#include "demo/DemoCertificate.h"
#include "model/AppState.h"
#include "net/TlsServerContext.h"
#include "platform/FileSystem.h"
#include "support/FakeFtpServer.h"
#include "ui/FtpCenterDialog.h"
#include "ui/ProgressDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/TreeDoubleClick.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {
namespace {

using Ms = std::chrono::milliseconds;

FtpWaits ShortWaits() {
    FtpWaits waits;
    waits.reply = waits.data = Ms(3000);
    waits.listConnect = waits.transferConnect = waits.connect = Ms(2000);
    return waits;
}

std::string Line(const char* kind, const std::string& name) {
    return std::string(kind) + "    1 1000     1000         4096 Mar 03 10:07 " + name + "\r\n";
}

// A small site: the login folder holds the folder "docs" and two files (one with an e acute in
// Windows-1252), "docs" holds a style sheet and a folder. USER starts in the login folder, CWD
// and CDUP move between the two; LIST sends the current folder, with what was stored into it.
// LIST and STOR can be held to play a silent server.
class ScriptedSite {
  public:
    ScriptedSite() {
        // Each session starts in the login folder.
        server.On("USER", [this](FakeFtpServer::Session& s, const std::string&) {
            SetFolder("");
            s.Reply("331 Please specify the password.\r\n");
        });
        server.On("CWD", [this](FakeFtpServer::Session& s, const std::string& name) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (folders_.count(name) == 0) {
                s.Reply("550 Failed to change directory.\r\n");
                return;
            }
            folder_ = name;
            s.Reply("250 Directory successfully changed.\r\n");
        });
        server.On("CDUP", [this](FakeFtpServer::Session& s, const std::string&) {
            SetFolder("");
            s.Reply("250 Directory successfully changed.\r\n");
        });
        // The login folder's name holds a quote, which the reply doubles.
        server.On("PWD", [this](FakeFtpServer::Session& s, const std::string&) {
            std::lock_guard<std::mutex> lock(mutex_);
            s.Reply("257 \"/home/o\"\"brien" + (folder_.empty() ? "" : "/" + folder_) +
                    "\" is the current directory\r\n");
        });
        server.On("NOOP", [this](FakeFtpServer::Session& s, const std::string&) {
            s.Reply(dropped ? "421 Timeout.\r\n" : "200 NOOP ok.\r\n");
        });
        server.On("LIST", [this](FakeFtpServer::Session& s, const std::string&) {
            Hold(holdList, s);
            s.Reply("150 Here comes the directory listing.\r\n");
            LoopbackConnection data = s.ConnectData();
            data.Send(Listing());
            data.Close();
            s.Reply("226 Directory send OK.\r\n");
        });
        server.On("STOR", [this](FakeFtpServer::Session& s, const std::string& name) {
            Hold(holdStor, s);
            s.Reply("150 Ok to send data.\r\n");
            const std::string content = s.ConnectData().ReadUntilClosed();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stored_.count(name) == 0) {
                    folders_[folder_] += Line("-rw-r--r--", name);
                }
                stored_[name] = content;
            }
            s.Reply("226 Transfer complete.\r\n");
        });
        server.On("RETR", [](FakeFtpServer::Session& s, const std::string& name) {
            s.Reply("150 Opening data connection.\r\n");
            LoopbackConnection data = s.ConnectData();
            data.Send("content of " + name + "\r\n\x01\xff");
            data.Close();
            s.Reply("226 Transfer complete.\r\n");
        });
    }

    std::string Host() const { return "127.0.0.1:" + std::to_string(server.Port()); }
    std::string Stored(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        return stored_[name];
    }
    // The argument of the last TYPE command sent before the first command `line`.
    std::string TypeBefore(const std::string& line) const {
        std::string type;
        for (const std::string& command : server.Commands()) {
            if (command == line) {
                return type;
            }
            if (command.rfind("TYPE ", 0) == 0) {
                type = command.substr(5);
            }
        }
        return "(no " + line + ")";
    }

    // A file of the login folder, listed under `name`.
    void AddFile(const std::string& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        folders_[""] += Line("-rw-r--r--", name);
    }

    std::atomic<bool> holdList{false};
    std::atomic<bool> holdStor{false};
    // NOOP answers as a server that has closed the session.
    std::atomic<bool> dropped{false};

  private:
    void SetFolder(const std::string& folder) {
        std::lock_guard<std::mutex> lock(mutex_);
        folder_ = folder;
    }
    std::string Listing() {
        std::lock_guard<std::mutex> lock(mutex_);
        return "total 12\r\n" + folders_[folder_];
    }
    static void Hold(const std::atomic<bool>& hold, FakeFtpServer::Session& s) {
        while (hold && !s.control.Stopping()) {
            std::this_thread::sleep_for(Ms(10));
        }
    }

    std::mutex mutex_;
    std::string folder_;
    std::map<std::string, std::string> folders_{
        {"", Line("drwxr-xr-x", "docs") + Line("-rw-r--r--", "index.html") +
                 Line("-rw-r--r--", "caf\xe9.txt")},
        {"docs", Line("-rw-r--r--", "site.css") + Line("drwxr-xr-x", "img")}};
    std::map<std::string, std::string> stored_;

  public:
    // Last: its thread runs the handlers above until it is destroyed.
    FakeFtpServer server;
};

// A fresh self-signed certificate for 127.0.0.1, which nothing trusts, and its server context.
struct SelfSigned {
    DemoCertificate pem;
    TlsServerContext server;
    bool Make() {
        return MakeDemoCertificate(pem) == kDemoCertificateMade &&
               server.Load(pem.certificatePem, pem.keyPem) == TlsServerContext::kOk;
    }
};

QStringList TextsOf(QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i) {
        texts.push_back(parent->child(i)->text(0));
    }
    return texts;
}

QImage ImageOf(QTreeWidgetItem* item) {
    return item->icon(0).pixmap(16, 16).toImage();
}

}  // namespace

class FtpCenterDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<ScriptedSite> site_;
    std::optional<FtpCenterDialog> dialog_;

    QTreeWidget* Tree() { return Control<QTreeWidget>(*dialog_, "remoteTree"); }
    QTreeWidgetItem* Root() { return Tree()->invisibleRootItem(); }
    QPushButton* Button(const char* name) { return ButtonOf(*dialog_, name); }
    ProgressDialog* ProgressWindow() { return dialog_->findChild<ProgressDialog*>(); }
    bool WaitIdle() {
        return QTest::qWaitFor([this] { return !dialog_->Busy(); }, 10000);
    }
    void Fill(const std::string& host, const QString& user, const QString& password) {
        EditOf(*dialog_, "hostEdit")->setText(QString::fromStdString(host));
        EditOf(*dialog_, "userEdit")->setText(user);
        EditOf(*dialog_, "passwordEdit")->setText(password);
    }
    bool Connect() {
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        return WaitIdle() && Root()->childCount() > 0;
    }
    void DoubleClick(QTreeWidgetItem* item) { DoubleClickItem(Tree(), item); }
    QStringList Messages() const {
        QStringList texts;
        for (const PromptCall& call : prompts_->Calls()) {
            if (call.kind == PromptCall::Kind::Inform) {
                texts.push_back(call.caption + "|" + call.text);
            }
        }
        return texts;
    }
    int Count(const std::string& verb) const {
        int count = 0;
        for (const std::string& command : site_->server.Commands()) {
            count += command == verb ? 1 : 0;
        }
        return count;
    }
    static QString Shown(const char* text) { return "Site Workbench|" + QString::fromLatin1(text); }
    QString Status() { return Control<QLabel>(*dialog_, "statusLabel")->text(); }
    QStringList Questions() const {
        QStringList texts;
        for (const PromptCall& call : prompts_->Calls()) {
            if (call.kind == PromptCall::Kind::Ask) {
                texts.push_back(call.text);
            }
        }
        return texts;
    }
    void Reopen() {
        dialog_.reset();
        dialog_.emplace(*prompts_, ShortWaits());
        QVERIFY(ShowActive(*dialog_));
    }
    std::string LocalFile(const std::string& name, const std::string& content) {
        const std::string path = fixture_->Path(name);
        WriteWholeFile(path, content);
        prompts_->ChooseFile(QString::fromStdString(path));
        return path;
    }

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        site_.emplace();
        dialog_.emplace(*prompts_, ShortWaits());
        QVERIFY(ShowActive(*dialog_));
    }
    void cleanup() {
        site_->holdList = site_->holdStor = false;
        dialog_.reset();
        site_.reset();
        prompts_.reset();
        fixture_.reset();
    }

    void connectShowsProgressAndListsTheLoginFolder() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("FTP CENTER"));
        QCOMPARE(EditOf(*dialog_, "passwordEdit")->echoMode(), QLineEdit::Password);
        QCOMPARE(Tree()->palette().color(QPalette::Base), QColor(Qt::white));
        site_->holdList = true;
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QTRY_VERIFY(site_->server.ReceivedVerb("LIST"));
        ProgressDialog* progress = ProgressWindow();
        QVERIFY(progress != nullptr && progress->isVisible());
        QCOMPARE(progress->windowTitle(), QStringLiteral("FTP Center"));
        QCOMPARE(Control<QLabel>(*progress, "noteLabel")->text(),
                 QStringLiteral("Connecting to Site..."));
        // Four steps, three more before the log-on, one after it: 8 x 5.
        QCOMPARE(progress->Position(), 40);
        QCOMPARE(progress->PercentText(), QStringLiteral("40%"));

        site_->holdList = false;
        QVERIFY(WaitIdle());
        QVERIFY(ProgressWindow() == nullptr);
        QCOMPARE(TextsOf(Root()),
                 (QStringList{"docs", "index.html", QStringLiteral("caf\u00e9.txt")}));
        const QImage folder = ImageOf(Root()->child(0));
        QVERIFY(!folder.isNull());
        QVERIFY(folder != ImageOf(Root()->child(1)));
        QCOMPARE(ImageOf(Root()->child(2)), ImageOf(Root()->child(1)));
        QCOMPARE(Root()->child(2)->data(0, FtpCenterDialog::kEntryIndexRole).toInt(), 2);
        QVERIFY(site_->server.Received("USER webmaster"));
        QVERIFY(site_->server.Received("PASS secret"));
        QVERIFY(Messages().isEmpty());
    }

    // Connecting again, even from another folder, shows the login folder once.
    void connectAgainShowsTheLoginFolderOnce() {
        QVERIFY(Connect());
        DoubleClick(Root()->child(0));
        QVERIFY(WaitIdle());
        QVERIFY(Connect());
        QCOMPARE(TextsOf(Root()),
                 (QStringList{"docs", "index.html", QStringLiteral("caf\u00e9.txt")}));
        QCOMPARE(Count("USER webmaster"), 2);
    }

    void anEmptyFieldShowsTheFillInMessageAndConnectsNowhere() {
        const std::string host = site_->Host();
        Fill(host, QStringLiteral("webmaster"), QString());
        Click(*dialog_, "connectButton");
        Fill("", QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        Fill(host, QString(), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        const QString fillIn =
            Shown("Please fill in all information before clicking\nthe \"Connect\" button.");
        QCOMPARE(Messages(), (QStringList{fillIn, fillIn, fillIn}));
        QTest::qWait(100);
        QVERIFY(site_->server.Commands().empty());
        QVERIFY(ProgressWindow() == nullptr);
        QVERIFY(!dialog_->Busy());
    }

    // The designed message gets the reason on a line of its own; a refused password gets the
    // server's reply instead.
    void eachConnectFailureSaysWhy() {
        site_->server.OnReply("PASS", "530 Login incorrect.\r\n");
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("wrong"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        const std::string closed = "127.0.0.1:" + std::to_string(LoopbackServer::ClosedPort());
        Fill(closed, QStringLiteral("a"), QStringLiteral("b"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        // A peer that closes at once: no greeting.
        LoopbackServer mute([](LoopbackConnection&) {});
        const std::string muteHost = "127.0.0.1:" + std::to_string(mute.Port());
        Fill(muteHost, QStringLiteral("a"), QStringLiteral("b"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        Fill("127.0.0.1:70000", QStringLiteral("a"), QStringLiteral("b"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        const QString error = Shown(
            "An error was encountered while connecting to the site.  Please check the settings "
            "and try again.\n");
        QCOMPARE(Messages(),
                 (QStringList{
                     Shown("The server did not accept the log-on. Please check the user name "
                           "and password.\nThe server said: 530 Login incorrect."),
                     error + QString::fromStdString("The connection to " + closed +
                                                    " was refused: no server answers on that "
                                                    "port."),
                     error + QString::fromStdString("The server " + muteHost +
                                                    " sent no greeting: it closed the connection "
                                                    "or stayed silent."),
                     error + "The port after the host name must be a number from 1 to 65535."}));
        QCOMPARE(Root()->childCount(), 0);
        QVERIFY(ProgressWindow() == nullptr);
        QVERIFY(Button("connectButton")->isEnabled());
    }

    // The top level is the folder last opened, so that going up looks like going up.
    void doubleClickOpensAFolderAndParentDirectoryGoesBackUp() {
        QVERIFY(Connect());
        QTreeWidgetItem* docs = Root()->child(0);
        const QImage folder = ImageOf(docs);
        DoubleClick(docs);
        QVERIFY(WaitIdle());
        QVERIFY(site_->server.Received("CWD docs"));
        QCOMPARE(TextsOf(Root()), (QStringList{"Parent Directory", "site.css", "img"}));
        QCOMPARE(Root()->child(0)->data(0, FtpCenterDialog::kEntryIndexRole).toInt(), -1);
        QCOMPARE(Root()->child(1)->data(0, FtpCenterDialog::kEntryIndexRole).toInt(), 0);
        QCOMPARE(Root()->child(2)->data(0, FtpCenterDialog::kEntryIndexRole).toInt(), 1);
        QCOMPARE(ImageOf(Root()->child(2)), folder);

        DoubleClick(Root()->child(0));
        QVERIFY(WaitIdle());
        QVERIFY(site_->server.Received("CDUP"));
        QCOMPARE(TextsOf(Root()), (QStringList{"Parent Directory", "docs", "index.html",
                                               QStringLiteral("caf\u00e9.txt")}));
        for (int i = 0; i < Root()->childCount(); ++i) {
            QCOMPARE(Root()->child(i)->childCount(), 0);
        }
    }

    void doubleClickOnAFileLeavesTheTreeAlone() {
        QVERIFY(Connect());
        QTreeWidgetItem* file = Root()->child(2);
        DoubleClick(file);
        QVERIFY(WaitIdle());
        // The name goes back to the server in its own bytes.
        QVERIFY(site_->server.Received("CWD caf\xe9.txt"));
        QCOMPARE(file->childCount(), 0);
        QCOMPARE(Root()->childCount(), 3);
        QCOMPARE(Count("LIST"), 1);
        QVERIFY(Messages().isEmpty());
    }

    void uploadSendsAStyleSheetAsTextAndAPictureAsImage() {
        QVERIFY(Connect());
        LocalFile("site.css", "body { color: green }\r\n");
        site_->holdStor = true;
        Click(*dialog_, "uploadButton");
        QTRY_VERIFY(site_->server.ReceivedVerb("STOR"));
        QCOMPARE(Control<QProgressBar>(*dialog_, "transferBar")->value(), 40);
        site_->holdStor = false;
        QVERIFY(WaitIdle());
        QCOMPARE(Control<QProgressBar>(*dialog_, "transferBar")->value(), 0);
        QCOMPARE(site_->TypeBefore("STOR site.css"), std::string("A"));
        QCOMPARE(site_->Stored("site.css"), std::string("body { color: green }\r\n"));

        const std::string gif = std::string("GIF89a\x01\x00\x01\x00\x80\x00\xff", 13);
        LocalFile("logo.gif", gif);
        Click(*dialog_, "uploadButton");
        QVERIFY(WaitIdle());
        QCOMPARE(site_->TypeBefore("STOR logo.gif"), std::string("I"));
        QCOMPARE(site_->Stored("logo.gif"), gif);
        QCOMPARE(Messages(), (QStringList{Shown("Transfer Complete"), Shown("Transfer Complete")}));
        QCOMPARE(prompts_->Calls().front().kind, PromptCall::Kind::OpenFile);
        // The file dialog opens in the home folder, then in the folder chosen last.
        QCOMPARE(prompts_->Calls()[0].choice.initialFolder, QDir::homePath());
        QCOMPARE(prompts_->Calls()[2].choice.initialFolder,
                 QFileInfo(QString::fromStdString(fixture_->Path("site.css"))).absolutePath());
        QCOMPARE(dialog_->LocalFolder(), prompts_->Calls()[2].choice.initialFolder);
    }

    // The folder the file went to is listed again, in place, with the new file selected.
    void anUploadShowsInTheFolderItWentTo() {
        QVERIFY(Connect());
        LocalFile("new.html", "<p>new</p>\r\n");
        Click(*dialog_, "uploadButton");
        QVERIFY(WaitIdle());
        QCOMPARE(TextsOf(Root()),
                 (QStringList{"docs", "index.html", QStringLiteral("caf\u00e9.txt"), "new.html"}));
        DoubleClick(Root()->child(0));
        QVERIFY(WaitIdle());
        LocalFile("more.css", "p {}\r\n");
        Click(*dialog_, "uploadButton");
        QVERIFY(WaitIdle());
        QCOMPARE(TextsOf(Root()), (QStringList{"Parent Directory", "site.css", "img", "more.css"}));
        QCOMPARE(Tree()->currentItem(), Root()->child(3));
        QCOMPARE(Count("LIST"), 4);
    }

    void downloadTakesTheTypeFromTheLocalName() {
        QVERIFY(Connect());
        Tree()->setCurrentItem(Root()->child(1));
        const std::string cgi = fixture_->Path("counter.cgi");
        prompts_->ChooseFile(QString::fromStdString(cgi));
        Click(*dialog_, "downloadButton");
        QVERIFY(WaitIdle());
        // The download list has no ".cgi".
        QCOMPARE(site_->TypeBefore("RETR index.html"), std::string("I"));
        QCOMPARE(FileText(cgi), std::string("content of index.html\r\n\x01\xff"));

        Tree()->setCurrentItem(Root()->child(2));
        const std::string html = fixture_->Path("copy.html");
        prompts_->ChooseFile(QString::fromStdString(html));
        Click(*dialog_, "downloadButton");
        QVERIFY(WaitIdle());
        QCOMPARE(site_->TypeBefore("RETR caf\xe9.txt"), std::string("A"));
        QCOMPARE(FileText(html), std::string("content of caf\xe9.txt\r\n\x01\xff"));
        QCOMPARE(Messages(), (QStringList{Shown("Transfer complete"), Shown("Transfer complete")}));
        QCOMPARE(Control<QProgressBar>(*dialog_, "transferBar")->value(), 0);
    }

    // A listing's name that holds a path or control characters proposes its last part only,
    // so the save dialog's folder is where the file goes.
    void downloadProposesOnlyTheLastPartOfTheRemoteName() {
        site_->AddFile("../../evil.txt");
        site_->AddFile("/etc/cron.d/x\x01\x1b[2Jy.html");
        site_->AddFile("a/..");
        QVERIFY(Connect());
        const QStringList remote = {"../../evil.txt",
                                    QStringLiteral("/etc/cron.d/x\u0001\u001b[2Jy.html"), "a/.."};
        const QStringList proposed = {"evil.txt", "x[2Jy.html", ""};
        for (int i = 0; i < remote.size(); ++i) {
            QTreeWidgetItem* item = nullptr;
            for (int n = 0; n < Root()->childCount(); ++n) {
                if (Root()->child(n)->text(0) == remote[i]) {
                    item = Root()->child(n);
                }
            }
            QVERIFY2(item != nullptr, qPrintable(remote[i]));
            Tree()->setCurrentItem(item);
            prompts_->ChooseFile(QString());
            Click(*dialog_, "downloadButton");
            QVERIFY(WaitIdle());
            QCOMPARE(prompts_->Calls().back().kind, PromptCall::Kind::SaveFile);
            QCOMPARE(prompts_->Calls().back().choice.proposedName, proposed[i]);
        }
        QCOMPARE(Count("RETR ../../evil.txt"), 0);
    }

    // Upload and Download are off while not connected, and the line above the tree names the
    // server's current folder. A server that has closed the session since still gets the
    // designed messages, and turns them off again.
    void transfersNeedAConnectionAndADownloadASelection() {
        QLabel* folder = Control<QLabel>(*dialog_, "remoteFolderLabel");
        auto transfersOn = [this] {
            const bool upload = Button("uploadButton")->isEnabled();
            return upload == Button("downloadButton")->isEnabled() ? int(upload) : -1;
        };
        QCOMPARE(transfersOn(), 0);
        QCOMPARE(folder->text(), QStringLiteral("Remote folder: not connected"));
        QVERIFY(Connect());
        QCOMPARE(transfersOn(), 1);
        QCOMPARE(folder->text(), QStringLiteral("Remote folder: /home/o\"brien"));
        DoubleClick(Root()->child(0));
        QVERIFY(WaitIdle());
        QCOMPARE(folder->text(), QStringLiteral("Remote folder: /home/o\"brien/docs"));
        Tree()->clearSelection();
        Click(*dialog_, "downloadButton");
        QVERIFY(WaitIdle());
        site_->dropped = true;
        Click(*dialog_, "uploadButton");
        QVERIFY(WaitIdle());
        QCOMPARE(
            Messages(),
            (QStringList{Shown("Please select a file to download from the file list on your left."),
                         Shown("Please connect to a site before you try to upload any files.")}));
        // No file dialog was opened for either.
        QCOMPARE(prompts_->Calls().size(), std::size_t(2));
        QCOMPARE(transfersOn(), 0);
        QCOMPARE(folder->text(), QStringLiteral("Remote folder: not connected"));
        site_->dropped = false;
        QVERIFY(Connect());
        Click(*dialog_, "disconnectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(transfersOn(), 0);
    }

    // Host and user name stay for the next Connect; the password does not.
    void disconnectLogsOffAndKeepsHostAndUser() {
        QVERIFY(Connect());
        Click(*dialog_, "disconnectButton");
        QVERIFY(WaitIdle());
        QVERIFY(site_->server.WaitDone());
        QCOMPARE(site_->server.Commands().back(), std::string("Quit"));
        QCOMPARE(Root()->childCount(), 0);
        QCOMPARE(EditOf(*dialog_, "hostEdit")->text(), QString::fromStdString(site_->Host()));
        QCOMPARE(EditOf(*dialog_, "userEdit")->text(), QStringLiteral("webmaster"));
        QVERIFY(EditOf(*dialog_, "passwordEdit")->text().isEmpty());
        EditOf(*dialog_, "passwordEdit")->setText(QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Root()->childCount(), 3);
        QCOMPARE(Count("USER webmaster"), 2);
    }

    // Enter after the password logs on instead of reaching Exit, the default button.
    void enterInThePasswordConnects() {
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        QLineEdit* password = EditOf(*dialog_, "passwordEdit");
        password->setFocus();
        QTest::keyClick(password, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QVERIFY(WaitIdle());
        QCOMPARE(Root()->childCount(), 3);
        QCOMPARE(Count("USER webmaster"), 1);
        QVERIFY(dialog_->isVisible());
    }

    void exitAndEscapeLogOff() {
        QVERIFY(Connect());
        Click(*dialog_, "exitButton");
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QVERIFY(site_->server.WaitDone());
        std::vector<std::string> commands = site_->server.Commands();
        QCOMPARE(commands.size() >= 2 ? commands[commands.size() - 2] : "", std::string("NOOP"));
        QCOMPARE(commands.back(), std::string("Quit"));

        // Opened again, the dialog works; Escape leaves the same way.
        QVERIFY(ShowActive(*dialog_));
        QVERIFY(Connect());
        QTest::keyClick(dialog_.operator->(), Qt::Key_Escape);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(Count("USER webmaster"), 2);
        QTRY_COMPARE(site_->server.Commands().back(), std::string("Quit"));
    }

    void staysResponsiveWhileTheServerIsSilent() {
        // Waits far longer than the bound asserted below, so only a cancel can meet it.
        FtpWaits patient = ShortWaits();
        patient.reply = patient.data = Ms(30000);
        dialog_.reset();
        dialog_.emplace(*prompts_, patient);
        QVERIFY(ShowActive(*dialog_));
        site_->holdList = true;
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        const auto clicked = std::chrono::steady_clock::now();
        Click(*dialog_, "connectButton");
        QVERIFY(std::chrono::steady_clock::now() - clicked < Ms(500));
        QTRY_VERIFY(site_->server.ReceivedVerb("LIST"));
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(10);
        QTRY_VERIFY(ticks >= 3);
        QVERIFY(dialog_->Busy());
        for (const char* name :
             {"connectButton", "disconnectButton", "uploadButton", "downloadButton"}) {
            QVERIFY(!Button(name)->isEnabled());
        }
        QVERIFY(!Tree()->isEnabled());
        QVERIFY(Button("exitButton")->isEnabled());

        // Leaving while the call waits cancels it instead of waiting for the server.
        const auto exit = std::chrono::steady_clock::now();
        Click(*dialog_, "exitButton");
        QVERIFY(std::chrono::steady_clock::now() - exit < Ms(8000));
        QVERIFY(!dialog_->isVisible());
        site_->holdList = false;
        QVERIFY(site_->server.WaitDone());
    }

    void passiveModeAndEncryptionAreKeptBetweenRuns() {
        auto* passive = Control<QCheckBox>(*dialog_, "passiveCheck");
        auto* encryption = Control<QComboBox>(*dialog_, "encryptionCombo");
        QVERIFY(passive->isChecked());
        QCOMPARE(encryption->count(), 3);
        QCOMPARE(encryption->currentText(), QStringLiteral("TLS if the server offers it"));
        QCOMPARE(Status(), QStringLiteral("Not connected"));
        QVERIFY(Connect());
        QCOMPARE(Status(),
                 QStringLiteral("Connected without encryption (plain FTP), passive mode"));
        QCOMPARE(Count("AUTH TLS"), 1);
        QCOMPARE(Count("EPSV"), 1);

        passive->setChecked(false);
        encryption->setCurrentIndex(2);
        Reopen();
        passive = Control<QCheckBox>(*dialog_, "passiveCheck");
        encryption = Control<QComboBox>(*dialog_, "encryptionCombo");
        QVERIFY(!passive->isChecked());
        QCOMPARE(encryption->currentText(), QStringLiteral("Plain FTP"));
        QVERIFY(Connect());
        QCOMPARE(Status(), QStringLiteral("Connected without encryption (plain FTP), active mode"));
        QCOMPARE(Count("AUTH TLS"), 1);
        QCOMPARE(Count("EPSV"), 1);
        QVERIFY(site_->server.ReceivedVerb("PORT"));
        Click(*dialog_, "disconnectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Status(), QStringLiteral("Not connected"));

        // Required: a server without TLS gets no password, and the user is told why.
        encryption->setCurrentIndex(1);
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Root()->childCount(), 0);
        QCOMPARE(Count("PASS secret"), 2);
        QCOMPARE(Messages().size(), 1);
        QVERIFY(Messages().front().contains(QStringLiteral("refused AUTH TLS")));
        QCOMPARE(LoadFtpConnectionSetting(App().paths.ftpFile).encryption,
                 FtpEncryption::kRequired);
    }

    void anUnverifiedCertificateIsAskedAboutAndRemembered() {
        SelfSigned first;
        SelfSigned second;
        QVERIFY(first.Make() && second.Make());
        site_->server.EnableTls(&first.server);
        prompts_->Answer(PromptAnswer::No);
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Root()->childCount(), 0);
        QCOMPARE(Status(), QStringLiteral("Not connected"));
        QCOMPARE(Count("USER webmaster"), 0);
        QCOMPARE(Questions().size(), 1);
        const QString question = Questions().front();
        QVERIFY2(question.contains(QString::fromStdString(site_->Host())), qPrintable(question));
        QVERIFY(question.contains(QStringLiteral("self-signed certificate")));
        QVERIFY(question.contains(QStringLiteral("Subject: CN=")));
        QVERIFY(!question.contains(QStringLiteral("CHANGED")));
        const qsizetype at = question.indexOf(QStringLiteral("SHA-256 fingerprint:\n"));
        QVERIFY(at >= 0);
        const QString fingerprint = question.mid(at + 21, 95);
        QCOMPARE(fingerprint.count(QLatin1Char(':')), 31);
        QVERIFY(Messages().isEmpty());

        // Yes, and remember it: connected over TLS, and the next connect asks nothing.
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->Answer(PromptAnswer::Yes);
        QVERIFY(Connect());
        QCOMPARE(Questions().size(), 3);
        QCOMPARE(Status(),
                 QStringLiteral("Connected over TLS (certificate accepted by you), passive mode"));
        struct stat info {};
        QCOMPARE(::stat(App().paths.ftpTrustFile.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(QString::fromStdString(FileText(App().paths.ftpTrustFile)),
                 QString::fromStdString(site_->Host()) + " " + fingerprint + "\n");
        Click(*dialog_, "disconnectButton");
        QVERIFY(WaitIdle());
        Reopen();
        QVERIFY(Connect());
        QCOMPARE(Questions().size(), 3);

        // Another certificate on the same server is asked about again, saying that it changed.
        site_->server.EnableTls(&second.server);
        prompts_->Answer(PromptAnswer::No);
        Click(*dialog_, "disconnectButton");
        QVERIFY(WaitIdle());
        const int users = Count("USER webmaster");
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QVERIFY(WaitIdle());
        QCOMPARE(Questions().size(), 4);
        QVERIFY(Questions().back().contains(QStringLiteral("CHANGED")));
        QVERIFY(Questions().back().contains(fingerprint));
        QCOMPARE(Count("USER webmaster"), users);
        QVERIFY(prompts_->ScriptUsedUp());
    }

    void cancelInTheProgressWindowStopsTheConnect() {
        site_->holdList = true;
        Fill(site_->Host(), QStringLiteral("webmaster"), QStringLiteral("secret"));
        Click(*dialog_, "connectButton");
        QTRY_VERIFY(site_->server.ReceivedVerb("LIST"));
        const auto cancel = std::chrono::steady_clock::now();
        QTest::mouseClick(ButtonOf(*ProgressWindow(), "cancelButton"), Qt::LeftButton);
        QVERIFY(WaitIdle());
        QVERIFY(std::chrono::steady_clock::now() - cancel < Ms(1000));
        QVERIFY(ProgressWindow() == nullptr);
        QCOMPARE(Root()->childCount(), 0);
        QVERIFY(Messages().isEmpty());
    }
};

SG_REGISTER_UI_TEST(FtpCenterDialogTest);

}  // namespace sg::test

#include "FtpCenterDialogTest.moc"
