#pragma once
// "Previous Reports Results": the reports earlier runs left in the report folders, one tab per
// analysis; a report can be opened in the browser or deleted. "Position history" opens the page
// of positions over time, when a finished Position Analyzer run has left one.

#include <QDialog>
#include <array>

#include "reports/PreviousReportTab.h"

class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace sg {

class UserPrompts;

class CPreviousDialog : public QDialog {
    Q_OBJECT

  public:
    // Lists the folders once, now; they are not read again while the dialog is open.
    explicit CPreviousDialog(UserPrompts& prompts, QWidget* parent = nullptr);

  protected:
    // A list that changes size fits its columns to it again.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PreviousReportTab ShownTab() const;
    QTreeWidget* ShownList() const;
    void UpdateButtons();
    void View();
    void Delete();
    void OpenHistory();
    // A Site Audit run's findings, saved as JSON or CSV where the user says.
    void Export();

    UserPrompts& prompts_;
    QTabWidget* tabs_;
    std::array<QTreeWidget*, kPreviousReportTabCount> lists_{};
    QPushButton* viewButton_;
    QPushButton* deleteButton_;
    QPushButton* historyButton_;
    QPushButton* exportButton_;
    QPushButton* closeButton_;
};

}  // namespace sg
