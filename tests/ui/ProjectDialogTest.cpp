// The Project dialog: its controls' enabling, the sorted lists and the project they fill, the
// projectModified flag, and Save, Open and "Clear All".

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <cstdio>
#include <optional>

#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "net/CWebClient.h"
#include "ui/ConfirmExit.h"
#include "ui/ProjectDialog.h"
#include "ui/ProjectStart.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"
#include "ui/UiText.h"

namespace sg::test {

class ProjectDialogTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
    std::optional<ProjectDialog> dialog_;
    // The own site (the project's first URL) on top, the others sorted below it.
    const QStringList sortedUrls_ = {"www.beta.com", "alpha.net", "Alpha.org"};
    // The project keeps the list's order.
    const QStringList projectUrls_ = sortedUrls_;
    const QString question_ = QStringLiteral("Do you want to save your projects setings ?");

    QListWidget* UrlList() { return Control<QListWidget>(*dialog_, "urlList"); }
    QListWidget* KeywordList() { return Control<QListWidget>(*dialog_, "keywordList"); }
    void AddUrl(const QString& url) {
        Type(EditOf(*dialog_, "urlEdit"), url);
        Click(*dialog_, "urlAddButton");
    }

  private slots:
    // Every test starts with the dialog open on a project that is not in sorted order.
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        Project& project = App().project;
        project.SetName("My Sites");
        for (const char* url : {"www.beta.com", "Alpha.org", "alpha.net"}) {
            project.AddUrl(url);
        }
        project.AddKeyword("shoes");
        project.AddKeyword("Boots");
        dialog_.emplace(*prompts_);
        QVERIFY(ShowActive(*dialog_));
    }
    void cleanup() {
        dialog_.reset();
        prompts_.reset();
        fixture_.reset();
    }

    void opensSortedWithoutRegardToCaseAndKeepsTheFlag() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Project"));
        QCOMPARE(Texts(UrlList()), sortedUrls_);
        QCOMPARE(Texts(KeywordList()), QStringList({"Boots", "shoes"}));
        QCOMPARE(EditOf(*dialog_, "nameEdit")->text(), QStringLiteral("My Sites"));
        for (const char* name :
             {"urlAddButton", "urlRemoveButton", "keywordAddButton", "keywordRemoveButton"}) {
            QVERIFY2(!ButtonOf(*dialog_, name)->isEnabled(), name);
        }
        QVERIFY(!App().projectModified);
        App().projectModified = true;
        ProjectDialog again(*prompts_);
        QVERIFY(App().projectModified);
    }

    void buttonsFollowEditsSelectionAndFocus() {
        QPushButton* urlAdd = ButtonOf(*dialog_, "urlAddButton");
        // An address without "." names no host, unless it is one of this computer's; the line
        // under the edit says why "Add to list" stays off.
        QLabel* hint = Control<QLabel>(*dialog_, "urlHintLabel");
        QVERIFY(!hint->isVisible());
        Type(EditOf(*dialog_, "urlEdit"), "http://shop");
        QVERIFY(!urlAdd->isEnabled());
        QVERIFY(hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("localhost")));
        Type(EditOf(*dialog_, "urlEdit"), ".com");
        QVERIFY(urlAdd->isEnabled());
        QVERIFY(!hint->isVisible());
        for (const char* local : {"localhost:8092", "HTTP://LOCALHOST:8093/"}) {
            Retype(EditOf(*dialog_, "urlEdit"), QString::fromLatin1(local));
            QVERIFY2(urlAdd->isEnabled() && !hint->isVisible(), local);
        }
        Type(EditOf(*dialog_, "keywordEdit"), "x");
        QVERIFY(ButtonOf(*dialog_, "keywordAddButton")->isEnabled());
        QTest::keyClick(EditOf(*dialog_, "keywordEdit"), Qt::Key_Backspace);
        QVERIFY(!ButtonOf(*dialog_, "keywordAddButton")->isEnabled());

        QPushButton* urlRemove = ButtonOf(*dialog_, "urlRemoveButton");
        ClickRow(UrlList(), 1);
        QVERIFY(urlRemove->isEnabled());
        // The focus leaves and comes back: "Remove" is off until a line is clicked again, even
        // the line that is still selected.
        EditOf(*dialog_, "urlEdit")->setFocus();
        UrlList()->setFocus();
        QVERIFY(!urlRemove->isEnabled());
        ClickRow(UrlList(), 1);
        QVERIFY(urlRemove->isEnabled());
        UrlList()->clearSelection();
        QVERIFY(!urlRemove->isEnabled());
        // None of this changed the project.
        QVERIFY(!App().projectModified);
    }

    void editsSortSyncAndSetTheFlag() {
        Retype(EditOf(*dialog_, "nameEdit"), "Rivals");
        QVERIFY(App().projectModified);
        AddUrl("http://Beta.COM/http://x");
        AddUrl(QString::fromUtf8("caf\u00e9.\u03a9.com"));
        QVERIFY(EditOf(*dialog_, "urlEdit")->text().isEmpty());
        const QStringList listed = {"www.beta.com", "alpha.net", "Alpha.org", "Beta.COM/x",
                                    QString::fromLatin1("caf\xe9.?.com")};
        QCOMPARE(Texts(UrlList()), listed);
        QCOMPARE(Urls(App().project), listed);
        // Short names are made afresh in that order, letter case ignored.
        QCOMPARE(App().project.GetUrl(2)->GetShortName(), std::string("Alpha0"));
        QCOMPARE(App().project.GetUrl(3)->GetShortName(), std::string("Beta0"));
        QCOMPARE(App().project.GetName(), std::string("Rivals"));

        for (const char* keyword : {"belt", "ANKLE"}) {
            Type(EditOf(*dialog_, "keywordEdit"), keyword);
            Click(*dialog_, "keywordAddButton");
        }
        QCOMPARE(Keywords(App().project), QStringList({"ANKLE", "belt", "Boots", "shoes"}));

        App().projectModified = false;
        ClickRow(KeywordList(), 2);
        Click(*dialog_, "keywordRemoveButton");
        QCOMPARE(Keywords(App().project), QStringList({"ANKLE", "belt", "shoes"}));
        QVERIFY(!ButtonOf(*dialog_, "keywordRemoveButton")->isEnabled());
        QVERIFY(App().projectModified);
        App().projectModified = false;
        ClickRow(UrlList(), 1);
        Click(*dialog_, "urlRemoveButton");
        QCOMPARE(Urls(App().project), QStringList{"www.beta.com"} + listed.mid(2, 3));
        QVERIFY(App().projectModified);
    }

    // The same address (letter case, the scheme's included, and a closing slash aside) or
    // keyword (letter case aside) is refused with a message. The own site, the project's first,
    // is the bold line on top wherever it would sort, and stays there as competitors are added;
    // without it, the top line of the others takes its place.
    void duplicatesAreRefusedAndTheOwnSiteStaysFirstAndMarked() {
        auto bold = [this] {
            QStringList lines;
            for (int row = 0; row < UrlList()->count(); ++row) {
                if (UrlList()->item(row)->font().bold()) {
                    lines.push_back(UrlList()->item(row)->text());
                }
            }
            return lines;
        };
        QCOMPARE(bold(), QStringList({"www.beta.com"}));
        for (const char* same :
             {"WWW.Beta.com", "http://www.beta.com/", "HTTP://www.beta.com", "ALPHA.NET"}) {
            const std::size_t before = prompts_->Calls().size();
            Retype(EditOf(*dialog_, "urlEdit"), QString::fromLatin1(same));
            Click(*dialog_, "urlAddButton");
            QCOMPARE(prompts_->Calls().size(), before + 1);
            QVERIFY2(prompts_->Calls().back().text.contains(QStringLiteral("in the list already")),
                     same);
        }
        QCOMPARE(Texts(UrlList()), sortedUrls_);
        for (const char* same : {"BOOTS", " shoes "}) {
            Retype(EditOf(*dialog_, "keywordEdit"), QString::fromLatin1(same));
            Click(*dialog_, "keywordAddButton");
            QVERIFY(prompts_->Calls().back().text.contains(QStringLiteral("in the list already")));
        }
        QCOMPARE(Texts(KeywordList()), QStringList({"Boots", "shoes"}));
        QVERIFY(!App().projectModified);

        Retype(EditOf(*dialog_, "urlEdit"), "aaa.com");
        Click(*dialog_, "urlAddButton");
        const QStringList withAaa = {"www.beta.com", "aaa.com", "alpha.net", "Alpha.org"};
        QCOMPARE(Texts(UrlList()), withAaa);
        QCOMPARE(Urls(App().project), withAaa);
        QCOMPARE(bold(), QStringList({"www.beta.com"}));
        ClickRow(UrlList(), 0);
        Click(*dialog_, "urlRemoveButton");
        QCOMPARE(bold(), QStringList({"aaa.com"}));
        QCOMPARE(Texts(UrlList()), withAaa.mid(1));
        QCOMPARE(Urls(App().project), withAaa.mid(1));
        // A site added now sorts below the new own site, even before it.
        AddUrl("HTTP://0.example");
        QCOMPARE(Texts(UrlList()), QStringList({"aaa.com", "0.example", "alpha.net", "Alpha.org"}));
    }

    // Clear All, Open and the demo replace the project: a changed one is asked about first, as
    // closing the main window does. Cancel keeps it; Yes saves it (the typed name too) first.
    void replacingAChangedProjectAsksFirst() {
        Retype(EditOf(*dialog_, "nameEdit"), "Typed");
        QVERIFY(App().projectModified);
        std::size_t asked = 0;
        for (const char* button : {"clearAllButton", "openButton", "demoButton"}) {
            prompts_->Answer(PromptAnswer::Cancel);
            Click(*dialog_, button);
            QCOMPARE(prompts_->Calls().size(), ++asked);
            QCOMPARE(prompts_->Calls().back().text, question_);
            QCOMPARE(prompts_->Calls().back().buttons, PromptButtons::YesNoCancel);
            QCOMPARE(Texts(UrlList()), sortedUrls_);
            QCOMPARE(EditOf(*dialog_, "nameEdit")->text(), QStringLiteral("Typed"));
        }
        QCOMPARE(prompts_->Calls().size(), std::size_t(3));
        QVERIFY(!SharedDemoSession().Running());
        QVERIFY(App().projectModified);

        const std::string path = App().paths.profilesDir + "/typed.swp";
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->ChooseFile(PathToQt(path));
        Click(*dialog_, "clearAllButton");
        QVERIFY(prompts_->ScriptUsedUp());
        QCOMPARE(UrlList()->count(), 0);
        QVERIFY(!App().projectModified);
        Project saved;
        QCOMPARE(LoadProfile(saved, path, nullptr), kProfileOk);
        QCOMPARE(saved.GetName(), std::string("Typed"));
        QCOMPARE(Urls(saved), projectUrls_);
        // Unchanged now: the next replacement asks nothing.
        prompts_->ChooseFile(QString());
        Click(*dialog_, "openButton");
        QCOMPARE(int(prompts_->Calls().back().kind), int(PromptCall::Kind::OpenFile));
    }

    // The profile saved or opened last is the one the program opens at its next start.
    void theProfileSavedOrOpenedLastIsReopenedAtStart() {
        QCOMPARE(ReopenLastProfile(), kNoProfileToReopen);
        const std::string path = App().paths.profilesDir + "/last.swp";
        prompts_->ChooseFile(PathToQt(path));
        Click(*dialog_, "saveButton");
        dialog_.reset();
        App().project.ClearUrls();
        App().project.ClearKeywords();
        App().project.SetName("");
        App().projectModified = true;
        QCOMPARE(ReopenLastProfile(), kProfileReopened);
        QCOMPARE(Urls(App().project), projectUrls_);
        QCOMPARE(App().project.GetName(), std::string("My Sites"));
        QVERIFY(!App().projectModified);
        // Gone since: the program starts with an empty project.
        std::remove(path.c_str());
        QCOMPARE(ReopenLastProfile(), kProfileNotReopened);
        QVERIFY(App().project.HasNoUrls());
        QVERIFY(App().project.GetName().empty());
    }

    // Enter in an edit adds its text as "Add to list" does and leaves the dialog open.
    void enterInAnEditAddsItsTextAndKeepsTheDialog() {
        QLineEdit* urlEdit = EditOf(*dialog_, "urlEdit");
        Type(urlEdit, "www.gamma.com");
        QTest::keyClick(urlEdit, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QVERIFY(urlEdit->text().isEmpty());
        QCOMPARE(Urls(App().project), projectUrls_ + QStringList{"www.gamma.com"});
        QVERIFY(App().projectModified);
        // What "Add to list" would refuse stays in the edit, the dialog stays too, and a
        // message says why.
        Type(urlEdit, "nodot");
        QTest::keyClick(urlEdit, Qt::Key_Enter);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(urlEdit->text(), QStringLiteral("nodot"));
        QCOMPARE(UrlList()->count(), 4);
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QCOMPARE(prompts_->Calls().back().text, Control<QLabel>(*dialog_, "urlHintLabel")->text());

        // Enter after the name moves on to the address; Done, the default, is not pressed.
        QLineEdit* nameEdit = EditOf(*dialog_, "nameEdit");
        Retype(nameEdit, "Named");
        QTest::keyClick(nameEdit, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(QApplication::focusWidget(), urlEdit);

        QLineEdit* keywordEdit = EditOf(*dialog_, "keywordEdit");
        Type(keywordEdit, "laces");
        QTest::keyClick(keywordEdit, Qt::Key_Enter);
        QVERIFY(dialog_->isVisible());
        QVERIFY(keywordEdit->text().isEmpty());
        QCOMPARE(Keywords(App().project), QStringList({"Boots", "laces", "shoes"}));
        QTest::keyClick(keywordEdit, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(KeywordList()->count(), 3);
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
    }

    // An address with a blank or a control character and a keyword of blanks are refused
    // with a reason; a keyword is added without the blanks around it.
    void badAddressesAndBlankKeywordsAreRefused() {
        const QString urlReason = QStringLiteral(
            "A site address may not hold blanks or control characters. Please correct it before "
            "adding it.");
        QLineEdit* urlEdit = EditOf(*dialog_, "urlEdit");
        for (const QString& url :
             {QStringLiteral("www.my site.com"), QStringLiteral("www.a.com\t"),
              QStringLiteral("www.b\x7f.com"), QString::fromUtf8("www.c\u00a0d.com")}) {
            const std::size_t before = prompts_->Calls().size();
            urlEdit->setText(url);
            Click(*dialog_, "urlAddButton");
            QCOMPARE(prompts_->Calls().size(), before + 1);
            QCOMPARE(prompts_->Calls().back().text, urlReason);
            QCOMPARE(prompts_->Calls().back().caption, ToQt(App().appTitle));
            QCOMPARE(urlEdit->text(), url);
        }
        QCOMPARE(Texts(UrlList()), sortedUrls_);

        QLineEdit* keywordEdit = EditOf(*dialog_, "keywordEdit");
        Type(keywordEdit, "   ");
        Click(*dialog_, "keywordAddButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(5));
        QCOMPARE(prompts_->Calls().back().text,
                 QStringLiteral("A keyword of blanks only cannot be added. Please type the "
                                "words to search for."));
        QCOMPARE(Texts(KeywordList()), QStringList({"Boots", "shoes"}));
        QVERIFY(!App().projectModified);

        Retype(keywordEdit, "  red boots ");
        Click(*dialog_, "keywordAddButton");
        QCOMPARE(Keywords(App().project), QStringList({"Boots", "red boots", "shoes"}));
        QCOMPARE(prompts_->Calls().size(), std::size_t(5));
        QVERIFY(dialog_->isVisible());
    }

    void clearAllEmptiesEverythingAndExitAsksNothing() {
        Type(EditOf(*dialog_, "urlEdit"), "half.typed");
        Type(EditOf(*dialog_, "nameEdit"), "!");
        // The typed name changed the project: asked first, and No clears it all the same.
        prompts_->Answer(PromptAnswer::No);
        Click(*dialog_, "clearAllButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        for (const char* name : {"nameEdit", "urlEdit", "keywordEdit"}) {
            QVERIFY2(EditOf(*dialog_, name)->text().isEmpty(), name);
        }
        QCOMPARE(UrlList()->count() + KeywordList()->count(), 0);
        QVERIFY(App().project.HasNoUrls() && App().project.KeywordCount() == 0);
        QVERIFY(!App().projectModified);
        Click(*dialog_, "doneButton");
        QCOMPARE(App().project.GetName(), std::string());
        QVERIFY(ConfirmExit(*prompts_, nullptr));
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
    }

    void escapeAlsoTakesTheTypedNameIntoTheProject() {
        Retype(EditOf(*dialog_, "nameEdit"), "By Escape");
        QTest::keyClick(&*dialog_, Qt::Key_Escape);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(App().project.GetName(), std::string("By Escape"));
        QCOMPARE(Urls(App().project), projectUrls_);
    }

    void saveWritesClearsAndClosesOnlyWhenWritten() {
        Retype(EditOf(*dialog_, "nameEdit"), "Saved Sites");
        const std::string path = App().paths.profilesDir + "/saved.swp";
        prompts_->ChooseFile(QString());
        prompts_->ChooseFile(PathToQt(App().paths.workDir + "/no such folder/x.swp"));
        prompts_->ChooseFile(PathToQt(path));
        // Cancelled, then a file that cannot be made: silently nothing.
        for (int attempt = 0; attempt < 2; ++attempt) {
            Click(*dialog_, "saveButton");
            QVERIFY(dialog_->isVisible());
            QVERIFY(App().projectModified);
        }
        Click(*dialog_, "saveButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(3));
        QCOMPARE(prompts_->Calls().back().choice.proposedName, QStringLiteral("Saved Sites"));
        QVERIFY(!App().projectModified);
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        Project loaded;
        QCOMPARE(LoadProfile(loaded, path, nullptr), kProfileOk);
        QCOMPARE(loaded.GetName(), std::string("Saved Sites"));
        QCOMPARE(Urls(loaded), projectUrls_);
        QCOMPARE(Keywords(loaded), QStringList({"Boots", "shoes"}));
    }

    void openRefillsTheListsAndClearsTheFlag() {
        Project onDisk;
        onDisk.SetName("From Disk");
        onDisk.AddUrl("zulu.com");
        onDisk.AddUrl("Echo.com");
        onDisk.AddKeyword("tea");
        const std::string path = App().paths.profilesDir + "/disk.swp";
        QCOMPARE(SaveProfile(onDisk, path), kProfileOk);
        App().projectModified = true;
        // A file that cannot be opened: nothing happens, nothing is said (after the question
        // about the changed project, answered No).
        prompts_->Answer(PromptAnswer::No);
        prompts_->ChooseFile(PathToQt(App().paths.profilesDir + "/missing.swp"));
        Click(*dialog_, "openButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(2));
        QVERIFY(App().projectModified);
        QCOMPARE(Urls(App().project), projectUrls_);

        prompts_->Answer(PromptAnswer::No);
        prompts_->ChooseFile(PathToQt(path));
        Click(*dialog_, "openButton");
        QCOMPARE(prompts_->Calls().size(), std::size_t(4));
        QCOMPARE(prompts_->Calls().back().choice.filter, QStringLiteral("App Profiles (*.swp)"));
        QCOMPARE(prompts_->Calls().back().choice.initialFolder, PathToQt(App().paths.profilesDir));
        QVERIFY(dialog_->isVisible());
        QVERIFY(!App().projectModified);
        QCOMPARE(Texts(UrlList()), QStringList({"zulu.com", "Echo.com"}));
        QCOMPARE(Urls(App().project), QStringList({"zulu.com", "Echo.com"}));
        QVERIFY(UrlList()->item(0)->font().bold());
        QCOMPARE(Texts(KeywordList()), QStringList({"tea"}));
        QCOMPARE(EditOf(*dialog_, "nameEdit")->text(), QStringLiteral("From Disk"));
    }

    void aMalformedProfileIsReportedAndTheListsStay_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("pastEnd");
        // Two URLs announced, one present and the second cut short.
        QTest::newRow("truncated") << QByteArray(
                                          "\x02\x00\x00\x00\x08"
                                          "cut.com/"
                                          "\x09"
                                          "ab",
                                          16)
                                   << true;
        QTest::newRow("negative count") << QByteArray("\xff\xff\xff\xff", 4) << false;
    }
    void aMalformedProfileIsReportedAndTheListsStay() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, pastEnd);
        const std::string path = App().paths.profilesDir + "/bad.swp";
        QVERIFY(WriteWholeFile(path, std::string_view(bytes.constData(), bytes.size())));
        App().projectModified = true;
        prompts_->Answer(PromptAnswer::No);
        prompts_->ChooseFile(PathToQt(path));
        Click(*dialog_, "openButton");

        QCOMPARE(prompts_->Calls().size(), std::size_t(3));
        const PromptCall& message = prompts_->Calls().back();
        QCOMPARE(int(message.kind), int(PromptCall::Kind::Inform));
        QCOMPARE(message.caption, QStringLiteral("Sitegauge Version 6.0"));
        QCOMPARE(message.text,
                 pastEnd ? "An attempt was made to access " + PathToQt(path) + " past its end."
                         : QStringLiteral("Unexpected file format."));
        QVERIFY(App().projectModified);
        QCOMPARE(Texts(UrlList()), sortedUrls_);
        if (pastEnd) {
            // What was read before the error is in the project...
            QCOMPARE(Urls(App().project), QStringList({"cut.com/"}));
        }
        // ...until "Done" takes the dialog's lists back into it.
        Click(*dialog_, "doneButton");
        QCOMPARE(Urls(App().project), projectUrls_);
        QCOMPARE(Keywords(App().project), QStringList({"Boots", "shoes"}));
    }

    void demoProjectLoadsSitesThatStayUpAndSavesItsProfile() {
        App().projectModified = true;
        prompts_->Answer(PromptAnswer::No);
        Click(*dialog_, "demoButton");
        QVERIFY(SharedDemoSession().Running());
        const QStringList urls = Texts(UrlList());
        QCOMPARE(urls.size(), 2);
        for (const QString& url : urls) {
            QVERIFY2(url.startsWith(QStringLiteral("127.0.0.1:")), qPrintable(url));
        }
        QCOMPARE(Texts(KeywordList()),
                 QStringList({"coffee beans", "espresso", "fresh roasted coffee"}));
        QCOMPARE(EditOf(*dialog_, "nameEdit")->text(), QStringLiteral("Coffee Demo"));
        QCOMPARE(Urls(App().project).size(), 2);
        QVERIFY(!App().projectModified);
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        QVERIFY(dialog_->Note().contains(QStringLiteral("running on this computer")));
        QVERIFY(Control<QLabel>(*dialog_, "noteLabel")->isVisible());
        Project saved;
        QCOMPARE(LoadProfile(saved, App().paths.profilesDir + "/Coffee Demo.swp", nullptr),
                 kProfileOk);
        QCOMPARE(Urls(saved), Urls(App().project));

        // The sites answer, and keep answering after the dialog is gone.
        dialog_.reset();
        CWebClient client;
        std::string address = PathFromQt(urls.front());
        QCOMPARE(client.FetchPageRetrying(address.data(), 1), 0);
        QVERIFY(client.BodyText().find("Coffee") != std::string::npos);
        // A second dialog's demo finds the same sites running.
        ProjectDialog again(*prompts_);
        QVERIFY(ShowActive(again));
        Click(again, "demoButton");
        QCOMPARE(Texts(Control<QListWidget>(again, "urlList")), urls);
        // Other test classes of this program expect no demo in the way.
        SharedDemoSession().Stop();
        QVERIFY(!SharedDemoSession().Running());
    }
};

SG_REGISTER_UI_TEST(ProjectDialogTest);

}  // namespace sg::test

#include "ProjectDialogTest.moc"
