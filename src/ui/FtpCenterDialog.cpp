#include "ui/FtpCenterDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "model/AppState.h"
#include "net/CFtpAgent.h"
#include "net/FtpTransferType.h"
#include "net/FtpTrustList.h"
#include "ui/EnterKey.h"
#include "ui/FtpCenterArt.h"
#include "ui/ProgressDialog.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

const QString kCaption = QStringLiteral("Site Workbench");

constexpr const char* kFillIn =
    "Please fill in all information before clicking\nthe \"Connect\" button.";
constexpr const char* kConnectFailed =
    "An error was encountered while connecting to the site.  Please check the settings and "
    "try again.";
// A refused user name, password or account: the server's own reply says which.
constexpr const char* kLogOnRefused =
    "The server did not accept the log-on. Please check the user name and password.\n"
    "The server said: %1";
constexpr const char* kConnectBeforeUpload =
    "Please connect to a site before you try to upload any files.";
constexpr const char* kConnectBeforeDownload =
    "Please connect to a site before you try to download any files.";
constexpr const char* kSelectFile =
    "Please select a file to download from the file list on your left.";
constexpr const char* kTlsRefused =
    "The server does not offer an encrypted connection (it refused AUTH TLS), so your password "
    "was not sent.\n\nTo connect without encryption, choose \"TLS if the server offers it\" or "
    "\"Plain FTP\" under Encryption.";
constexpr const char* kTlsFailed = "The encrypted connection to the site could not be made: %1";
constexpr const char* kProtectionRefused =
    "The server refused to encrypt the transfers (PBSZ / PROT P), so the connection was not "
    "used.";
constexpr const char* kUploadDone = "Transfer Complete";

// The Encryption choice, in the order of FtpEncryption.
constexpr const char* kEncryptionChoices[] = {"TLS if the server offers it", "TLS required",
                                              "Plain FTP"};
constexpr const char* kNotConnected = "Not connected";
constexpr const char* kDownloadDone = "Transfer complete";

// The transfer bar moves in steps of ten: four before and after an upload, three around a
// download.
constexpr int kBarStep = 10;
constexpr int kUploadSteps = 4;
constexpr int kDownloadSteps = 3;

// How long closing waits for the server to answer NOOP and take the QUIT; a server that
// stays silent longer is cut off.
constexpr std::chrono::milliseconds kLeaveWait{2000};

QLineEdit* Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// A picture button: the drawn picture above its word.
QPushButton* PictureButton(const QString& text, const char* name, const QPixmap& picture,
                           QWidget* parent) {
    QPushButton* button = Button(text, name, parent);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setMinimumHeight(picture.height() + 16);
    return button;
}

// Names and paths in the agent's own text.
std::string BaseNameOf(const QString& path) {
    return FromQt(QFileInfo(path).fileName());
}

// The local name a download proposes for a remote one: its last path component without control
// characters, so that a listing's "../../x" or "/abs/x" cannot name a place outside the folder
// the save dialog shows. Empty when nothing of a name is left.
QString ProposedLocalName(const QString& remote) {
    QString name = remote.mid(remote.lastIndexOf(QLatin1Char('/')) + 1);
    name.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    return name == QLatin1String(".") || name == QLatin1String("..") ? QString() : name;
}

}  // namespace

FtpCenterDialog::FtpCenterDialog(UserPrompts& prompts, QWidget* parent)
    : FtpCenterDialog(prompts, FtpWaits{}, parent) {}

FtpCenterDialog::FtpCenterDialog(UserPrompts& prompts, const FtpWaits& waits, QWidget* parent)
    : QDialog(parent), prompts_(prompts), worker_(this, waits) {
    setObjectName(QStringLiteral("ftpCenterDialog"));
    setWindowTitle(QStringLiteral("FTP CENTER"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);

    hostEdit_ = Edit("hostEdit", this);
    hostEdit_->setWhatsThis(QStringLiteral(
        "The host name or address of your site's FTP server, optionally followed by \":port\"."));
    userEdit_ = Edit("userEdit", this);
    userEdit_->setWhatsThis(QStringLiteral("The user name of your FTP account."));
    passwordEdit_ = Edit("passwordEdit", this);
    passwordEdit_->setEchoMode(QLineEdit::Password);
    passwordEdit_->setWhatsThis(QStringLiteral("The password of your FTP account."));
    connectButton_ = Button(QStringLiteral("Connect"), "connectButton", this);
    connectButton_->setWhatsThis(
        QStringLiteral("Logs on to the server and lists its first folder in the tree."));
    disconnectButton_ = Button(QStringLiteral("Disconnect"), "disconnectButton", this);
    disconnectButton_->setWhatsThis(
        QStringLiteral("Logs off and empties the tree and the password; the host and the user "
                       "name stay for the next Connect."));

    passiveCheck_ = new QCheckBox(QStringLiteral("Passive mode"), this);
    passiveCheck_->setObjectName(QStringLiteral("passiveCheck"));
    passiveCheck_->setWhatsThis(QStringLiteral(
        "On: this computer opens every data connection (works behind a home router or a "
        "firewall). Off: the server connects back to this computer (active mode)."));
    encryptionCombo_ = new QComboBox(this);
    encryptionCombo_->setObjectName(QStringLiteral("encryptionCombo"));
    for (const char* choice : kEncryptionChoices) {
        encryptionCombo_->addItem(QString::fromLatin1(choice));
    }
    encryptionCombo_->setWhatsThis(QStringLiteral(
        "How the password and the files are protected: TLS when the server offers it (else "
        "plain FTP), TLS or no connection at all, or plain FTP."));
    statusLabel_ = new QLabel(QString::fromLatin1(kNotConnected), this);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setTextFormat(Qt::PlainText);
    const FtpConnectionSetting stored = LoadFtpConnectionSetting(App().paths.ftpFile);
    passiveCheck_->setChecked(stored.passive);
    encryptionCombo_->setCurrentIndex(static_cast<int>(stored.encryption));
    connect(passiveCheck_, &QCheckBox::toggled, this, [this] { SaveSetting(); });
    connect(encryptionCombo_, &QComboBox::currentIndexChanged, this, [this] { SaveSetting(); });

    auto* settings = new QGroupBox(QStringLiteral("Settings"), this);
    settings->setObjectName(QStringLiteral("settingsGroup"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Connect to:"), hostEdit_);
    form->addRow(QStringLiteral("UserName:"), userEdit_);
    form->addRow(QStringLiteral("Password:"), passwordEdit_);
    form->addRow(QStringLiteral("Encryption:"), encryptionCombo_);
    auto* connectRow = new QHBoxLayout;
    connectRow->addWidget(passiveCheck_);
    connectRow->addStretch(1);
    connectRow->addWidget(connectButton_);
    connectRow->addWidget(disconnectButton_);
    auto* settingsLayout = new QVBoxLayout(settings);
    settingsLayout->addLayout(form);
    settingsLayout->addLayout(connectRow);
    settingsLayout->addWidget(statusLabel_);

    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName(QStringLiteral("remoteFolderLabel"));
    folderLabel_->setTextFormat(Qt::PlainText);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("remoteTree"));
    tree_->setColumnCount(1);
    tree_->header()->hide();
    tree_->setIconSize(QSize(kFtpTreeImageSize, kFtpTreeImageSize));
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setExpandsOnDoubleClick(false);
    // One folder at a time: nothing to unfold.
    tree_->setRootIsDecorated(false);
    QPalette white = tree_->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    tree_->setPalette(white);
    tree_->setMinimumSize(300, 260);
    tree_->setWhatsThis(QStringLiteral(
        "The folders and files on the server. Double-click a folder to open it, \"Parent "
        "Directory\" to go one folder up; select a file to download it."));

    uploadButton_ =
        PictureButton(QStringLiteral("Upload"), "uploadButton", DrawFtpUploadPicture(), this);
    uploadButton_->setWhatsThis(
        QStringLiteral("Sends a file from this computer into the server's current folder."));
    downloadButton_ =
        PictureButton(QStringLiteral("Download"), "downloadButton", DrawFtpDownloadPicture(), this);
    downloadButton_->setWhatsThis(
        QStringLiteral("Fetches the file selected in the tree into a file on this computer."));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("transferBar"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setWhatsThis(QStringLiteral("How far the current transfer has come."));
    exitButton_ = Button(QStringLiteral("Exit"), "exitButton", this);
    exitButton_->setDefault(true);
    exitButton_->setWhatsThis(QStringLiteral("Logs off and closes the FTP Center."));

    auto* panel = new QGroupBox(QStringLiteral("Control Panel"), this);
    panel->setObjectName(QStringLiteral("controlPanelGroup"));
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(uploadButton_);
    panelLayout->addWidget(downloadButton_);
    panelLayout->addSpacing(8);
    panelLayout->addWidget(bar_);
    panelLayout->addStretch(1);
    panelLayout->addWidget(exitButton_);

    auto* left = new QVBoxLayout;
    left->addWidget(settings);
    left->addWidget(folderLabel_);
    left->addWidget(tree_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(panel);

    // Enter after the password logs on; the default button (Exit) would close the window.
    OnEnter(passwordEdit_, [this] {
        if (connectButton_->isEnabled()) {
            connectButton_->click();
        }
    });
    connect(connectButton_, &QPushButton::clicked, this, &FtpCenterDialog::Connect);
    connect(disconnectButton_, &QPushButton::clicked, this, &FtpCenterDialog::Disconnect);
    connect(uploadButton_, &QPushButton::clicked, this, &FtpCenterDialog::Upload);
    connect(downloadButton_, &QPushButton::clicked, this, &FtpCenterDialog::Download);
    connect(exitButton_, &QPushButton::clicked, this, &FtpCenterDialog::accept);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { OpenItem(item); });
    SetConnected(false);
    // F1 explains the control that has the focus, as the title bar's "?" does for a click.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] {
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && !focus->whatsThis().isEmpty()) {
            QWhatsThis::showText(focus->mapToGlobal(focus->rect().center()), focus->whatsThis(),
                                 focus);
        }
    });
}

FtpCenterDialog::~FtpCenterDialog() {
    CloseProgressWindow();
    worker_.Stop({}, kLeaveWait);
}

template <typename Work, typename Then>
void FtpCenterDialog::Run(Work work, Then then) {
    // A result of an earlier opening of the dialog (queued before it closed) is dropped.
    worker_.Post([this, session = session_, work = std::move(work),
                  then = std::move(then)](CFtpAgent& agent) -> std::function<void()> {
        auto result = work(agent);
        return [this, session, then, result = std::move(result)] {
            if (!leaving_ && session == session_) {
                then(result);
            }
        };
    });
}

FtpCenterDialog::Listing FtpCenterDialog::ListNow(CFtpAgent& agent) {
    Listing listing;
    // A server that does not answer PWD still lists; only the folder line stays empty.
    agent.PrintWorkingDirectory(listing.folder);
    listing.result = agent.ListDirectory();
    if (listing.result == CFtpAgent::kOk) {
        listing.entries.resize(static_cast<size_t>(agent.EntryCount()));
        for (int i = 0; i < agent.EntryCount(); ++i) {
            agent.EntryAt(i, &listing.entries[static_cast<size_t>(i)]);
        }
    }
    return listing;
}

// --- Connect ------------------------------------------------------------------------------

void FtpCenterDialog::Connect() {
    if (busy_) {
        return;
    }
    OpenProgressWindow();
    StepProgressWindow(4);
    const std::string host = FromQt(hostEdit_->text());
    const std::string user = FromQt(userEdit_->text());
    const std::string password = FromQt(passwordEdit_->text());
    if (host.empty() || user.empty() || password.empty()) {
        CloseProgressWindow();
        Message(kFillIn);
        emit commandFinished();
        return;
    }
    StepProgressWindow(3);
    Begin();
    connectCancelled_ = false;
    FtpTrustList trust;
    trust.Load(App().paths.ftpTrustFile);
    LogOn(host, user, password, trust.Remembered(CFtpAgent::ServerOf(host)), false);
}

void FtpCenterDialog::LogOn(const std::string& host, const std::string& user,
                            const std::string& password, const std::string& trusted, bool asked) {
    Run(
        [host, user, password, trusted, setting = ChosenSetting()](CFtpAgent& agent) {
            agent.SetConnectionSetting(setting);
            agent.SetTrustedFingerprint(trusted);
            LogOnOutcome outcome;
            outcome.result = agent.LogOn(host.c_str(), user.c_str(), password.c_str(), "");
            outcome.encrypted = agent.Encrypted();
            outcome.server = agent.Server();
            outcome.tlsError = agent.TlsError();
            outcome.failure = agent.LogOnFailure();
            outcome.reply = agent.LastReply();
            outcome.peer = agent.PeerCertificate();
            return outcome;
        },
        [this, host, user, password, asked](const LogOnOutcome& outcome) {
            ConnectLoggedOn(outcome, host, user, password, asked);
        });
}

bool FtpCenterDialog::AcceptCertificate(const LogOnOutcome& outcome) {
    FtpTrustList trust;
    trust.Load(App().paths.ftpTrustFile);
    const std::string remembered = trust.Remembered(outcome.server);
    const QString server = ToQt(outcome.server);
    QString text;
    if (!remembered.empty()) {
        text = QStringLiteral(
                   "The certificate of %1 has CHANGED since you accepted it, and it does not "
                   "verify (%2).\nThis can mean that someone is between you and the server.\n\n")
                   .arg(server, ToQt(outcome.tlsError));
        text +=
            QStringLiteral("Fingerprint accepted before (SHA-256):\n%1\n\n").arg(ToQt(remembered));
    } else {
        text = QStringLiteral("The certificate of %1 could not be verified (%2).\n\n")
                   .arg(server, ToQt(outcome.tlsError));
    }
    text += QStringLiteral("Subject: %1\nSHA-256 fingerprint:\n%2\n\nConnect anyway?")
                .arg(ToQt(outcome.peer.subject), ToQt(outcome.peer.sha256));
    if (prompts_.Ask(this, kCaption, text, PromptButtons::YesNo, PromptIcon::Warning) !=
        PromptAnswer::Yes) {
        return false;
    }
    const QString remember =
        QStringLiteral("Remember this certificate for %1, so that you are not asked again?")
            .arg(server);
    if (prompts_.Ask(this, kCaption, remember, PromptButtons::YesNo, PromptIcon::Question) ==
        PromptAnswer::Yes) {
        if (!trust.Remember(outcome.server, outcome.peer.sha256) ||
            !trust.Save(App().paths.ftpTrustFile)) {
            prompts_.Inform(this, kCaption,
                            QStringLiteral("The certificate could not be remembered in %1.")
                                .arg(PathToQt(App().paths.ftpTrustFile)),
                            PromptIcon::Warning);
        }
    }
    return true;
}

void FtpCenterDialog::ConnectLoggedOn(const LogOnOutcome& outcome, const std::string& host,
                                      const std::string& user, const std::string& password,
                                      bool asked) {
    const int result = outcome.result;
    if (result == CFtpAgent::kLogOnCertificateNotTrusted && !connectCancelled_ && !asked &&
        !outcome.peer.sha256.empty()) {
        if (AcceptCertificate(outcome)) {
            // Once more, accepting exactly the certificate the user saw.
            LogOn(host, user, password, outcome.peer.sha256, true);
            return;
        }
        CloseProgressWindow();
        SetConnected(false);
        statusLabel_->setText(QString::fromLatin1(kNotConnected));
        Finish();
        return;
    }
    if (result != CFtpAgent::kOk) {
        CloseProgressWindow();
        SetConnected(false);
        statusLabel_->setText(QString::fromLatin1(kNotConnected));
        // The user stopped the attempt in the progress window; nothing went wrong to report.
        if (!connectCancelled_) {
            if (result == CFtpAgent::kLogOnTlsRefused) {
                Message(kTlsRefused);
            } else if (result == CFtpAgent::kLogOnDataProtectionRefused) {
                Message(kProtectionRefused);
            } else if (result == CFtpAgent::kLogOnTlsFailed ||
                       result == CFtpAgent::kLogOnCertificateNotTrusted) {
                prompts_.Inform(this, kCaption,
                                QString::fromLatin1(kTlsFailed).arg(ToQt(outcome.tlsError)),
                                PromptIcon::Information);
            } else if (result == CFtpAgent::kLogOnUserRefused ||
                       result == CFtpAgent::kLogOnPasswordRefused ||
                       result == CFtpAgent::kLogOnAccountRefused) {
                prompts_.Inform(this, kCaption,
                                QString::fromLatin1(kLogOnRefused).arg(ToQt(outcome.reply)),
                                PromptIcon::Information);
            } else {
                // The designed message as it stands, and the reason on a line of its own.
                QString text = QString::fromLatin1(kConnectFailed);
                if (!outcome.failure.empty()) {
                    text += QLatin1Char('\n') + ToQt(outcome.failure);
                }
                prompts_.Inform(this, kCaption, text, PromptIcon::Information);
            }
        }
        Finish();
        return;
    }
    const bool passive = ChosenSetting().passive;
    QString status =
        outcome.encrypted
            ? (outcome.tlsError.empty()
                   ? QStringLiteral("Connected over TLS (certificate verified)")
                   : QStringLiteral("Connected over TLS (certificate accepted by you)"))
            : QStringLiteral("Connected without encryption (plain FTP)");
    status += passive ? QStringLiteral(", passive mode") : QStringLiteral(", active mode");
    statusLabel_->setText(status);
    StepProgressWindow(1);
    Run(&FtpCenterDialog::ListNow, [this](const Listing& listing) { ConnectListed(listing); });
}

FtpConnectionSetting FtpCenterDialog::ChosenSetting() const {
    FtpConnectionSetting setting;
    setting.passive = passiveCheck_->isChecked();
    setting.encryption =
        static_cast<FtpEncryption>(std::clamp(encryptionCombo_->currentIndex(), 0, 2));
    return setting;
}

void FtpCenterDialog::SaveSetting() {
    // Not saved is no reason to stop: the choice holds for this window all the same.
    SaveFtpConnectionSetting(App().paths.ftpFile, ChosenSetting());
}

void FtpCenterDialog::ConnectListed(const Listing& listing) {
    // The login folder in place of whatever an earlier session showed. A failed listing shows
    // nothing: the agent's entries would be those of an earlier one.
    StepProgressWindow(static_cast<int>(listing.entries.size()));
    ShowFolder(listing, false);
    SetConnected(true, listing.folder);
    CloseProgressWindow();
    Finish();
}

void FtpCenterDialog::Disconnect() {
    if (busy_) {
        return;
    }
    Begin();
    Run([](CFtpAgent& agent) { return agent.LogOff(); },
        [this](int) {
            tree_->clear();
            SetConnected(false);
            statusLabel_->setText(QString::fromLatin1(kNotConnected));
            // Host and user name stay for the next Connect; the password does not stay in a
            // window that may be left open unattended.
            passwordEdit_->clear();
            Finish();
        });
}

// --- Browsing -----------------------------------------------------------------------------

QTreeWidgetItem* FtpCenterDialog::MakeItem(const FtpDirEntry& entry, int index) const {
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQt(entry.name));
    item->setIcon(0, QIcon(entry.isFolder != 0 ? DrawFtpFolderImage() : DrawFtpFileImage()));
    item->setData(0, kEntryIndexRole, index);
    item->setData(0, kRemoteNameRole, QByteArray(entry.name));
    return item;
}

void FtpCenterDialog::OpenItem(QTreeWidgetItem* item) {
    if (busy_ || item == nullptr) {
        return;
    }
    const bool up = item->text(0) == QLatin1String(kParentItemText);
    const QByteArray sent = item->data(0, kRemoteNameRole).toByteArray();
    const std::string name = sent.isEmpty() ? FromQt(item->text(0)) : sent.toStdString();
    Begin();
    Run(
        [up, name](CFtpAgent& agent) {
            const int changed = up ? agent.ChangeToParent() : agent.ChangeDirectory(name.c_str());
            if (changed != CFtpAgent::kOk) {
                Listing failed;
                failed.changed = false;
                return failed;
            }
            return ListNow(agent);
        },
        [this](const Listing& listing) {
            // A failed change leaves the tree as it is.
            if (listing.changed) {
                ShowFolder(listing, true);
                SetConnected(true, listing.folder);
            }
            Finish();
        });
}

void FtpCenterDialog::ShowFolder(const Listing& listing, bool withParent) {
    tree_->clear();
    if (withParent) {
        auto* parent = new QTreeWidgetItem;
        parent->setText(0, QLatin1String(kParentItemText));
        parent->setIcon(0, QIcon(DrawFtpParentImage()));
        parent->setData(0, kEntryIndexRole, -1);
        tree_->addTopLevelItem(parent);
    }
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        tree_->addTopLevelItem(MakeItem(listing.entries[i], static_cast<int>(i)));
    }
}

bool FtpCenterDialog::ShowsParentItem() const {
    const QTreeWidgetItem* first = tree_->topLevelItem(0);
    return first != nullptr && first->data(0, kEntryIndexRole).toInt() == -1;
}

// --- Transfers ----------------------------------------------------------------------------

void FtpCenterDialog::Upload() {
    if (busy_) {
        return;
    }
    Begin();
    Run([](CFtpAgent& agent) { return agent.CheckConnection(); },
        [this](int check) { UploadChosen(check); });
}

void FtpCenterDialog::UploadChosen(int check) {
    if (check != CFtpAgent::kOk) {
        // The server has closed the connection since.
        SetConnected(false);
        statusLabel_->setText(QString::fromLatin1(kNotConnected));
        Message(kConnectBeforeUpload);
        Finish();
        return;
    }
    FileChoice choice;
    choice.caption = QStringLiteral("Upload");
    choice.filter = QStringLiteral("All Files (*)");
    choice.initialFolder = FileDialogFolder();
    const QString path = prompts_.ChooseFileToOpen(this, choice);
    if (path.isEmpty()) {
        Finish();
        return;
    }
    RememberFolderOf(path);
    const std::string remote = BaseNameOf(path);
    const int type = UploadTransferType(remote);
    AdvanceBar(kUploadSteps);
    Run(
        [local = PathFromQt(path), remote, type](CFtpAgent& agent) {
            agent.SetTransferType(type);
            // The result is not shown: the message is the same either way. The folder is listed
            // again, so that what arrived shows.
            agent.UploadFile(local.c_str(), remote.c_str());
            return ListNow(agent);
        },
        [this, remote](const Listing& listing) { Uploaded(listing, remote); });
}

void FtpCenterDialog::Uploaded(const Listing& listing, const std::string& remote) {
    AdvanceBar(kUploadSteps);
    bar_->setValue(0);
    // A failed listing keeps the tree as it was.
    if (listing.result == CFtpAgent::kOk) {
        ShowFolder(listing, ShowsParentItem());
        SetConnected(true, listing.folder);
        const QByteArray sent(remote.data(), static_cast<qsizetype>(remote.size()));
        for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree_->topLevelItem(i);
            if (item->data(0, kRemoteNameRole).toByteArray() == sent) {
                tree_->setCurrentItem(item);
                break;
            }
        }
    }
    Message(kUploadDone);
    Finish();
}

void FtpCenterDialog::Download() {
    if (busy_) {
        return;
    }
    Begin();
    Run([](CFtpAgent& agent) { return agent.CheckConnection(); },
        [this](int check) { DownloadChosen(check); });
}

void FtpCenterDialog::DownloadChosen(int check) {
    if (check != CFtpAgent::kOk) {
        SetConnected(false);
        statusLabel_->setText(QString::fromLatin1(kNotConnected));
        Message(kConnectBeforeDownload);
        Finish();
        return;
    }
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? nullptr : selected.front();
    if (item == nullptr || item->text(0).isEmpty()) {
        Message(kSelectFile);
        Finish();
        return;
    }
    const QByteArray sent = item->data(0, kRemoteNameRole).toByteArray();
    const std::string remote = sent.isEmpty() ? FromQt(item->text(0)) : sent.toStdString();
    FileChoice choice;
    choice.caption = QStringLiteral("Download");
    choice.filter = QStringLiteral("All Files (*)");
    choice.proposedName = ProposedLocalName(item->text(0));
    choice.initialFolder = FileDialogFolder();
    const QString path = prompts_.ChooseFileToSave(this, choice);
    if (path.isEmpty()) {
        Finish();
        return;
    }
    RememberFolderOf(path);
    const int type = DownloadTransferType(BaseNameOf(path));
    AdvanceBar(kDownloadSteps);
    Run(
        [local = PathFromQt(path), remote, type](CFtpAgent& agent) {
            agent.SetTransferType(type);
            return agent.DownloadFile(remote.c_str(), local.c_str());
        },
        [this](int) {
            AdvanceBar(kDownloadSteps);
            bar_->setValue(0);
            Message(kDownloadDone);
            Finish();
        });
}

void FtpCenterDialog::AdvanceBar(int steps) {
    for (int i = 0; i < steps; ++i) {
        bar_->setValue(std::min(bar_->value() + kBarStep, bar_->maximum()));
    }
}

// --- Leaving ------------------------------------------------------------------------------

void FtpCenterDialog::accept() {
    Leave(QDialog::Accepted);
}

void FtpCenterDialog::reject() {
    Leave(QDialog::Rejected);
}

void FtpCenterDialog::Leave(int result) {
    if (leaving_) {
        return;
    }
    leaving_ = true;
    ++session_;
    CloseProgressWindow();
    // Whatever is in flight is cancelled first; the log-off then gets a bounded wait of its
    // own, and the agent's destructor closes the connection even when the server is silent.
    worker_.Stop(
        [](CFtpAgent& agent) {
            if (agent.CheckConnection() == CFtpAgent::kOk) {
                agent.LogOff();
            }
        },
        kLeaveWait);
    busy_ = false;
    QDialog::done(result);
}

void FtpCenterDialog::showEvent(QShowEvent* event) {
    // Shown again after closing: a fresh worker and agent, not connected.
    if (leaving_) {
        leaving_ = false;
        worker_.Start();
        SetConnected(false);
        EnableControls(true);
    }
    QDialog::showEvent(event);
}

// --- Helpers ------------------------------------------------------------------------------

void FtpCenterDialog::Begin() {
    busy_ = true;
    EnableControls(false);
}

void FtpCenterDialog::Finish() {
    busy_ = false;
    EnableControls(true);
    emit commandFinished();
}

void FtpCenterDialog::EnableControls(bool enabled) {
    const std::initializer_list<QWidget*> controls = {connectButton_, disconnectButton_, tree_,
                                                      passiveCheck_, encryptionCombo_};
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
    // Enabled while disconnected they could only say "Please connect".
    uploadButton_->setEnabled(enabled && connected_);
    downloadButton_->setEnabled(enabled && connected_);
}

void FtpCenterDialog::SetConnected(bool connected, const std::string& folder) {
    connected_ = connected;
    if (!connected) {
        folderLabel_->setText(QStringLiteral("Remote folder: not connected"));
    } else if (!folder.empty()) {
        folderLabel_->setText(QStringLiteral("Remote folder: ") + ToQt(folder));
    } else {
        folderLabel_->setText(QStringLiteral("Remote folder: (the server does not say)"));
    }
    EnableControls(!busy_);
}

QString FtpCenterDialog::FileDialogFolder() const {
    return localFolder_.isEmpty() ? QDir::homePath() : localFolder_;
}

void FtpCenterDialog::RememberFolderOf(const QString& path) {
    localFolder_ = QFileInfo(path).absolutePath();
}

void FtpCenterDialog::Message(const char* text) {
    prompts_.Inform(this, kCaption, QString::fromLatin1(text), PromptIcon::Information);
}

void FtpCenterDialog::OpenProgressWindow() {
    CloseProgressWindow();
    progressSteps_ = ProgressModel();
    progressWindow_ = new ProgressDialog(this);
    progressWindow_->setWindowTitle(QStringLiteral("FTP Center"));
    if (auto* note = progressWindow_->findChild<QLabel*>(QStringLiteral("noteLabel"))) {
        note->setText(QStringLiteral("Connecting to Site..."));
    }
    connect(progressWindow_, &ProgressDialog::cancelRequested, this, [this] {
        connectCancelled_ = true;
        worker_.CancelCurrent();
    });
    progressWindow_->show();
}

void FtpCenterDialog::StepProgressWindow(int steps) {
    if (progressWindow_ == nullptr) {
        return;
    }
    for (int i = 0; i < steps; ++i) {
        progressSteps_.StepIt();
        progressWindow_->SetPosition(progressSteps_.Pos());
    }
}

void FtpCenterDialog::CloseProgressWindow() {
    if (progressWindow_ != nullptr) {
        progressWindow_->hide();
        delete progressWindow_;
        progressWindow_ = nullptr;
    }
}

}  // namespace sg
