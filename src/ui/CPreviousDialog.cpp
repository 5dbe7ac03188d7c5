#include "ui/CPreviousDialog.h"

#include <QByteArray>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

#include "analysis/audit/report/AuditSummaryFacts.h"
#include "model/AppState.h"
#include "model/AuditResults.h"
#include "model/PositionHistoryFiles.h"
#include "platform/FileSystem.h"
#include "reports/PreviousReports.h"
#include "ui/ReportLocation.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

constexpr int kNameBytesRole = Qt::UserRole;
// The designed widths, which the columns keep at least.
constexpr int kNameMinWidth = 250;
constexpr int kDateMinWidth = 120;
// Room around a column's text: the cell's margins and the header's sort mark.
constexpr int kColumnPadding = 24;
// The readiness list's third column tells a nested run from a plain one.
constexpr int kKindColumn = 2;
// The Site Audit list's third and fourth columns: the sites audited and what was found.
constexpr int kSitesColumn = 2;
constexpr int kFindingsColumn = 3;

constexpr std::array<const char*, kPreviousReportTabCount> kTabTitles = {
    "Position Analyzer", "Engine Readiness", "Link Popularity", "Link Validator", "Site Audit"};
constexpr std::array<const char*, kPreviousReportTabCount> kListNames = {
    "positionAnalyzerList", "engineReadinessList", "linkPopularityList", "linkValidatorList",
    "siteAuditList"};

QTreeWidget* ReportList(const char* name, PreviousReportTab tab) {
    auto* list = new QTreeWidget;
    list->setObjectName(QString::fromLatin1(name));
    QStringList headers = {QStringLiteral("Reports"), QStringLiteral("Date/Time")};
    if (tab == PreviousReportTab::EngineReadiness) {
        headers.push_back(QStringLiteral("Kind"));
    } else if (tab == PreviousReportTab::SiteAudit) {
        headers.push_back(QStringLiteral("Sites"));
        headers.push_back(QStringLiteral("Findings"));
    }
    list->setColumnCount(static_cast<int>(headers.size()));
    list->setHeaderLabels(headers);
    list->setColumnWidth(0, kNameMinWidth);
    list->setColumnWidth(1, kDateMinWidth);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // "Date/Time" keeps its width; the list may be wider than both columns.
    list->header()->setStretchLastSection(false);
    // The lines come sorted from the listing; clicking a header must not reorder them.
    list->setSortingEnabled(false);
    // Report names begin with the project name and end with the time stamp; both ends tell
    // runs apart, so a long name loses its middle (the tool tip has all of it).
    list->setTextElideMode(Qt::ElideMiddle);
    return list;
}

// The columns after the name as wide as their texts (the date at least its designed width);
// the name takes the rest of the list's width, at least its designed width.
void FitColumns(QTreeWidget* list) {
    const QFontMetrics metrics(list->font());
    const QFontMetrics headerMetrics(list->header()->font());
    int others = 0;
    for (int column = 1; column < list->columnCount(); ++column) {
        int width = headerMetrics.horizontalAdvance(list->headerItem()->text(column));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            width =
                std::max(width, metrics.horizontalAdvance(list->topLevelItem(row)->text(column)));
        }
        width += kColumnPadding;
        if (column == 1) {
            width = std::max(width, kDateMinWidth);
        }
        list->setColumnWidth(column, width);
        others += width;
    }
    list->setColumnWidth(0, std::max(kNameMinWidth, list->viewport()->width() - others));
}

QString Counted(std::size_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

// The audit run's sites and findings, read from its summary page.
void FillAuditColumns(QTreeWidgetItem* line, const std::string& summaryPage) {
    // A plain file of a summary page's size: a pipe or a huge file is not waited for.
    constexpr std::uintmax_t kMostRead = 32u * 1024u * 1024u;
    std::error_code error;
    if (!std::filesystem::is_regular_file(summaryPage, error) ||
        std::filesystem::file_size(summaryPage, error) > kMostRead || error) {
        return;
    }
    std::string page;
    AuditSummaryFacts facts;
    if (!ReadWholeFile(summaryPage, page) || !ReadAuditSummaryFacts(page, facts)) {
        return;
    }
    QStringList sites;
    for (const std::string& site : facts.sites) {
        sites.push_back(QString::fromStdString(site));
    }
    line->setText(kSitesColumn, sites.join(QStringLiteral(", ")));
    line->setToolTip(kSitesColumn, PlainToolTip(sites.join(QLatin1Char('\n'))));
    const auto found = [&facts](AuditSeverity severity) {
        return facts.findings[static_cast<std::size_t>(severity)];
    };
    const std::size_t errors = found(AuditSeverity::Error);
    const std::size_t warnings = found(AuditSeverity::Warning);
    const std::size_t notices = found(AuditSeverity::Notice);
    line->setText(kFindingsColumn, errors + warnings + notices == 0
                                       ? QStringLiteral("none")
                                       : QStringList({Counted(errors, "error", "errors"),
                                                      Counted(warnings, "warning", "warnings"),
                                                      Counted(notices, "notice", "notices")})
                                             .join(QStringLiteral(", ")));
}

std::string LineName(const QTreeWidgetItem* line) {
    const QByteArray bytes = line->data(0, kNameBytesRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

CPreviousDialog::CPreviousDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(QStringLiteral("Previous Reports Results"));

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("reportTabs"));
    const AppPaths& paths = App().paths;
    for (int tab = 0; tab < kPreviousReportTabCount; ++tab) {
        const auto kind = static_cast<PreviousReportTab>(tab);
        QTreeWidget* list = ReportList(kListNames[tab], kind);
        lists_[tab] = list;
        for (const PreviousReport& report : ListPreviousReports(paths, kind)) {
            auto* line = new QTreeWidgetItem(list);
            // The project's name, and a run in which no site answered (it holds no audit) says
            // so; the file's whole name, stamp and all, is the tool tip.
            line->setText(
                0, ToQt(report.title) +
                       (report.failed ? QStringLiteral(" (failed: no site answered)") : QString()));
            line->setToolTip(0, PlainToolTip(ToQt(report.name)));
            line->setText(1,
                          QString::fromLocal8Bit(report.dateText.data(),
                                                 static_cast<qsizetype>(report.dateText.size())));
            line->setData(
                0, kNameBytesRole,
                QByteArray(report.name.data(), static_cast<qsizetype>(report.name.size())));
            if (kind == PreviousReportTab::EngineReadiness) {
                line->setText(kKindColumn, report.nested ? QStringLiteral("Nested Check")
                                                         : QStringLiteral("One page per site"));
            } else if (kind == PreviousReportTab::SiteAudit) {
                FillAuditColumns(line, PreviousReportFile(paths, kind, report.name));
            }
        }
        // Refitted whenever the list changes size.
        list->viewport()->installEventFilter(this);
        if (list->topLevelItemCount() > 0) {
            list->setCurrentItem(list->topLevelItem(0));
            list->topLevelItem(0)->setSelected(true);
        }
        tabs_->addTab(list, QString::fromLatin1(kTabTitles[tab]));
        connect(list, &QTreeWidget::itemSelectionChanged, this, &CPreviousDialog::UpdateButtons);
        connect(list, &QTreeWidget::itemDoubleClicked, this, &CPreviousDialog::View);
    }

    viewButton_ = new QPushButton(QStringLiteral("View"), this);
    viewButton_->setObjectName(QStringLiteral("viewButton"));
    deleteButton_ = new QPushButton(QStringLiteral("Delete"), this);
    deleteButton_->setObjectName(QStringLiteral("deleteButton"));
    historyButton_ = new QPushButton(QStringLiteral("Position history"), this);
    historyButton_->setObjectName(QStringLiteral("historyButton"));
    // Read once, like the lists.
    historyButton_->setEnabled(FileExists(PositionHistoryPagePath(App().paths)));
    exportButton_ = new QPushButton(QStringLiteral("Export..."), this);
    exportButton_->setObjectName(QStringLiteral("exportButton"));
    closeButton_ = new QPushButton(QStringLiteral("Close"), this);
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(viewButton_);
    buttons->addWidget(deleteButton_);
    buttons->addWidget(historyButton_);
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);
    // Wide enough for the five tabs side by side and the columns of the readiness list.
    resize(720, 400);

    connect(tabs_, &QTabWidget::currentChanged, this, &CPreviousDialog::UpdateButtons);
    connect(viewButton_, &QPushButton::clicked, this, &CPreviousDialog::View);
    connect(deleteButton_, &QPushButton::clicked, this, &CPreviousDialog::Delete);
    connect(historyButton_, &QPushButton::clicked, this, &CPreviousDialog::OpenHistory);
    connect(exportButton_, &QPushButton::clicked, this, &CPreviousDialog::Export);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    UpdateButtons();
}

bool CPreviousDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        for (QTreeWidget* list : lists_) {
            if (watched == list->viewport()) {
                FitColumns(list);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

PreviousReportTab CPreviousDialog::ShownTab() const {
    return static_cast<PreviousReportTab>(tabs_->currentIndex());
}

QTreeWidget* CPreviousDialog::ShownList() const {
    return lists_[static_cast<std::size_t>(tabs_->currentIndex())];
}

void CPreviousDialog::UpdateButtons() {
    const bool selected = !ShownList()->selectedItems().isEmpty();
    viewButton_->setEnabled(selected);
    deleteButton_->setEnabled(selected);
    // The positions over time belong to the Position Analyzer's reports.
    historyButton_->setVisible(ShownTab() == PreviousReportTab::PositionAnalyzer);
    // Only the audit's runs keep their data; the button shows on their tab alone.
    const bool audit = ShownTab() == PreviousReportTab::SiteAudit;
    exportButton_->setVisible(audit);
    exportButton_->setEnabled(selected && audit);
}

void CPreviousDialog::Export() {
    const QList<QTreeWidgetItem*> selected = ShownList()->selectedItems();
    if (selected.isEmpty() || ShownTab() != PreviousReportTab::SiteAudit) {
        return;
    }
    const std::string line = LineName(selected.first());
    FileChoice choice;
    choice.caption = QStringLiteral("Export the Site Audit");
    choice.filter = QStringLiteral("Audit data (*.json *.csv)");
    choice.proposedName = ToQt(line.substr(0, line.size() - 5)) + QStringLiteral(".json");
    choice.defaultSuffix = QStringLiteral("json");
    const QString target = prompts_.ChooseFileToSave(this, choice);
    if (target.isEmpty()) {
        return;
    }
    // The name's suffix picks the form; anything but .csv gets the JSON document.
    const bool csv = target.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const std::string source =
        PreviousReportRunFile(App().paths, ShownTab(), line, csv ? kAuditDataCsv : kAuditDataJson);
    std::string data;
    if (source.empty() || !ReadWholeFile(source, data)) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("This run holds no data to export: it was made by an "
                                       "older version. Run the audit again to export it."),
                        PromptIcon::Warning);
        return;
    }
    if (!WriteWholeFile(PathFromQt(target), data)) {
        prompts_.Inform(this, ToQt(App().appTitle),
                        QStringLiteral("The file could not be written:\n%1").arg(target),
                        PromptIcon::Warning);
    }
}

void CPreviousDialog::View() {
    const QList<QTreeWidgetItem*> selected = ShownList()->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const std::string file =
        PreviousReportFile(App().paths, ShownTab(), LineName(selected.first()));
    if (!file.empty()) {
        OpenReport(prompts_, this, file);
    }
}

void CPreviousDialog::OpenHistory() {
    const std::string page = PositionHistoryPagePath(App().paths);
    if (FileExists(page)) {
        OpenReport(prompts_, this, page);
    }
}

void CPreviousDialog::Delete() {
    QTreeWidget* list = ShownList();
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    // There is no undo, so the question comes first and Enter answers No. A failure leaves
    // the line.
    const QString question =
        QStringLiteral("Delete the report \"%1\" of %2?\n\nThis cannot be undone.")
            .arg(selected.first()->text(0), selected.first()->text(1));
    if (prompts_.Ask(this, ToQt(App().appTitle), question, PromptButtons::YesNoDefaultNo,
                     PromptIcon::Question) != PromptAnswer::Yes) {
        return;
    }
    if (DeletePreviousReport(App().paths, ShownTab(), LineName(selected.first()))) {
        delete selected.first();
        list->clearSelection();
    }
    UpdateButtons();
}

}  // namespace sg
