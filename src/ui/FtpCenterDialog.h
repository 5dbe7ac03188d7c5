#pragma once
// "FTP CENTER": connects to the site's FTP server, browses its folders in a tree, uploads a
// local file into the current remote folder and downloads the selected remote file. The tree's
// top level is the folder last opened ("Parent Directory" first once the user has moved), so
// going up looks like going up.
//
// The agent's calls run on an FtpWorker thread, one at a time, so the window keeps painting
// while the server is slow. While a command waits for the server its buttons and the tree are
// disabled; "Exit", Escape and the close box stay usable and cancel what is in flight.
//
// "Passive mode" and "Encryption" choose how the agent connects; they are kept between runs
// (ftp.txt beside the proxy settings). A certificate that does not verify is shown to the user,
// who may connect anyway and have it remembered (ftp-trust.txt); the status line says after
// Connect whether the session is encrypted.

#include <QDialog>
#include <string>
#include <vector>

#include "app/ProgressModel.h"
#include "net/FtpConnectionSetting.h"
#include "net/FtpDirEntry.h"
#include "net/FtpWaits.h"
#include "net/TlsSession.h"
#include "ui/FtpWorker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sg {

class CFtpAgent;
class ProgressDialog;
class UserPrompts;

class FtpCenterDialog : public QDialog {
    Q_OBJECT

  public:
    // The text of the item that leads one folder up.
    static constexpr const char* kParentItemText = "Parent Directory";
    // Item data: the entry's index in its listing (-1 for "Parent Directory"), and the name as
    // the server sent it.
    static constexpr int kEntryIndexRole = Qt::UserRole;
    static constexpr int kRemoteNameRole = Qt::UserRole + 1;

    explicit FtpCenterDialog(UserPrompts& prompts, QWidget* parent = nullptr);
    // With the agent's waits (tests use short ones).
    FtpCenterDialog(UserPrompts& prompts, const FtpWaits& waits, QWidget* parent = nullptr);
    ~FtpCenterDialog() override;

    // True from the click that starts a command until the command has ended.
    bool Busy() const { return busy_; }

    // The local folder the Upload and Download file dialogs open in: the one last chosen in
    // them, else (empty) the user's home folder. The main window keeps it between openings.
    void SetLocalFolder(const QString& folder) { localFolder_ = folder; }
    const QString& LocalFolder() const { return localFolder_; }

    // "Exit", and Escape or the close box: log off when the server still answers, then close.
    void accept() override;
    void reject() override;

  signals:
    // A command ended (after its message, if it shows one).
    void commandFinished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Listing {
        int result = 0;
        // False when the folder change before the listing failed.
        bool changed = true;
        std::vector<FtpDirEntry> entries;
        // The server's current folder (PWD), empty when it did not say.
        std::string folder;
    };
    static Listing ListNow(CFtpAgent& agent);
    struct LogOnOutcome {
        int result = 0;
        bool encrypted = false;
        std::string server;
        std::string tlsError;
        // Why it failed, and the server's last reply.
        std::string failure;
        std::string reply;
        TlsPeerCertificate peer;
    };

    // Posts `work` to the worker; `then` gets its result on the window thread, unless the
    // dialog has closed meanwhile.
    template <typename Work, typename Then>
    void Run(Work work, Then then);

    void Connect();
    // `trusted`: the fingerprint of a certificate the user accepted; `asked`: whether the user
    // was asked about a certificate in this Connect already.
    void LogOn(const std::string& host, const std::string& user, const std::string& password,
               const std::string& trusted, bool asked);
    void ConnectLoggedOn(const LogOnOutcome& outcome, const std::string& host,
                         const std::string& user, const std::string& password, bool asked);
    // The question about a certificate that does not verify: true to connect anyway (and
    // remembered when the user says so).
    bool AcceptCertificate(const LogOnOutcome& outcome);
    FtpConnectionSetting ChosenSetting() const;
    void SaveSetting();
    void ConnectListed(const Listing& listing);
    // The current folder's listing in place of the tree's top level, "Parent Directory" first
    // when `withParent`.
    void ShowFolder(const Listing& listing, bool withParent);
    bool ShowsParentItem() const;
    void Disconnect();
    void OpenItem(QTreeWidgetItem* item);
    void Upload();
    void UploadChosen(int check);
    void Uploaded(const Listing& listing, const std::string& remote);
    void Download();
    void DownloadChosen(int check);
    void Leave(int result);

    void Begin();
    void Finish();
    // Upload and Download only while connected.
    void EnableControls(bool enabled);
    // Connected or not: the buttons and the remote folder line follow.
    void SetConnected(bool connected, const std::string& folder = std::string());
    // The file dialogs' folder, and the one to remember from a choice.
    QString FileDialogFolder() const;
    void RememberFolderOf(const QString& path);
    void Message(const char* text);
    QTreeWidgetItem* MakeItem(const FtpDirEntry& entry, int index) const;

    void OpenProgressWindow();
    void StepProgressWindow(int steps);
    void CloseProgressWindow();
    void AdvanceBar(int steps);

    UserPrompts& prompts_;
    FtpWorker worker_;
    bool busy_ = false;
    bool leaving_ = false;
    // Logged on and not disconnected since; the server is still asked (NOOP) before a
    // transfer, as it may have closed the connection meanwhile.
    bool connected_ = false;
    QString localFolder_;
    // Counts the closings, so that results can tell which opening they belong to.
    int session_ = 0;
    bool connectCancelled_ = false;

    QLineEdit* hostEdit_;
    QLineEdit* userEdit_;
    QLineEdit* passwordEdit_;
    QPushButton* connectButton_;
    QPushButton* disconnectButton_;
    QCheckBox* passiveCheck_;
    QComboBox* encryptionCombo_;
    QLabel* statusLabel_;
    QLabel* folderLabel_;
    QTreeWidget* tree_;
    QPushButton* uploadButton_;
    QPushButton* downloadButton_;
    QPushButton* exitButton_;
    QProgressBar* bar_;

    ProgressDialog* progressWindow_ = nullptr;
    ProgressModel progressSteps_;
};

}  // namespace sg
