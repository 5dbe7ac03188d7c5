// The exit question: which answers close the program, and the profile a Yes writes.

#include <QTest>
#include <filesystem>
#include <optional>

#include "model/AppState.h"
#include "model/ProfileFile.h"
#include "ui/ConfirmExit.h"
#include "ui/MainWindow.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"
#include "ui/UiText.h"

namespace sg::test {

class ConfirmExitTest : public QObject {
    Q_OBJECT

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;

    static bool NoProfileWritten() { return std::filesystem::is_empty(App().paths.profilesDir); }

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
        App().project.SetName("Exit Sites");
        App().project.AddUrl("www.exit.com");
        App().project.AddKeyword("door");
        App().projectModified = true;
    }
    void cleanup() {
        prompts_.reset();
        fixture_.reset();
    }

    void anUnchangedProjectClosesWithoutAQuestion() {
        App().projectModified = false;
        QVERIFY(ConfirmExit(*prompts_, nullptr));
        QVERIFY(prompts_->Calls().empty());
    }

    void noClosesWithoutAFileAndCancelStays() {
        prompts_->Answer(PromptAnswer::No);
        QVERIFY(ConfirmExit(*prompts_, nullptr));
        QCOMPARE(prompts_->Calls().size(), std::size_t(1));
        const PromptCall& ask = prompts_->Calls().front();
        QCOMPARE(ask.caption, QStringLiteral("Sitegauge Version 6.0"));
        QCOMPARE(ask.text, QStringLiteral("Do you want to save your projects setings ?"));
        QCOMPARE(int(ask.buttons), int(PromptButtons::YesNoCancel));
        QCOMPARE(int(ask.icon), int(PromptIcon::Question));
        QVERIFY(NoProfileWritten());

        prompts_->Answer(PromptAnswer::Cancel);
        QVERIFY(!ConfirmExit(*prompts_, nullptr));
        QVERIFY(App().projectModified);
    }

    void yesThenACancelledOrFailedSaveStays() {
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->ChooseFile(QString());
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->ChooseFile(PathToQt(App().paths.workDir + "/gone/exit.swp"));
        QVERIFY(!ConfirmExit(*prompts_, nullptr));
        QVERIFY(!ConfirmExit(*prompts_, nullptr));
        QVERIFY(prompts_->ScriptUsedUp());
        QVERIFY(App().projectModified);
        QVERIFY(NoProfileWritten());
    }

    void yesWritesTheProfileAndCloses() {
        const std::string path = App().paths.profilesDir + "/Exit Sites.swp";
        QVERIFY(WriteWholeFile(path, std::string(5000, 'x')));  // replaced whole
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->ChooseFile(PathToQt(path));
        QVERIFY(ConfirmExit(*prompts_, nullptr));

        const FileChoice& choice = prompts_->Calls().back().choice;
        QCOMPARE(int(prompts_->Calls().back().kind), int(PromptCall::Kind::SaveFile));
        QCOMPARE(choice.filter, QStringLiteral("App Profiles *.swp"));
        QCOMPARE(choice.initialFolder, PathToQt(App().paths.profilesDir));
        QCOMPARE(choice.proposedName, QStringLiteral("Exit Sites"));
        QVERIFY(choice.confirmOverwrite);
        Project loaded;
        QCOMPARE(LoadProfile(loaded, path, nullptr), kProfileOk);
        QCOMPARE(loaded.GetName(), std::string("Exit Sites"));
        QCOMPARE(Urls(loaded), QStringList({"www.exit.com"}));
        QCOMPARE(Keywords(loaded), QStringList({"door"}));
    }

    void theMainWindowClosesOnlyWhenAllowed() {
        MainWindow window(*prompts_, false);
        QVERIFY(ShowActive(window));
        prompts_->Answer(PromptAnswer::Yes);
        prompts_->ChooseFile(QString());
        window.close();
        QVERIFY(window.isVisible());
        prompts_->Answer(PromptAnswer::No);
        Click(window, "okButton");
        QVERIFY(!window.isVisible());
        QVERIFY(prompts_->ScriptUsedUp());
    }
};

SG_REGISTER_UI_TEST(ConfirmExitTest);

}  // namespace sg::test

#include "ConfirmExitTest.moc"
