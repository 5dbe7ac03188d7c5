// The Link Popularity dialog's ranks file and Open PageRank key: shown from the settings file,
// chosen through the file dialog, kept owner-only, and in force only when changed.

#include <sys/stat.h>

#include <QLineEdit>
#include <QTest>
#include <optional>

#include "model/AppState.h"
#include "model/LinkAuthoritySettings.h"
#include "platform/FileSystem.h"
#include "ui/AnalyzeDialog.h"
#include "ui/LinkAuthorityFields.h"
#include "ui/ScriptedPrompts.h"
#include "ui/UiFixture.h"
#include "ui/UiTestHelpers.h"
#include "ui/UiTestRegistry.h"

namespace sg::test {

class LinkAuthorityFieldsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_.emplace();
        prompts_.emplace();
    }
    void cleanup() {
        prompts_.reset();
        fixture_.reset();
        App().authority = LinkAuthoritySettings();
    }

    void storedShownChosenKeptOwnerOnlyAndAppliedWhenChanged() {
        const std::string file = App().paths.linkAuthorityFile;
        LinkAuthoritySettings stored;
        stored.ranksFile = "/old/ranks.txt.gz";
        stored.oprKey = "old-key";
        QVERIFY(SaveLinkAuthoritySettings(file, stored));
        // What is in force (the demo's, say) stays while nothing is changed.
        App().authority.oprKey = "in-force";

        LinkAuthorityFields fields(*prompts_);
        QLineEdit* ranks = EditOf(fields, "ccRanksEdit");
        QLineEdit* key = EditOf(fields, "oprKeyEdit");
        QCOMPARE(ranks->text(), QStringLiteral("/old/ranks.txt.gz"));
        QCOMPARE(key->text(), QStringLiteral("old-key"));
        QCOMPARE(key->echoMode(), QLineEdit::Password);
        QVERIFY(fields.Apply());
        QCOMPARE(App().authority.oprKey, std::string("in-force"));

        prompts_->ChooseFile(QStringLiteral("/data/cc-main-domain-ranks.txt.gz"));
        Click(fields, "ccRanksButton");
        QCOMPARE(ranks->text(), QStringLiteral("/data/cc-main-domain-ranks.txt.gz"));
        Retype(key, QStringLiteral("new-key"));
        QVERIFY(fields.Apply());
        QCOMPARE(App().authority.ranksFile, std::string("/data/cc-main-domain-ranks.txt.gz"));
        QCOMPARE(App().authority.oprKey, std::string("new-key"));
        std::string text;
        QVERIFY(ReadWholeFile(file, text));
        QCOMPARE(text,
                 std::string("cc-ranks=/data/cc-main-domain-ranks.txt.gz\nopr-key=new-key\n"));
        struct stat st {};
        QCOMPARE(::stat(file.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }

    void onlyLinkPopularityShowsThem() {
        for (int mode : {kAnalyzeReadiness, kAnalyzeLinkPopularity, kAnalyzeLinkValidator}) {
            AnalyzeDialog dialog(*prompts_, mode);
            dialog.show();
            auto* fields = dialog.findChild<LinkAuthorityFields*>();
            QVERIFY(fields != nullptr);
            QCOMPARE(fields->isVisible(), mode == kAnalyzeLinkPopularity);
        }
    }

  private:
    std::optional<UiFixture> fixture_;
    std::optional<ScriptedPrompts> prompts_;
};

SG_REGISTER_UI_TEST(LinkAuthorityFieldsTest);

}  // namespace sg::test

#include "LinkAuthorityFieldsTest.moc"
