#include "ui/CSitePosDialog.h"
#include "ui/WindowThread.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "engines/EngineCatalogue.h"
#include "engines/LiveEngineList.h"
#include "engines/LiveFetch.h"
#include "engines/PositionAnalyzerRun.h"
#include "model/AppState.h"
#include "net/MetasearchSetting.h"
#include "ui/CPosAnStatus.h"
#include "ui/EngineArt.h"
#include "ui/ProjectDialog.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

// The "Search to Position :" entries in list order; the depth of entry i is kDepths[i].
constexpr const char* kDepthTexts[] = {"100", "200", "300", "400",  "500",  "600",
                                       "700", "800", "900", "1000", "5000", "All"};
constexpr int kDepths[] = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 5000, 0};
constexpr int kDepthCount = static_cast<int>(std::size(kDepths));

// Where a live engine's item keeps the name the instance gives it.
constexpr int kLiveNameRole = Qt::UserRole + 1;

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QListWidget* List(const char* name, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

}  // namespace

CSitePosDialog::CSitePosDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), lastOutcome_(kPositionNotEnded) {
    setObjectName(QStringLiteral("sitePosDialog"));
    setWindowTitle(QStringLiteral("Analyze position"));

    keywordList_ = List("keywordList", this);
    siteList_ = List("siteList", this);

    engineList_ = new QTreeWidget(this);
    engineList_->setObjectName(QStringLiteral("engineList"));
    engineList_->setColumnCount(1);
    engineList_->setHeaderLabels({QStringLiteral("Search Engines")});
    engineList_->setHeaderHidden(true);
    engineList_->setRootIsDecorated(false);
    engineList_->setSelectionMode(QAbstractItemView::SingleSelection);
    engineList_->setIconSize(QSize(kEngineIconSize, kEngineIconSize));
    // Names are shown whole at any scale: the column takes the longest name, and a list too
    // narrow for it scrolls sideways rather than cutting it.
    engineList_->setTextElideMode(Qt::ElideNone);
    engineList_->header()->setStretchLastSection(false);
    engineList_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    depthCombo_ = new QComboBox(this);
    depthCombo_->setObjectName(QStringLiteral("depthCombo"));

    searchButton_ = Button(QStringLiteral("Search"), "searchButton", this);
    editProjectButton_ = Button(QStringLiteral("Edit Project"), "editProjectButton", this);
    closeButton_ = Button(QStringLiteral("Close"), "closeButton", this);
    metasearchEdit_ = new QLineEdit(this);
    metasearchEdit_->setObjectName(QStringLiteral("metasearchEdit"));
    metasearchEdit_->setPlaceholderText(QStringLiteral("http://127.0.0.1:8888"));
    metasearchEdit_->setToolTip(
        QStringLiteral("The address of your own metasearch instance, whose engines can be "
                       "searched as live engines; empty for none"));
    liveEnginesButton_ = Button(QStringLiteral("Load engines"), "liveEnginesButton", this);
    liveStatus_ = new QLabel(this);
    liveStatus_->setObjectName(QStringLiteral("liveStatus"));
    liveStatus_->setTextFormat(Qt::PlainText);
    liveStatus_->setWordWrap(true);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Keywords"), this), 0, 0);
    lists->addWidget(keywordList_, 1, 0);
    lists->addWidget(new QLabel(QStringLiteral("Web sites"), this), 2, 0);
    lists->addWidget(siteList_, 3, 0);
    lists->addWidget(new QLabel(QStringLiteral("Engines"), this), 0, 1);
    lists->addWidget(engineList_, 1, 1, 3, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);
    auto* depthRow = new QHBoxLayout;
    depthRow->addWidget(new QLabel(QStringLiteral("Search to Position :"), this));
    depthRow->addWidget(depthCombo_);
    depthRow->addStretch(1);
    auto* metasearchRow = new QHBoxLayout;
    auto* metasearchLabel = new QLabel(QStringLiteral("Metasearch instance :"), this);
    metasearchLabel->setBuddy(metasearchEdit_);
    metasearchRow->addWidget(metasearchLabel);
    metasearchRow->addWidget(metasearchEdit_, 1);
    metasearchRow->addWidget(liveEnginesButton_);
    auto* left = new QVBoxLayout;
    left->addLayout(lists, 1);
    left->addLayout(depthRow);
    left->addLayout(metasearchRow);
    left->addWidget(liveStatus_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(searchButton_);
    buttons->addWidget(editProjectButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(600, 430);

    for (const char* text : kDepthTexts) {
        depthCombo_->addItem(QString::fromLatin1(text));
    }
    depthCombo_->setCurrentIndex(0);
    for (EngineId id : kAllEngines) {
        // Whole names: the designed labels left the first letters to logos the list no longer
        // shows.
        auto* item = new QTreeWidgetItem({ToQt(EngineNames(id).reportHeader)});
        item->setIcon(0, QIcon(EngineIcon(id)));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        engineList_->addTopLevelItem(item);
    }
    FillLists();
    TakeChecks();
    TakeDepth();
    UpdateSearchButton();

    connect(engineList_, &QTreeWidget::itemChanged, this, [this] {
        if (initialised_) {
            TakeChecks();
            UpdateSearchButton();
        }
    });
    connect(depthCombo_, &QComboBox::currentIndexChanged, this, [this] { TakeDepth(); });
    connect(searchButton_, &QPushButton::clicked, this, &CSitePosDialog::StartPositionRun);
    connect(editProjectButton_, &QPushButton::clicked, this, &CSitePosDialog::EditProject);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(liveEnginesButton_, &QPushButton::clicked, this, &CSitePosDialog::LoadLiveEngines);
    // Enter in the field loads the list, rather than closing the dialog.
    connect(metasearchEdit_, &QLineEdit::returnPressed, this, &CSitePosDialog::LoadLiveEngines);
    initialised_ = true;

    const std::string instance = MetasearchInstance();
    metasearchEdit_->setText(ToQt(instance));
    if (!instance.empty()) {
        FetchLiveEngines(instance, false);
    }
}

CSitePosDialog::~CSitePosDialog() {
    // The run calls this dialog and its status window until its thread has returned.
    CancelAndJoinRun();
    DestroyStatus();
    // A list still being fetched is abandoned; what it would post is dropped with the dialog.
    liveControl_.RequestCancel();
    liveWorker_.Wait();
}

int CSitePosDialog::DepthFromSelection() const {
    const int index = depthCombo_->currentIndex();
    return index >= 0 && index < kDepthCount ? kDepths[index] : 0;
}

bool CSitePosDialog::UpdateSearchButton() {
    bool anyEngine = false;
    for (int row = 0; row < engineList_->topLevelItemCount(); ++row) {
        anyEngine = anyEngine || engineList_->topLevelItem(row)->checkState(0) == Qt::Checked;
    }
    // A run in progress keeps "Search" disabled whatever the lists say, so runs never overlap.
    const bool enable =
        !running_ && anyEngine && keywordList_->count() > 0 && siteList_->count() > 0;
    searchButton_->setEnabled(enable);
    return enable;
}

CPosAnStatus* CSitePosDialog::Status() const {
    return status_;
}

void CSitePosDialog::FillLists() {
    const Project& project = App().project;
    std::vector<std::string> keywords;
    std::vector<std::string> sites;
    keywordList_->clear();
    for (int i = 0; i < project.KeywordCount(); ++i) {
        keywords.push_back(project.GetKeyword(i));
        keywordList_->addItem(ToQt(keywords.back()));
    }
    siteList_->clear();
    for (int i = 0; i < project.UrlCount(); ++i) {
        sites.push_back(project.GetUrl(i)->GetUrl());
        siteList_->addItem(ToQt(sites.back()));
    }
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    keywords_ = std::move(keywords);
    sites_ = std::move(sites);
    projectName_ = project.GetName();
}

void CSitePosDialog::TakeChecks() {
    std::array<bool, kEngineCount> checked{};
    std::vector<std::string> liveChecked;
    for (int row = 0; row < engineList_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = engineList_->topLevelItem(row);
        const bool on = item->checkState(0) == Qt::Checked;
        if (row < kEngineCount) {
            checked[row] = on;
        } else if (on) {
            liveChecked.push_back(FromQt(item->data(0, kLiveNameRole).toString()));
        }
    }
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    checked_ = checked;
    liveChecked_ = std::move(liveChecked);
}

void CSitePosDialog::LoadLiveEngines() {
    if (liveLoading_) {
        return;
    }
    std::string address;
    if (ParseMetasearchAddress(FromQt(metasearchEdit_->text()), address) != kMetasearchAddressOk) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("The metasearch instance address must begin with http:// "
                                       "or https:// and name a host, for example "
                                       "http://127.0.0.1:8888."),
                        PromptIcon::Warning);
        return;
    }
    metasearchEdit_->setText(ToQt(address));
    if (address != MetasearchInstance()) {
        if (!SaveMetasearchSetting(App().paths.metasearchFile, address)) {
            prompts_.Inform(this, ToQt(App().appTitle),
                            QStringLiteral("The metasearch setting could not be saved to %1.")
                                .arg(PathToQt(App().paths.metasearchFile)),
                            PromptIcon::Warning);
        }
        SetMetasearchInstance(address);
    }
    if (address.empty()) {
        ShowLiveEngines(kLiveOk, {}, {}, false);
        return;
    }
    FetchLiveEngines(address, true);
}

void CSitePosDialog::FetchLiveEngines(const std::string& instance, bool tell) {
    liveLoading_ = true;
    liveEnginesButton_->setEnabled(false);
    liveStatus_->setText(QStringLiteral("Asking %1 for its engines...").arg(ToQt(instance)));
    const bool started = liveWorker_.Start(liveControl_, [this, instance, tell] {
        std::vector<std::string> names;
        std::string problem;
        const int result = FetchLiveEngineList(instance, names, problem);
        PostToThreadOf(this, [this, result, names, problem, tell] {
            ShowLiveEngines(result, names, problem, tell);
        });
    });
    if (!started) {
        ShowLiveEngines(kLiveUnreachable, {}, "The engine list is still being fetched.", false);
    }
}

void CSitePosDialog::ShowLiveEngines(int result, const std::vector<std::string>& names,
                                     const std::string& problem, bool tell) {
    liveLoading_ = false;
    liveEnginesButton_->setEnabled(true);
    if (result != kLiveOk) {
        // The live engines listed before stay; the designed ones are untouched.
        liveStatus_->setText(ToQt(problem));
        if (tell) {
            prompts_.Inform(this, ToQt(App().appTitle), ToQt(problem), PromptIcon::Warning);
        }
        emit liveEnginesLoaded();
        return;
    }
    std::vector<std::string> keep;
    {
        std::lock_guard<std::mutex> lock(snapshotMutex_);
        keep = liveChecked_;
    }
    initialised_ = false;
    while (engineList_->topLevelItemCount() > kEngineCount) {
        delete engineList_->takeTopLevelItem(kEngineCount);
    }
    for (const std::string& name : names) {
        const QString shown = ToQt(name);
        auto* item = new QTreeWidgetItem({QStringLiteral("%1 (live)").arg(shown)});
        item->setData(0, kLiveNameRole, shown);
        item->setIcon(0, QIcon(LiveEngineIcon(shown)));
        item->setToolTip(
            0, PlainToolTip(
                   QStringLiteral("%1, asked through %2").arg(shown, ToQt(MetasearchInstance()))));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const bool wasChecked = std::find(keep.begin(), keep.end(), name) != keep.end();
        item->setCheckState(0, wasChecked ? Qt::Checked : Qt::Unchecked);
        engineList_->addTopLevelItem(item);
    }
    initialised_ = true;
    TakeChecks();
    UpdateSearchButton();
    if (MetasearchInstance().empty()) {
        liveStatus_->clear();
    } else if (names.empty()) {
        liveStatus_->setText(QStringLiteral("%1 offers no enabled engine of its general category.")
                                 .arg(ToQt(MetasearchInstance())));
    } else {
        liveStatus_->setText(QStringLiteral("%1 live engines from %2; check those to search.")
                                 .arg(names.size())
                                 .arg(ToQt(MetasearchInstance())));
    }
    emit liveEnginesLoaded();
}

void CSitePosDialog::TakeDepth() {
    const int depth = DepthFromSelection();
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    depth_ = depth;
}

void CSitePosDialog::EditProject() {
    ProjectDialog dialog(prompts_, this);
    dialog.exec();
    FillLists();
    UpdateSearchButton();
    emit projectEdited();
}

void CSitePosDialog::StartPositionRun() {
    if (running_) {
        return;
    }
    searchButton_->setEnabled(false);
    closeButton_->setEnabled(false);
    // The previous run has told its end; its thread returns right after that.
    if (run_ != nullptr) {
        run_->Wait();
        lastOutcome_ = run_->Outcome();
        run_.reset();
    }
    collecting_ = false;
    DestroyStatus();

    auto* status = new CPosAnStatus(prompts_, this);
    status_ = status;
    connect(status, &CPosAnStatus::windowClosed, this, &CSitePosDialog::OnStatusClosed);
    // Shown before the run's first queued call arrives, so nothing is drawn on a hidden window.
    status->show();
    running_ = true;
    run_ = std::make_unique<PositionAnalyzerRun>(*this, *status);
    run_->Start();
}

int CSitePosDialog::Depth() {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return depth_;
}

std::string CSitePosDialog::ProjectName() {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return projectName_;
}

bool CSitePosDialog::KeywordAt(int index, std::string& keyword) {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    if (index < 0 || index >= static_cast<int>(keywords_.size())) {
        return false;
    }
    keyword = keywords_[index];
    return true;
}

std::vector<std::string> CSitePosDialog::Sites() {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return sites_;
}

bool CSitePosDialog::EngineChecked(EngineId engine) {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return checked_[EngineIndex(engine)];
}

std::vector<std::string> CSitePosDialog::LiveEngines() {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    return liveChecked_;
}

void CSitePosDialog::RunEnded() {
    PostToThreadOf(this, [this] { OnRunEnded(); });
}

void CSitePosDialog::OnRunEnded() {
    // A run that was cancelled and joined has been cleaned up already.
    if (!running_) {
        return;
    }
    running_ = false;
    closeButton_->setEnabled(true);
    UpdateSearchButton();
    raise();
    activateWindow();
    // A status window that stays open (a warning or a stop line to read) stays in front.
    if (status_ != nullptr && status_->isVisible()) {
        status_->raise();
        status_->activateWindow();
    }
    collecting_ = true;
    CollectRun();
}

void CSitePosDialog::CollectRun() {
    if (!collecting_ || run_ == nullptr) {
        return;
    }
    // After telling its end the run only opens the report; a few milliseconds at most.
    if (!run_->WaitFor(std::chrono::milliseconds(0))) {
        QTimer::singleShot(5, this, &CSitePosDialog::CollectRun);
        return;
    }
    run_->Wait();
    lastOutcome_ = run_->Outcome();
    run_.reset();
    collecting_ = false;
    if (status_ != nullptr && !status_->isVisible()) {
        DestroyStatus();
    }
    emit runEnded(lastOutcome_);
}

void CSitePosDialog::CancelAndJoinRun() {
    if (run_ == nullptr) {
        return;
    }
    run_->Cancel();
    if (status_ != nullptr) {
        status_->AbandonQuestions();
    }
    run_->Wait();
    lastOutcome_ = run_->Outcome();
    run_.reset();
    running_ = false;
    collecting_ = false;
}

void CSitePosDialog::OnStatusClosed() {
    // While the run thread lives it may still call the window; CollectRun destroys it then.
    if (run_ == nullptr && status_ != nullptr) {
        status_->deleteLater();
        status_ = nullptr;
    }
}

void CSitePosDialog::DestroyStatus() {
    if (status_ != nullptr) {
        status_->disconnect(this);
        status_->hide();
        // Not deleted at once: this may run inside one of the window's own calls (a question
        // it is asking when the dialog closes).
        status_->deleteLater();
        status_ = nullptr;
    }
}

void CSitePosDialog::reject() {
    if (run_ != nullptr) {
        return;
    }
    QDialog::reject();
}

void CSitePosDialog::done(int result) {
    if (run_ != nullptr) {
        CancelAndJoinRun();
        DestroyStatus();
        closeButton_->setEnabled(true);
        UpdateSearchButton();
    }
    QDialog::done(result);
}

}  // namespace sg
