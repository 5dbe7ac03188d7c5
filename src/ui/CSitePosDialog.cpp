#include "ui/CSitePosDialog.h"
#include "ui/WindowThread.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>

#include "engines/EngineCatalogue.h"
#include "engines/PositionAnalyzerRun.h"
#include "model/AppState.h"
#include "ui/CPosAnStatus.h"
#include "ui/EngineArt.h"
#include "ui/ProjectDialog.h"
#include "ui/UiText.h"

namespace sg {
namespace {

// The "Search to Position :" entries in list order; the depth of entry i is kDepths[i].
constexpr const char* kDepthTexts[] = {"100", "200", "300", "400",  "500",  "600",
                                       "700", "800", "900", "1000", "5000", "All"};
constexpr int kDepths[] = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 5000, 0};
constexpr int kDepthCount = static_cast<int>(std::size(kDepths));

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

    depthCombo_ = new QComboBox(this);
    depthCombo_->setObjectName(QStringLiteral("depthCombo"));

    searchButton_ = Button(QStringLiteral("Search"), "searchButton", this);
    editProjectButton_ = Button(QStringLiteral("Edit Project"), "editProjectButton", this);
    closeButton_ = Button(QStringLiteral("Close"), "closeButton", this);

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
    auto* left = new QVBoxLayout;
    left->addLayout(lists, 1);
    left->addLayout(depthRow);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(searchButton_);
    buttons->addWidget(editProjectButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(560, 380);

    for (const char* text : kDepthTexts) {
        depthCombo_->addItem(QString::fromLatin1(text));
    }
    depthCombo_->setCurrentIndex(0);
    for (EngineId id : kAllEngines) {
        auto* item = new QTreeWidgetItem({ToQt(EngineNames(id).listLabel)});
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
    initialised_ = true;
}

CSitePosDialog::~CSitePosDialog() {
    // The run calls this dialog and its status window until its thread has returned.
    CancelAndJoinRun();
    DestroyStatus();
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
    for (int row = 0; row < kEngineCount && row < engineList_->topLevelItemCount(); ++row) {
        checked[row] = engineList_->topLevelItem(row)->checkState(0) == Qt::Checked;
    }
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    checked_ = checked;
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
