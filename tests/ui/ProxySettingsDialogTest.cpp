// The proxy dialog: what it shows, what its fields accept, and when it writes the proxy file and
// the connections file.

#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <optional>

#include "model/AppState.h"
#include "net/ConnectionSetting.h"
#include "net/ProxySettings.h"
#include "ui/ProxySettingsDialog.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {

class ProxySettingsDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<ProxySettingsDialog> dialog_;
    const std::string oldFile_ = "3128\n10.0.0.7\nproxyuser\nsecret";

    QLineEdit* Edit(const char* name) { return EditOf(*dialog_, name); }
    // The one message shown, in the caption of the network dialogs.
    void VerifyMessage(const QString& text) {
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QCOMPARE(prompts_->Calls().front().caption, QStringLiteral("Site Workbench"));
        QCOMPARE(prompts_->Calls().front().text, text);
    }

  private slots:
    // Every test opens the dialog on an existing proxy file and connections file.
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        QCOMPARE(
            SaveProxySettings(App().paths.proxyFile, {"10.0.0.7", "3128", "proxyuser", "secret"}),
            0);
        QVERIFY(SaveConnectionSetting(App().paths.connectionsFile, 3));
        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
    }
    void cleanup() {
        dialog_.reset();
        prompts_.reset();
        fixture_.reset();
    }

    void opensOnTheFile() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Proxy Settings"));
        QCOMPARE(Control<QLabel>(*dialog_, "introLabel")->text(),
                 QStringLiteral("If you are on a proxy server, please enter your settings "
                                "below.  The application will use these settings to connect to "
                                "the internet and perform various promotion and analysis tasks."));
        QCOMPARE(Edit("addressEdit")->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(Edit("portEdit")->text(), QStringLiteral("3128"));
        QCOMPARE(Edit("userEdit")->text(), QStringLiteral("proxyuser"));
        QCOMPARE(Edit("passwordEdit")->text(), QStringLiteral("secret"));
        QCOMPARE(Edit("passwordEdit")->echoMode(), QLineEdit::Password);
        QCOMPARE(CurrentProxySettings().address, std::string("10.0.0.7"));
    }

    void fieldsAcceptOnlyAnAddressAndDigits() {
        Retype(Edit("addressEdit"), "proxy.example");
        QCOMPARE(Edit("addressEdit")->text(), QString());
        // "300" cannot be an octet: the "0" after "30" is refused and typing goes on.
        Type(Edit("addressEdit"), "192.168.300.1");
        QCOMPARE(Edit("addressEdit")->text(), QStringLiteral("192.168.30.1"));
        Retype(Edit("addressEdit"), "01");
        QCOMPARE(Edit("addressEdit")->text(), QStringLiteral("0"));
        Retype(Edit("portEdit"), "80a8-0");
        QCOMPARE(Edit("portEdit")->text(), QStringLiteral("8080"));
    }

    void anEmptyPortIsAskedForAndTheFileKept() {
        Edit("portEdit")->clear();
        Retype(Edit("userEdit"), "other");
        Click(*dialog_, "setValuesButton");
        VerifyMessage(QStringLiteral("Please fill in your proxyPort in the field provided."));
        QVERIFY(dialog_->isVisible());
        QCOMPARE(FileText(App().paths.proxyFile), oldFile_);
        // The values are in effect for the next request all the same.
        QCOMPARE(CurrentProxySettings().user, std::string("other"));
    }

    // A port is 1 to 65535; clearing address and port together switches the proxy off.
    void portsOutOfRangeAreRefusedAndNoProxyIsAccepted() {
        for (const char* port : {"99999", "0", "65536"}) {
            Retype(Edit("portEdit"), port);
            Click(*dialog_, "setValuesButton");
            QCOMPARE(prompts_->Calls().back().text,
                     QStringLiteral("Please fill in your proxy port as a number from 1 to "
                                    "65535."));
            QVERIFY(dialog_->isVisible());
            QCOMPARE(FileText(App().paths.proxyFile), oldFile_);
            QCOMPARE(CurrentProxySettings().port, std::string("3128"));
        }
        QCOMPARE(prompts_->Calls().size(), std::size_t(3));

        Retype(Edit("portEdit"), "65535");
        Click(*dialog_, "setValuesButton");
        QCOMPARE(prompts_->Calls().back().text,
                 QStringLiteral("Your proxy settings have been set."));
        QCOMPARE(FileText(App().paths.proxyFile),
                 std::string("65535\n10.0.0.7\nproxyuser\nsecret"));

        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
        Edit("addressEdit")->clear();
        Edit("portEdit")->clear();
        Click(*dialog_, "setValuesButton");
        QCOMPARE(prompts_->Calls().back().text,
                 QStringLiteral("Your proxy settings have been set."));
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(FileText(App().paths.proxyFile), std::string("\n\nproxyuser\nsecret"));
        QCOMPARE(CurrentProxySettings().address, std::string());
        QCOMPARE(CurrentProxySettings().port, std::string());
    }

    void setValuesWritesTheFileAndConfirms() {
        Edit("addressEdit")->clear();  // no proxy
        Retype(Edit("portEdit"), "8080");
        Edit("passwordEdit")->clear();
        Click(*dialog_, "setValuesButton");
        VerifyMessage(QStringLiteral("Your proxy settings have been set."));
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(FileText(App().paths.proxyFile), std::string("8080\n\nproxyuser\n"));
        QCOMPARE(CurrentProxySettings().port, std::string("8080"));
    }

    void aHalfTypedAddressIsRefused() {
        Retype(Edit("addressEdit"), "192.168");
        Click(*dialog_, "setValuesButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QVERIFY(dialog_->isVisible());
        QCOMPARE(FileText(App().paths.proxyFile), oldFile_);
        QCOMPARE(CurrentProxySettings().address, std::string("10.0.0.7"));
    }

    void aFailedWriteIsToldAndNotCalledSuccess() {
        // The proxy file's folder would have to be made inside a plain file.
        QVERIFY(WriteWholeFile(App().paths.workDir + "/blocker", "x"));
        App().paths.proxyFile = App().paths.workDir + "/blocker/proxy.txt";
        Click(*dialog_, "setValuesButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QVERIFY2(prompts_->Calls().front().text.contains(QStringLiteral("could not be saved")),
                 qPrintable(prompts_->Calls().front().text));
        QVERIFY(dialog_->isVisible());
    }

    void cancelLeavesFileAndRecord() {
        Retype(Edit("portEdit"), "9999");
        Click(*dialog_, "cancelButton");
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(FileText(App().paths.proxyFile), oldFile_);
        QCOMPARE(CurrentProxySettings().port, std::string("3128"));
        QVERIFY(prompts_->Calls().empty());
    }

    void connectionsAreShownBoundedAndSavedOnlyWhenSet() {
        const std::string& file = App().paths.connectionsFile;
        auto* spin = Control<QSpinBox>(*dialog_, "connectionsSpin");
        QVERIFY(spin);
        // Start-up found no file and put 8 in force; the dialog read the file written since.
        QCOMPARE(spin->value(), 3);
        QCOMPARE(ConnectionsPerHost(), 3);

        // Tab goes down the dialog as drawn: the proxy fields, the spin boxes, the buttons.
        Edit("addressEdit")->setFocus();
        for (const char* next :
             {"portEdit", "userEdit", "passwordEdit", "connectionsSpin", "maxPagesSpin",
              "maxLinksSpin", "setValuesButton", "cancelButton"}) {
            QTest::keyClick(dialog_->focusWidget(), Qt::Key_Tab);
            QCOMPARE(dialog_->focusWidget()->objectName(), QString::fromLatin1(next));
        }

        spin->setValue(0);
        QCOMPARE(spin->value(), 1);
        spin->setValue(kMaxConnectionsPerHost + 1);
        QCOMPARE(spin->value(), 32);
        QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(spin->value(), 32);

        Click(*dialog_, "cancelButton");
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
        QCOMPARE(FileText(file), std::string("3\n"));
        QCOMPARE(ConnectionsPerHost(), 3);

        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
        spin = Control<QSpinBox>(*dialog_, "connectionsSpin");
        QCOMPARE(spin->value(), 3);
        spin->setValue(12);
        Click(*dialog_, "setValuesButton");
        VerifyMessage(QStringLiteral("Your proxy settings have been set."));
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(FileText(file), std::string("12\n"));
        QCOMPARE(ConnectionsPerHost(), 12);

        // A file that cannot be written is told, the number in force all the same.
        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
        QVERIFY(WriteWholeFile(App().paths.workDir + "/blocker", "x"));
        App().paths.connectionsFile = App().paths.workDir + "/blocker/connections.txt";
        Control<QSpinBox>(*dialog_, "connectionsSpin")->setValue(5);
        Click(*dialog_, "setValuesButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(2));
        QVERIFY2(prompts_->Calls().back().text.contains(QStringLiteral("could not be saved")),
                 qPrintable(prompts_->Calls().back().text));
        QVERIFY(dialog_->isVisible());
        QCOMPARE(ConnectionsPerHost(), 5);
    }
};

SG_REGISTER_UI_TEST(ProxySettingsDialogTest);

}  // namespace sg::test

#include "ProxySettingsDialogTest.moc"
