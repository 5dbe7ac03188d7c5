#include "ui/LinkAuthorityFields.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/AppState.h"
#include "model/LinkAuthoritySettings.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {

LinkAuthorityFields::LinkAuthorityFields(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("linkAuthorityFields"));
    LinkAuthoritySettings stored;
    LoadLinkAuthoritySettings(App().paths.linkAuthorityFile, stored);
    storedRanks_ = PathToQt(stored.ranksFile);
    storedKey_ = QString::fromStdString(stored.oprKey);

    ranksEdit_ = new QLineEdit(storedRanks_, this);
    ranksEdit_->setObjectName(QStringLiteral("ccRanksEdit"));
    ranksEdit_->setPlaceholderText(QStringLiteral("cc-main-...-domain-ranks.txt.gz"));
    chooseButton_ = new QPushButton(QStringLiteral("Choose..."), this);
    chooseButton_->setObjectName(QStringLiteral("ccRanksButton"));
    keyEdit_ = new QLineEdit(storedKey_, this);
    keyEdit_->setObjectName(QStringLiteral("oprKeyEdit"));
    keyEdit_->setEchoMode(QLineEdit::Password);
    auto* ranksLabel = new QLabel(QStringLiteral("Common Crawl domain ranks file:"), this);
    ranksLabel->setBuddy(ranksEdit_);
    auto* keyLabel = new QLabel(QStringLiteral("Open PageRank key:"), this);
    keyLabel->setBuddy(keyEdit_);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ranksLabel, 0, 0);
    layout->addWidget(ranksEdit_, 0, 1);
    layout->addWidget(chooseButton_, 0, 2);
    layout->addWidget(keyLabel, 1, 0);
    layout->addWidget(keyEdit_, 1, 1, 1, 2);
    connect(chooseButton_, &QPushButton::clicked, this, &LinkAuthorityFields::ChooseRanksFile);
}

void LinkAuthorityFields::ChooseRanksFile() {
    FileChoice choice;
    choice.caption = QStringLiteral("Common Crawl domain ranks file");
    choice.filter = QStringLiteral("Domain ranks (*.txt.gz)");
    choice.initialFolder = QFileInfo(ranksEdit_->text()).absolutePath();
    const QString path = prompts_.ChooseFileToOpen(this, choice);
    if (!path.isEmpty()) {
        ranksEdit_->setText(path);
    }
}

bool LinkAuthorityFields::Apply() {
    const QString ranks = ranksEdit_->text().trimmed();
    const QString key = keyEdit_->text().trimmed();
    if (ranks == storedRanks_ && key == storedKey_) {
        return true;
    }
    LinkAuthoritySettings stored;
    LoadLinkAuthoritySettings(App().paths.linkAuthorityFile, stored);
    stored.ranksFile = PathFromQt(ranks);
    stored.oprKey = key.toStdString();
    App().authority.ranksFile = stored.ranksFile;
    App().authority.oprKey = stored.oprKey;
    if (!SaveLinkAuthoritySettings(App().paths.linkAuthorityFile, stored)) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("The ranks file and key could not be kept in %1; they "
                                       "are used until the program ends.")
                            .arg(PathToQt(App().paths.linkAuthorityFile)),
                        PromptIcon::Warning);
        return false;
    }
    storedRanks_ = ranks;
    storedKey_ = key;
    return true;
}

}  // namespace sg
