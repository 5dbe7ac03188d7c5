#include "ui/AnalyzeDialog.h"
#include "ui/WindowThread.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QVBoxLayout>
#include <cstdlib>

#include "analysis/crawl/CrawlManners.h"
#include "analysis/crawl/PageBoundSetting.h"
#include "app/AnalysisRun.h"
#include "model/AppState.h"
#include "model/IsProjectReady.h"
#include "net/PageRenderer.h"
#include "net/ProxySettings.h"
#include "ui/LinkAuthorityFields.h"
#include "ui/ProgressDialog.h"
#include "ui/ProjectDialog.h"
#include "ui/ReportLocation.h"
#include "ui/SortedListBox.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* Box(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A group of the dialog's template that is never shown: a heading, a slogan and the box.
QGroupBox* HiddenGroup(const QString& title, const QString& slogan, QCheckBox* box,
                       QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(new QLabel(slogan, group));
    layout->addWidget(box);
    group->hide();
    return group;
}

// Why "Analyze Now" is grey for this project; empty when the project is ready.
QString NotReadyReason(const Project& project) {
    int index = -1;
    switch (CheckProjectReady(project, &index)) {
        case kProjectNoUrls:
            return QStringLiteral(
                "Analyze Now needs the address of your site: click Edit Project to add it.");
        case kProjectEmptyUrl:
        case kProjectBareScheme:
            return QStringLiteral(
                "Analyze Now needs every address to name a site, and the "
                "project holds an empty one: click Edit Project to remove it.");
        case kProjectUrlWithoutDot:
            return QStringLiteral(
                       "Analyze Now needs every address to name a host: %1 has no "
                       "\".\" and is not this computer's own (localhost). Click Edit "
                       "Project to correct it.")
                .arg(ToQt(project.GetUrl(index)->GetUrl()));
        case kProjectNoShortName:
            return project.GetName().empty()
                       ? QStringLiteral(
                             "Analyze Now needs a project name, which names the "
                             "reports: click Edit Project and type one.")
                       : QStringLiteral(
                             "Analyze Now needs a project name that does not begin "
                             "with \".\", as it names the reports' folders: click "
                             "Edit Project to change it.");
        default:
            return QString();
    }
}

}  // namespace

AnalyzeDialog::AnalyzeDialog(UserPrompts& prompts, int mode, QWidget* parent)
    : QDialog(parent), prompts_(prompts), mode_(mode) {
    setObjectName(QStringLiteral("analyzeDialog"));
    setWindowTitle(QStringLiteral("Analyze"));

    // Everything but the window itself: disabled during a run, while the progress window, a
    // child of this dialog, keeps its Cancel button.
    content_ = new QWidget(this);
    urlList_ = new SortedListBox(content_);
    urlList_->setObjectName(QStringLiteral("urlList"));
    // The own site on top, as in the Project dialog.
    urlList_->KeepFirstLine(true);
    urlList_->setSelectionMode(QAbstractItemView::NoSelection);
    // A list without selection has no use for the focus, whose frame would mark a line.
    urlList_->setFocusPolicy(Qt::NoFocus);
    auto* urlsLabel = new QLabel(QStringLiteral("Urls List"), content_);
    auto* noteLabel =
        new QLabel(QStringLiteral("Note: To change this URL list,click Edit Project"), content_);

    readinessBox_ = Box(QStringLiteral("Check your site to see if it is Search Engine ready."),
                        "readinessBox", content_);
    linkValidatorBox_ = Box(QStringLiteral("Check to test all the links on your site."),
                            "linkValidatorBox", content_);
    linkPopularityBox_ = Box(QStringLiteral("Check to find out how many links are listed on "
                                            "search engines pointing to your site."),
                             "linkPopularityBox", content_);
    QGroupBox* readinessGroup =
        HiddenGroup(QStringLiteral("SEARCH ENGINE ANALYZER"),
                    QStringLiteral("Do you have what it takes?"), readinessBox_, content_);
    QGroupBox* validatorGroup = HiddenGroup(QStringLiteral("LINK VALIDATOR"),
                                            QStringLiteral("Avoid \"404\" Errors on your site."),
                                            linkValidatorBox_, content_);
    QGroupBox* popularityGroup =
        HiddenGroup(QStringLiteral("LINK POPULARITY"), QStringLiteral("How popular are you?"),
                    linkPopularityBox_, content_);
    auto* timeLabel = new QLabel(QStringLiteral("time on your site."), content_);
    timeLabel->hide();
    siteAuditBox_ = Box(QStringLiteral("Site Audit"), "siteAuditBox", content_);
    siteAuditBox_->hide();
    auto* auditLabel = new QLabel(
        QStringLiteral("Crawls each site whole, each page once, and checks whether today's "
                       "search engines can index each page and what they show for it: answers "
                       "and redirects; indexing (noindex, robots.txt for Googlebot and Bingbot); "
                       "canonical links; titles, descriptions, headings and content; sitemaps; "
                       "HTTPS; speed; images and links; languages and documents. Each finding "
                       "says how to fix it, and the sites are set side by side."),
        content_);
    auditLabel->setObjectName(QStringLiteral("auditLabel"));
    auditLabel->setWordWrap(true);
    auditLabel->hide();
    auditPagesSpin_ = new QSpinBox(content_);
    auditPagesSpin_->setObjectName(QStringLiteral("auditPagesSpin"));
    auditPagesSpin_->setRange(1, kMaxMaxPages);
    ApplyStoredPageBoundSetting(App().paths.maxPagesFile);
    auditPagesSpin_->setValue(MaxPagesPerSite());
    auto* auditPagesLabel = new QLabel(QStringLiteral("Pages of one site at most:"), content_);
    auditPagesLabel->setBuddy(auditPagesSpin_);
    auto* auditPagesRow = new QHBoxLayout;
    auditPagesRow->setContentsMargins(0, 0, 0, 0);
    auditPagesRow->addWidget(auditPagesLabel);
    auditPagesRow->addWidget(auditPagesSpin_);
    auditPagesRow->addStretch(1);
    auditPagesRow_ = new QWidget(content_);
    auditPagesRow_->setLayout(auditPagesRow);
    auditPagesRow_->hide();

    nestedBox_ = Box(QStringLiteral("Click here to do a \"Nested Check\" on your site. This "
                                    "takes a "),
                     "nestedBox", content_);
    veryLongLabel_ = new QLabel(QStringLiteral("VERY LONG TIME."), content_);
    veryLongLabel_->setObjectName(QStringLiteral("veryLongLabel"));
    QFont bold = veryLongLabel_->font();
    bold.setWeight(QFont::Weight(800));
    veryLongLabel_->setFont(bold);

    // How the crawls treat the sites: robots.txt is always kept on a competitor's site.
    ignoreRobotsBox_ = Box(QStringLiteral("Ignore robots.txt on my own site (the first address)"),
                           "ignoreRobotsBox", content_);
    rateSpin_ = new QSpinBox(content_);
    rateSpin_->setObjectName(QStringLiteral("rateSpin"));
    rateSpin_->setRange(0, kMaxRequestsPerSecond);
    rateSpin_->setSpecialValueText(QStringLiteral("no limit"));
    auto* rateLabel = new QLabel(QStringLiteral("Requests a second to one site:"), content_);
    rateLabel->setBuddy(rateSpin_);
    auto* mannersRow = new QHBoxLayout;
    mannersRow->addWidget(ignoreRobotsBox_);
    mannersRow->addStretch(1);
    mannersRow->addWidget(rateLabel);
    mannersRow->addWidget(rateSpin_);
    renderBox_ = Box(QStringLiteral("Render pages with a browser (slower)"), "renderBox", content_);
    renderBrowser_ = FindRenderBrowser();
    // Why the box is grey, on the box and on a line below it.
    noBrowserLabel_ = new QLabel(QString::fromUtf8(kNoRenderBrowserText.data(),
                                                   static_cast<int>(kNoRenderBrowserText.size())),
                                 content_);
    noBrowserLabel_->setObjectName(QStringLiteral("noBrowserLabel"));
    noBrowserLabel_->setTextFormat(Qt::PlainText);
    noBrowserLabel_->setWordWrap(true);
    noBrowserLabel_->setVisible(renderBrowser_.empty());
    if (renderBrowser_.empty()) {
        renderBox_->setToolTip(noBrowserLabel_->text());
    }
    auto* mannersColumn = new QVBoxLayout;
    mannersColumn->addLayout(mannersRow);
    mannersColumn->addWidget(renderBox_);
    mannersColumn->addWidget(noBrowserLabel_);
    mannersColumn->setContentsMargins(0, 0, 0, 0);
    mannersRow_ = new QWidget(content_);
    mannersRow_->setLayout(mannersColumn);
    mannersRow->setContentsMargins(0, 0, 0, 0);

    authorityFields_ = new LinkAuthorityFields(prompts_, content_);
    authorityFields_->hide();

    // Says why "Analyze Now" is grey, while the project is what keeps it so.
    notReadyLabel_ = new QLabel(content_);
    notReadyLabel_->setObjectName(QStringLiteral("notReadyLabel"));
    notReadyLabel_->setTextFormat(Qt::PlainText);
    notReadyLabel_->setWordWrap(true);
    notReadyLabel_->setFrameShape(QFrame::StyledPanel);
    notReadyLabel_->setMargin(6);
    notReadyLabel_->hide();
    analyzeNowButton_ = Button(QStringLiteral("Analyze Now"), "analyzeNowButton", content_);
    editProjectButton_ = Button(QStringLiteral("Edit Project"), "editProjectButton", content_);
    closeButton_ = Button(QStringLiteral("Close"), "closeButton", content_);

    auto* nestedRow = new QHBoxLayout;
    nestedRow->setSpacing(0);
    nestedRow->addWidget(nestedBox_);
    nestedRow->addWidget(veryLongLabel_);
    nestedRow->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(analyzeNowButton_);
    buttons->addWidget(editProjectButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(urlsLabel);
    listColumn->addWidget(urlList_, 1);
    listColumn->addWidget(noteLabel);
    auto* top = new QHBoxLayout;
    top->addLayout(listColumn, 1);
    top->addLayout(buttons);
    auto* contentLayout = new QVBoxLayout(content_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addLayout(top, 1);
    contentLayout->addWidget(notReadyLabel_);
    contentLayout->addWidget(auditLabel);
    contentLayout->addWidget(auditPagesRow_);
    contentLayout->addLayout(nestedRow);
    contentLayout->addWidget(mannersRow_);
    contentLayout->addWidget(authorityFields_);
    for (QWidget* hidden :
         {static_cast<QWidget*>(readinessGroup), static_cast<QWidget*>(validatorGroup),
          static_cast<QWidget*>(popularityGroup), static_cast<QWidget*>(timeLabel)}) {
        contentLayout->addWidget(hidden);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(content_);
    resize(520, 300);

    // The file dialogs of the Project dialog move the current directory; runs expect workDir.
    QDir::setCurrent(PathToQt(App().paths.workDir));
    FillUrls();
    switch (mode_) {
        case kAnalyzeReadiness:
            readinessBox_->setChecked(true);
            analyzeNowButton_->setDefault(true);
            setWindowTitle(QStringLiteral("Search Engine Readiness"));
            break;
        case kAnalyzeLinkPopularity:
            linkPopularityBox_->setChecked(true);
            setWindowTitle(QStringLiteral("Link Popularity"));
            // Link Popularity asks the engines about the start page only.
            nestedBox_->hide();
            veryLongLabel_->hide();
            mannersRow_->hide();
            authorityFields_->show();
            break;
        case kAnalyzeLinkValidator:
            linkValidatorBox_->setChecked(true);
            analyzeNowButton_->setDefault(true);
            setWindowTitle(QStringLiteral("Link Validator"));
            break;
        case kAnalyzeSiteAudit:
            siteAuditBox_->setChecked(true);
            analyzeNowButton_->setDefault(true);
            setWindowTitle(QStringLiteral("Site Audit"));
            // The audit always crawls the whole site.
            nestedBox_->hide();
            veryLongLabel_->hide();
            auditLabel->show();
            auditPagesRow_->show();
            break;
        default:
            break;
    }
    UpdateAnalyzeNow();

    for (QCheckBox* box : {readinessBox_, linkValidatorBox_, linkPopularityBox_, nestedBox_}) {
        connect(box, &QCheckBox::clicked, this, &AnalyzeDialog::UpdateAnalyzeNow);
    }
    connect(analyzeNowButton_, &QPushButton::clicked, this, &AnalyzeDialog::AnalyzeNow);
    connect(editProjectButton_, &QPushButton::clicked, this, &AnalyzeDialog::EditProject);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
}

AnalyzeDialog::~AnalyzeDialog() {
    // The worker may still call back into this object; end it before the members go.
    run_.reset();
    if (waitCursor_) {
        QApplication::restoreOverrideCursor();
    }
}

ProgressDialog* AnalyzeDialog::Progress() const {
    return progress_;
}

void AnalyzeDialog::FillUrls() {
    urlList_->clear();
    const Project& project = App().project;
    for (int i = 0; i < project.UrlCount(); ++i) {
        urlList_->InsertSorted(project.GetUrl(i)->GetUrl());
    }
}

void AnalyzeDialog::UpdateAnalyzeNow() {
    const QString reason = NotReadyReason(App().project);
    analyzeNowButton_->setEnabled(Selection().AnyAnalysis() && reason.isEmpty());
    // The readiness renders only the pages of a nested check.
    renderBox_->setEnabled(!renderBrowser_.empty() &&
                           (mode_ != kAnalyzeReadiness || nestedBox_->isChecked()));
    notReadyLabel_->setText(reason);
    notReadyLabel_->setVisible(!reason.isEmpty());
}

AnalysisSelection AnalyzeDialog::Selection() const {
    // A partly checked box counts as checked.
    auto on = [](const QCheckBox* box) { return box->checkState() != Qt::Unchecked; };
    AnalysisSelection selection;
    selection.readiness = on(readinessBox_);
    selection.linkValidator = on(linkValidatorBox_);
    selection.linkPopularity = on(linkPopularityBox_);
    selection.nested = on(nestedBox_);
    selection.siteAudit = on(siteAuditBox_);
    selection.ignoreOwnRobots = on(ignoreRobotsBox_);
    selection.requestsPerSecond = rateSpin_->value();
    if (!renderBrowser_.empty() && renderBox_->isChecked() &&
        (mode_ != kAnalyzeReadiness || selection.nested)) {
        selection.renderBrowser = renderBrowser_;
    }
    return selection;
}

void AnalyzeDialog::EditProject() {
    ProjectDialog dialog(prompts_, this);
    dialog.ShowNote(NotReadyReason(App().project));
    dialog.exec();
    FillUrls();
    UpdateAnalyzeNow();
    emit projectEdited();
}

void AnalyzeDialog::AnalyzeNow() {
    if (running_) {
        return;
    }
    // The previous run has ended; collect its worker before its window's successor exists.
    run_.reset();
    if (Selection().siteAudit) {
        // Kept for later runs as Proxy Settings keeps it; a failed save leaves it for this
        // session, as there.
        SetMaxPagesPerSite(auditPagesSpin_->value());
        SavePageBoundSetting(App().paths.maxPagesFile, MaxPagesPerSite());
    }
    if (Selection().linkPopularity) {
        authorityFields_->Apply();
    }
    auto* progress = new ProgressDialog(this);
    progress->FollowSiteShares(true);
    progress_ = progress;
    run_ = std::make_unique<AnalysisRun>(App().project, *this, *progress);
    run_->SetRemovesCancelledRun(true);
    // RunFinished opens it, once it knows whether the run reached any site.
    run_->SetOpensSummaryPage(false);
    const int result = run_->AnalyzeNow(Selection());
    if (result != kRunStarted) {
        run_.reset();
        delete progress;
        return;
    }
    connect(progress, &ProgressDialog::cancelRequested, this, &AnalyzeDialog::CancelRun);
    running_ = true;
    // Shown before the worker's first queued report arrives, so none is drawn on a hidden
    // window.
    progress->show();
}

void AnalyzeDialog::CancelRun() {
    if (run_ != nullptr) {
        run_->RequestCancel();
    }
}

void AnalyzeDialog::ShowMessage(const std::string& text, const std::string& caption,
                                MessageIcon icon) {
    CallOnThreadOf(this, [&] {
        prompts_.Inform(this, ToQt(caption), ToQt(text),
                        icon == MessageIcon::Error ? PromptIcon::Critical : PromptIcon::None);
    });
}

void AnalyzeDialog::OpenProjectDialog() {
    CallOnThreadOf(this, [this] { EditProject(); });
}

bool AnalyzeDialog::ConfirmCancel(const std::string& question) {
    return CallOnThreadOf(this, [&] {
        QWidget* parent = progress_ != nullptr ? static_cast<QWidget*>(progress_) : this;
        return prompts_.Ask(parent, ToQt(App().appTitle), ToQt(question), PromptButtons::YesNo,
                            PromptIcon::Question) == PromptAnswer::Yes;
    });
}

void AnalyzeDialog::RunStarted() {
    PostToThreadOf(this, [this] {
        if (!waitCursor_) {
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            waitCursor_ = true;
        }
        content_->setEnabled(false);
    });
}

void AnalyzeDialog::RunFinished(bool cancelled) {
    PostToThreadOf(this, [this, cancelled] {
        QStringList problems;
        bool proxyMissed = false;
        if (progress_ != nullptr) {
            if (!cancelled) {
                progress_->Complete();
            }
            problems = progress_->LogLines();
            proxyMissed = progress_->EveryRequestMissedTheProxy();
            progress_->hide();
            progress_->deleteLater();
            progress_ = nullptr;
        }
        content_->setEnabled(true);
        if (waitCursor_) {
            QApplication::restoreOverrideCursor();
            waitCursor_ = false;
        }
        running_ = false;
        if (!cancelled && proxyMissed) {
            // The report could only say that each site could not be reached.
            ShowProxyMissed();
        } else if (!cancelled) {
            OpenReport(prompts_, this, App().project.GetPageToOpen(),
                       ShownDocument::FinishedRunReport);
            // The progress window that showed them is gone; the report only says "could not
            // connect".
            if (!problems.isEmpty()) {
                ShowRunProblems(problems);
            }
        }
        if (cancelled) {
            // The progress window is gone, and so is what the run wrote; without a word the
            // user could not tell a cancelled run from one that is still starting.
            prompts_.Inform(this, ToQt(App().appTitle),
                            QStringLiteral("The analysis was cancelled. The report it had begun "
                                           "has been removed."),
                            PromptIcon::Information);
        }
        emit runEnded(cancelled);
    });
}

void AnalyzeDialog::ShowRunProblems(const QStringList& logged) {
    // A nested run fetches a start page in its crawl and again for its analysis, so an
    // address would come twice.
    QStringList lines = logged;
    lines.removeDuplicates();
    constexpr qsizetype kShown = 10;
    QString text = QStringLiteral("Some addresses could not be reached:\n\n") +
                   lines.mid(0, kShown).join(QLatin1Char('\n'));
    if (lines.size() > kShown) {
        text += QStringLiteral("\n... and %1 more.").arg(lines.size() - kShown);
    }
    prompts_.Inform(this, ToQt(App().appTitle), text, PromptIcon::Warning);
}

void AnalyzeDialog::ShowProxyMissed() {
    const ProxySettings& proxy = CurrentProxySettings();
    const QString where =
        ToQt(proxy.address) + QLatin1Char(':') + QString::number(std::atoi(proxy.port.c_str()));
    prompts_.Inform(
        this, ToQt(App().appTitle),
        QStringLiteral("The proxy %1 could not be reached, so no site was asked: every request "
                       "of this analysis failed there.\n\nPlease check the address and port "
                       "under Proxy Settings, or empty the Proxy IP to connect directly. The "
                       "report, which could only say that the sites could not be reached, was "
                       "not opened.")
            .arg(where),
        PromptIcon::Warning);
}

void AnalyzeDialog::done(int result) {
    if (running_) {
        return;
    }
    QDialog::done(result);
}

}  // namespace sg
