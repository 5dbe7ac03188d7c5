#include "ui/ProxySettingsDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstddef>
#include <iterator>

#include "analysis/crawl/PageBoundSetting.h"
#include "model/AppState.h"
#include "net/ConnectionSetting.h"
#include "net/ProxySettings.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

const QString kCaption = QStringLiteral("Site Workbench");

// Four decimal numbers 0..255 without leading zeros (a leading zero would read as octal in
// some resolvers, and the proxy address is never looked up as a name).
const QString kOctet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");

QLineEdit* Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A number from 1 to `max` in a row of `form`, as wide as its digits need, with its tip on the
// label too.
QSpinBox* AddNumberRow(QFormLayout& form, QWidget* parent, const char* name, int max,
                       const QString& label, const QString& tip) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(1, max);
    spin->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    spin->setToolTip(tip);
    form.addRow(label, spin);
    form.labelForField(spin)->setToolTip(tip);
    return spin;
}

}  // namespace

ProxySettingsDialog::ProxySettingsDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(QStringLiteral("Proxy Settings"));

    auto* intro = new QLabel(QStringLiteral(
        "If you are on a proxy server, please enter your settings below.  The application will "
        "use these settings to connect to the internet and perform various promotion and "
        "analysis tasks."));
    intro->setObjectName(QStringLiteral("introLabel"));
    intro->setWordWrap(true);
    // Plain text keeps the two blanks after the first sentence.
    intro->setTextFormat(Qt::PlainText);

    addressEdit_ = Edit("addressEdit", this);
    addressEdit_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(kOctet + "\\." + kOctet + "\\." + kOctet + "\\." + kOctet),
        addressEdit_));
    addressEdit_->setPlaceholderText(QStringLiteral("e.g. 192.168.0.1"));
    portEdit_ = Edit("portEdit", this);
    portEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), portEdit_));
    portEdit_->setMaxLength(5);
    // Sized for what they hold: fifteen characters of address, five digits of port.
    addressEdit_->setMaximumWidth(
        addressEdit_->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 24);
    portEdit_->setMaximumWidth(
        portEdit_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 24);
    userEdit_ = Edit("userEdit", this);
    passwordEdit_ = Edit("passwordEdit", this);
    passwordEdit_->setEchoMode(QLineEdit::Password);

    auto* proxyForm = new QFormLayout;
    proxyForm->addRow(QStringLiteral("Proxy IP"), addressEdit_);
    proxyForm->addRow(QStringLiteral("Default Port"), portEdit_);

    auto* credentials = new QGroupBox(
        QStringLiteral("Fill these fields only if you need a password for your proxy"));
    credentials->setObjectName(QStringLiteral("credentialsGroup"));
    auto* credentialsForm = new QFormLayout(credentials);
    credentialsForm->addRow(QStringLiteral("Username (if any)"), userEdit_);
    credentialsForm->addRow(QStringLiteral("Password"), passwordEdit_);

    auto* connectionsForm = new QFormLayout;
    // As wide as their digits need, like the port field, not the width of the dialog.
    connectionsSpin_ = AddNumberRow(
        *connectionsForm, this, "connectionsSpin", kMaxConnectionsPerHost,
        QStringLiteral("Connections to one site at once"),
        QStringLiteral("1 asks the site for one thing at a time; more fetch pages ahead of the "
                       "analysis. The results are the same either way."));
    maxPagesSpin_ = AddNumberRow(
        *connectionsForm, this, "maxPagesSpin", kMaxMaxPages,
        QStringLiteral("Pages of one site at most"),
        QStringLiteral("The Link Validator and the nested readiness visit at most this many "
                       "pages of one site; every link of those pages is still judged."));
    maxLinksSpin_ = AddNumberRow(
        *connectionsForm, this, "maxLinksSpin", kMaxMaxLinks,
        QStringLiteral("Links of one page at most"),
        QStringLiteral("A crawl reads at most this many links of one page; the report says how "
                       "many more a page had."));

    setValuesButton_ = new QPushButton(QStringLiteral("Set Values"), this);
    setValuesButton_->setObjectName(QStringLiteral("setValuesButton"));
    setValuesButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(setValuesButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(6);
    layout->addLayout(proxyForm);
    layout->addSpacing(6);
    layout->addWidget(credentials);
    layout->addSpacing(6);
    layout->addLayout(connectionsForm);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(460);
    // The group box joins the dialog after the buttons were made, which would put its fields
    // last; the order is the one on screen.
    QWidget* const tabOrder[] = {addressEdit_,  portEdit_,        userEdit_,
                                 passwordEdit_, connectionsSpin_, maxPagesSpin_,
                                 maxLinksSpin_, setValuesButton_, cancelButton_};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(setValuesButton_, &QPushButton::clicked, this, &ProxySettingsDialog::SetValues);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    LoadProxySettings(App().paths.proxyFile, CurrentProxySettings());
    const ProxySettings& settings = CurrentProxySettings();
    addressEdit_->setText(ToQt(settings.address));
    portEdit_->setText(ToQt(settings.port));
    userEdit_->setText(ToQt(settings.user));
    passwordEdit_->setText(ToQt(settings.password));
    ApplyStoredConnectionSetting(App().paths.connectionsFile);
    connectionsSpin_->setValue(ConnectionsPerHost());
    ApplyStoredPageBoundSetting(App().paths.maxPagesFile);
    maxPagesSpin_->setValue(MaxPagesPerSite());
    ApplyStoredLinkBoundSetting(App().paths.maxLinksFile);
    maxLinksSpin_->setValue(MaxLinksPerPage());
}

void ProxySettingsDialog::SetValues() {
    // The field accepts only what can become a dotted address; a half-typed one (or a name read
    // from an old file) would make every request fail to connect, so it is not taken.
    if (!addressEdit_->text().isEmpty() && !addressEdit_->hasAcceptableInput()) {
        prompts_.Inform(this, kCaption,
                        QStringLiteral("Please fill in your proxy IP as four numbers from 0 to "
                                       "255, for example 192.168.0.1."),
                        PromptIcon::Warning);
        addressEdit_->setFocus();
        return;
    }
    // A port outside 1..65535 cannot be connected to; it is refused before it takes effect.
    const QString portText = portEdit_->text();
    bool isNumber = false;
    const int portNumber = portText.toInt(&isNumber);
    if (!portText.isEmpty() && (!isNumber || portNumber < 1 || portNumber > 65535)) {
        prompts_.Inform(this, kCaption,
                        QStringLiteral("Please fill in your proxy port as a number from 1 to "
                                       "65535."),
                        PromptIcon::Warning);
        portEdit_->setFocus();
        return;
    }
    ProxySettings& settings = CurrentProxySettings();
    settings.address = FromQt(addressEdit_->text());
    settings.port = FromQt(portEdit_->text());
    settings.user = FromQt(userEdit_->text());
    settings.password = FromQt(passwordEdit_->text());

    // No address and no port is how the proxy is switched off.
    if (settings.port.empty() && !settings.address.empty()) {
        prompts_.Inform(this, kCaption,
                        QStringLiteral("Please fill in your proxyPort in the field provided."),
                        PromptIcon::Warning);
        portEdit_->setFocus();
        return;
    }
    SetConnectionsPerHost(connectionsSpin_->value());
    SetMaxPagesPerSite(maxPagesSpin_->value());
    SetMaxLinksPerPage(maxLinksSpin_->value());

    // Both settings are in effect for this session whichever file could not be replaced; each
    // failure is told.
    bool saved = true;
    if (SaveProxySettings(App().paths.proxyFile, CurrentProxySettings()) != 0) {
        prompts_.Inform(this, kCaption,
                        QStringLiteral("Your proxy settings could not be saved to %1. They are "
                                       "used until Sitegauge ends.")
                            .arg(PathToQt(App().paths.proxyFile)),
                        PromptIcon::Warning);
        saved = false;
    }
    // One number a file: the words differ only in its name.
    const auto keep = [&](bool written, const char* what, const std::string& path) {
        if (!written) {
            prompts_.Inform(this, kCaption,
                            QStringLiteral("Your %1 setting could not be saved to %2. It is used "
                                           "until Sitegauge ends.")
                                .arg(QString::fromLatin1(what), PathToQt(path)),
                            PromptIcon::Warning);
            saved = false;
        }
    };
    keep(SaveConnectionSetting(App().paths.connectionsFile, ConnectionsPerHost()), "connections",
         App().paths.connectionsFile);
    keep(SavePageBoundSetting(App().paths.maxPagesFile, MaxPagesPerSite()), "pages",
         App().paths.maxPagesFile);
    keep(SaveLinkBoundSetting(App().paths.maxLinksFile, MaxLinksPerPage()), "links",
         App().paths.maxLinksFile);
    if (!saved) {
        return;
    }
    prompts_.Inform(this, kCaption, QStringLiteral("Your proxy settings have been set."),
                    PromptIcon::Information);
    accept();
}

}  // namespace sg
