#include "ui/ProjectDialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <string_view>

#include "demo/DemoProject.h"
#include "demo/DemoSession.h"
#include "model/AppState.h"
#include "model/IsProjectReady.h"
#include "model/LastProfile.h"
#include "model/ProfileFile.h"
#include "platform/Ansi.h"
#include "ui/ConfirmExit.h"
#include "ui/EnterKey.h"
#include "ui/ProfileFileChoices.h"
#include "ui/ProjectStart.h"
#include "ui/SortedListBox.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"
#include "ui/WaitCursor.h"

namespace sg {
namespace {

// Project URLs carry no "http://": the scheme at the start goes in any letter case ("HTTP://"
// names the same site), and every other "http://" in the typed text goes too.
std::string WithoutHttp(std::string_view text) {
    constexpr std::string_view kHttp = "http://";
    if (StartsWithNoCase(text, kHttp)) {
        text.remove_prefix(kHttp.size());
    }
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit = text.find(kHttp); hit != std::string_view::npos;
         hit = text.find(kHttp, pos)) {
        out.append(text.substr(pos, hit - pos));
        pos = hit + kHttp.size();
    }
    out.append(text.substr(pos));
    return out;
}

// Why "Add to list" stays off for a typed address, shown under the edit and on Enter.
QString NoHostReason() {
    return QStringLiteral(
        "An address needs a \".\" in its host name (as in www.example.com), unless it is one of "
        "this computer's own: localhost or 127.0.0.1.");
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLineEdit* Edit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// A blank or a control character cannot stand in a site address; every request would fail.
bool FitsAnAddress(const QString& text) {
    for (QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control) {
            return false;
        }
    }
    return true;
}

// Two addresses name the same site page when they differ only in letter case or in a slash
// at the end ("Shop.com" and "shop.com/").
bool SameAddress(std::string_view a, std::string_view b) {
    if (a.ends_with('/')) {
        a.remove_suffix(1);
    }
    if (b.ends_with('/')) {
        b.remove_suffix(1);
    }
    return ToLowerAnsi(a) == ToLowerAnsi(b);
}

// The line of `list` that `same` matches with `text`, or -1.
template <typename Same>
int FindLine(const SortedListBox& list, std::string_view text, Same same) {
    for (int row = 0; row < list.count(); ++row) {
        if (same(list.LineAt(row), text)) {
            return row;
        }
    }
    return -1;
}

SortedListBox* List(const char* name, QWidget* parent) {
    auto* list = new SortedListBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

// One column of the dialog: the edit with its "Add to list", then the list with its "Remove".
QGridLayout* ListColumn(const QString& editLabel, QLineEdit* edit, QPushButton* add,
                        const QString& listLabel, SortedListBox* list, QPushButton* remove) {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(editLabel), 0, 0, 1, 2);
    grid->addWidget(edit, 1, 0);
    grid->addWidget(add, 1, 1);
    grid->addWidget(new QLabel(listLabel), 2, 0, 1, 2);
    grid->addWidget(list, 3, 0);
    grid->addWidget(remove, 3, 1, Qt::AlignTop);
    grid->setRowStretch(3, 1);
    return grid;
}

}  // namespace

ProjectDialog::ProjectDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(QStringLiteral("Project"));

    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    noteLabel_->setWordWrap(true);
    noteLabel_->setTextFormat(Qt::PlainText);
    noteLabel_->setFrameShape(QFrame::StyledPanel);
    noteLabel_->setMargin(6);
    noteLabel_->hide();
    nameEdit_ = Edit("nameEdit", this);
    urlEdit_ = Edit("urlEdit", this);
    urlAddButton_ = Button(QStringLiteral("Add to list"), "urlAddButton", this);
    urlRemoveButton_ = Button(QStringLiteral("Remove"), "urlRemoveButton", this);
    urlList_ = List("urlList", this);
    // The own site stays on top, above its competitors in alphabetical order.
    urlList_->KeepFirstLine(true);
    urlHintLabel_ = new QLabel(NoHostReason(), this);
    urlHintLabel_->setObjectName(QStringLiteral("urlHintLabel"));
    urlHintLabel_->setWordWrap(true);
    urlHintLabel_->hide();
    keywordEdit_ = Edit("keywordEdit", this);
    keywordAddButton_ = Button(QStringLiteral("Add to list"), "keywordAddButton", this);
    keywordRemoveButton_ = Button(QStringLiteral("Remove"), "keywordRemoveButton", this);
    keywordList_ = List("keywordList", this);
    saveButton_ = Button(QStringLiteral("&Save"), "saveButton", this);
    openButton_ = Button(QStringLiteral("&Open"), "openButton", this);
    clearAllButton_ = Button(QStringLiteral("Clear All"), "clearAllButton", this);
    demoButton_ = Button(QStringLiteral("Demo project"), "demoButton", this);
    demoButton_->setToolTip(
        QStringLiteral("Two sample sites and the search engines, served on this computer until "
                       "the program ends: every analysis works without an internet connection."));
    doneButton_ = Button(QStringLiteral("Done"), "doneButton", this);
    doneButton_->setDefault(true);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Project Name")));
    nameRow->addWidget(nameEdit_, 1);

    auto* lists = new QHBoxLayout;
    QGridLayout* urlColumn = ListColumn(QStringLiteral("New Url"), urlEdit_, urlAddButton_,
                                        QStringLiteral("Url List"), urlList_, urlRemoveButton_);
    // Under the address column, in sight while "Add to list" stays grey.
    urlColumn->addWidget(urlHintLabel_, 4, 0, 1, 2);
    lists->addLayout(urlColumn, 3);
    lists->addSpacing(16);
    lists->addLayout(
        ListColumn(QStringLiteral("Keyword"), keywordEdit_, keywordAddButton_,
                   QStringLiteral("Keywords List"), keywordList_, keywordRemoveButton_),
        2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton_);
    buttons->addWidget(openButton_);
    buttons->addWidget(clearAllButton_);
    buttons->addWidget(demoButton_);
    buttons->addStretch(1);
    buttons->addWidget(doneButton_);

    auto* ownSite =
        new QLabel(QStringLiteral("In bold, on top: your own site, the first you added; "
                                  "below it, the competitors it is measured against."),
                   this);
    ownSite->setObjectName(QStringLiteral("ownSiteLabel"));
    ownSite->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(noteLabel_);
    layout->addLayout(nameRow);
    layout->addSpacing(8);
    layout->addLayout(lists, 1);
    layout->addWidget(ownSite);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(640, 400);

    urlAddButton_->setEnabled(false);
    urlRemoveButton_->setEnabled(false);
    keywordAddButton_->setEnabled(false);
    keywordRemoveButton_->setEnabled(false);

    connect(nameEdit_, &QLineEdit::textEdited, this, [] { App().projectModified = true; });
    connect(urlEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool addable = !text.isEmpty() && NamesAHost(FromQt(text));
        urlAddButton_->setEnabled(addable);
        urlHintLabel_->setVisible(!text.isEmpty() && !addable);
    });
    connect(keywordEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { keywordAddButton_->setEnabled(!text.isEmpty()); });

    // A click on the line that is already selected counts as a selection too: the focus it
    // brings has just disabled "Remove".
    const auto urlSelection = [this] {
        urlRemoveButton_->setEnabled(urlList_->SelectedRow() >= 0);
    };
    connect(urlList_, &QListWidget::itemSelectionChanged, this, urlSelection);
    connect(urlList_, &QListWidget::itemPressed, this, urlSelection);
    const auto keywordSelection = [this] {
        keywordRemoveButton_->setEnabled(keywordList_->SelectedRow() >= 0);
    };
    connect(keywordList_, &QListWidget::itemSelectionChanged, this, keywordSelection);
    connect(keywordList_, &QListWidget::itemPressed, this, keywordSelection);
    urlList_->installEventFilter(this);
    keywordList_->installEventFilter(this);

    // Enter in either edit adds what it holds, as "Add to list" would; it never closes the
    // dialog, which would lose the typed text.
    OnEnter(urlEdit_, [this] {
        if (urlAddButton_->isEnabled()) {
            AddUrl();
        } else if (!urlEdit_->text().isEmpty()) {
            prompts_.Inform(this, ToQt(App().appTitle), NoHostReason(), PromptIcon::Information);
        }
    });
    // Enter after the name goes on to the first address; Done would close the dialog half
    // filled.
    OnEnter(nameEdit_, [this] { urlEdit_->setFocus(Qt::TabFocusReason); });
    OnEnter(keywordEdit_, [this] {
        if (keywordAddButton_->isEnabled()) {
            AddKeyword();
        }
    });
    connect(urlAddButton_, &QPushButton::clicked, this, &ProjectDialog::AddUrl);
    connect(urlRemoveButton_, &QPushButton::clicked, this, &ProjectDialog::RemoveUrl);
    connect(keywordAddButton_, &QPushButton::clicked, this, &ProjectDialog::AddKeyword);
    connect(keywordRemoveButton_, &QPushButton::clicked, this, &ProjectDialog::RemoveKeyword);
    connect(clearAllButton_, &QPushButton::clicked, this, &ProjectDialog::ClearAll);
    connect(saveButton_, &QPushButton::clicked, this, &ProjectDialog::Save);
    connect(openButton_, &QPushButton::clicked, this, &ProjectDialog::Open);
    connect(demoButton_, &QPushButton::clicked, this, &ProjectDialog::OpenDemo);
    connect(doneButton_, &QPushButton::clicked, this, &QDialog::accept);

    // Filling the controls is no edit: projectModified keeps its value.
    FillFromProject();
}

void ProjectDialog::done(int result) {
    SyncUrls();
    SyncKeywords();
    QDialog::done(result);
}

bool ProjectDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == urlList_) {
            urlRemoveButton_->setEnabled(false);
        } else if (watched == keywordList_) {
            keywordRemoveButton_->setEnabled(false);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ProjectDialog::ShowNote(const QString& text) {
    noteLabel_->setText(text);
    noteLabel_->setVisible(!text.isEmpty());
}

QString ProjectDialog::Note() const {
    return noteLabel_->text();
}

void ProjectDialog::FillFromProject() {
    const Project& project = App().project;
    urlList_->clear();
    // The project's first URL goes in first and so stays on top.
    for (int i = 0; i < project.UrlCount(); ++i) {
        urlList_->InsertSorted(project.GetUrl(i)->GetUrl());
    }
    MarkOwnSite();
    nameEdit_->setText(ToQt(project.GetName()));
    keywordList_->clear();
    for (int i = 0; i < project.KeywordCount(); ++i) {
        keywordList_->InsertSorted(project.GetKeyword(i));
    }
}

void ProjectDialog::SyncUrls() {
    Project& project = App().project;
    project.ClearUrls();
    // The own site is the list's first line, so the list's order is the project's.
    for (int row = 0; row < urlList_->count(); ++row) {
        project.AddUrl(urlList_->LineAt(row));
    }
    project.SetName(FromQt(nameEdit_->text()));
}

void ProjectDialog::MarkOwnSite() {
    for (int row = 0; row < urlList_->count(); ++row) {
        QListWidgetItem* line = urlList_->item(row);
        const bool own = row == 0;
        QFont font = line->font();
        font.setBold(own);
        line->setFont(font);
        line->setToolTip(own ? QStringLiteral("Your own site") : QString());
    }
}

bool ProjectDialog::MayReplaceProject() {
    SyncUrls();
    SyncKeywords();
    return ConfirmReplaceProject(prompts_, this);
}

void ProjectDialog::SyncKeywords() {
    Project& project = App().project;
    project.ClearKeywords();
    for (int row = 0; row < keywordList_->count(); ++row) {
        project.AddKeyword(keywordList_->LineAt(row));
    }
}

void ProjectDialog::AddUrl() {
    if (!FitsAnAddress(urlEdit_->text())) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("A site address may not hold blanks or control "
                                       "characters. Please correct it before adding it."),
                        PromptIcon::Warning);
        urlEdit_->setFocus();
        return;
    }
    const std::string url = WithoutHttp(FromQt(urlEdit_->text()));
    const int same = FindLine(*urlList_, url, SameAddress);
    if (same >= 0) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("%1 is in the list already (as %2).")
                            .arg(ToQt(url), ToQt(urlList_->LineAt(same))),
                        PromptIcon::Information);
        urlEdit_->setFocus();
        return;
    }
    urlList_->InsertSorted(url);
    MarkOwnSite();
    urlEdit_->clear();
    SyncUrls();
    App().projectModified = true;
}

void ProjectDialog::RemoveUrl() {
    const int row = urlList_->SelectedRow();
    if (row >= 0) {
        delete urlList_->takeItem(row);
        App().projectModified = true;
        // Without the own site, the first of the others takes its place.
        MarkOwnSite();
    }
    // As in a platform list box, a deleted line leaves no selection behind.
    urlList_->clearSelection();
    urlRemoveButton_->setEnabled(urlList_->SelectedRow() >= 0);
    SyncUrls();
}

void ProjectDialog::AddKeyword() {
    // Blanks around a keyword would be searched for as typed; blanks alone are no keyword.
    const QString keyword = keywordEdit_->text().trimmed();
    if (keyword.isEmpty()) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("A keyword of blanks only cannot be added. Please type "
                                       "the words to search for."),
                        PromptIcon::Warning);
        keywordEdit_->setFocus();
        return;
    }
    const std::string word = FromQt(keyword);
    const int same = FindLine(*keywordList_, word, [](std::string_view a, std::string_view b) {
        return ToLowerAnsi(a) == ToLowerAnsi(b);
    });
    if (same >= 0) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("The keyword \"%1\" is in the list already (as \"%2\").")
                            .arg(keyword, ToQt(keywordList_->LineAt(same))),
                        PromptIcon::Information);
        keywordEdit_->setFocus();
        return;
    }
    keywordList_->InsertSorted(word);
    keywordEdit_->clear();
    SyncKeywords();
    App().projectModified = true;
}

void ProjectDialog::RemoveKeyword() {
    const int row = keywordList_->SelectedRow();
    if (row >= 0) {
        delete keywordList_->takeItem(row);
        App().projectModified = true;
    }
    keywordList_->clearSelection();
    keywordRemoveButton_->setEnabled(keywordList_->SelectedRow() >= 0);
    SyncKeywords();
}

void ProjectDialog::ClearAll() {
    if (!MayReplaceProject()) {
        return;
    }
    Project& project = App().project;
    project.ClearUrls();
    project.ClearKeywords();
    urlList_->clear();
    keywordList_->clear();
    nameEdit_->clear();
    urlEdit_->clear();
    keywordEdit_->clear();
    ShowNote(QString());
    App().projectModified = false;
}

void ProjectDialog::Save() {
    SyncUrls();
    SyncKeywords();
    const QString path = prompts_.ChooseFileToSave(this, ProfileSaveChoice(nameEdit_->text()));
    if (path.isEmpty()) {
        return;
    }
    int result;
    {
        WaitCursor wait;
        result = SaveProfile(App().project, PathFromQt(path));
    }
    // A file that cannot be written leaves the dialog open, as one that cannot be created does.
    if (result != kProfileOk) {
        return;
    }
    App().projectModified = false;
    RememberLastProfile(App().paths.lastProfileFile, PathFromQt(path));
    accept();
}

void ProjectDialog::Open() {
    if (!MayReplaceProject()) {
        return;
    }
    const QString path = prompts_.ChooseFileToOpen(this, ProfileOpenChoice());
    if (path.isEmpty()) {
        return;
    }
    std::string errorText;
    int result;
    {
        WaitCursor wait;
        result = LoadProfile(App().project, PathFromQt(path), &errorText);
    }
    if (result == kProfileCannotOpen) {
        return;
    }
    if (result != kProfileOk) {
        // What was read stays in the project; the lists still show the old project, and
        // "Done" takes them back into it.
        prompts_.Inform(this, ToQt(App().appTitle), PathToQt(errorText), PromptIcon::Warning);
        return;
    }
    FillFromProject();
    App().projectModified = false;
    RememberLastProfile(App().paths.lastProfileFile, PathFromQt(path));
    ShowNote(QString());
}

void ProjectDialog::OpenDemo() {
    if (!MayReplaceProject()) {
        return;
    }
    const int result = LoadDemoProjectOrWarn(prompts_, this);
    if (result == kDemoNoPort || result == kDemoNoCertificate) {
        return;
    }
    // A profile that could not be saved changes nothing here: the project is loaded.
    FillFromProject();
    QString note = QStringLiteral(
        "The demo sites and search engines are running on this computer (127.0.0.1) until the "
        "program ends, and the demo project is loaded: every analysis works without an "
        "internet connection.");
    if (result == kDemoProfileNotSaved) {
        note += QStringLiteral(" Its profile could not be saved in %1.")
                    .arg(PathToQt(App().paths.profilesDir));
    }
    ShowNote(note);
}

}  // namespace sg
