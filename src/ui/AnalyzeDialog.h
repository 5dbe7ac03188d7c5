#pragma once
// "Analyze": the project's URLs and "Analyze Now" for one of the site analyses (the designed
// three and the Site Audit), chosen by the mode the main window opens it in. The run goes on a
// worker thread while the modeless progress window shows how far it is; the dialog is the run's
// front end.

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>

#include "app/AnalysisFrontEnd.h"
#include "app/AnalysisSelection.h"

class QCheckBox;
class QSpinBox;
class QLabel;
class QPushButton;

namespace sg {

class AnalysisRun;
class LinkAuthorityFields;
class ProgressDialog;
class SortedListBox;
class UserPrompts;

inline constexpr int kAnalyzeReadiness = 1;
inline constexpr int kAnalyzeLinkPopularity = 2;
inline constexpr int kAnalyzeLinkValidator = 3;
// The Site Audit, which always crawls each site whole.
inline constexpr int kAnalyzeSiteAudit = 4;

class AnalyzeDialog : public QDialog, public AnalysisFrontEnd {
    Q_OBJECT

  public:
    AnalyzeDialog(UserPrompts& prompts, int mode, QWidget* parent = nullptr);
    // A run still going is cancelled without asking and waited for.
    ~AnalyzeDialog() override;

    int Mode() const { return mode_; }
    bool Running() const { return running_; }
    // The progress window of the run in progress, or nullptr.
    ProgressDialog* Progress() const;

    // AnalysisFrontEnd; the worker's calls are carried to the window thread.
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    void OpenProjectDialog() override;
    bool ConfirmCancel(const std::string& question) override;
    void RunStarted() override;
    void RunFinished(bool cancelled) override;

    // Closing is refused while a run lasts, as the disabled window would.
    void done(int result) override;

  signals:
    // The run has ended and its window is gone (window thread).
    void runEnded(bool cancelled);
    // The Project dialog opened from here has closed: the project may have changed.
    void projectEdited();

  private:
    void FillUrls();
    void UpdateAnalyzeNow();
    void EditProject();
    void AnalyzeNow();
    void CancelRun();
    // The lines the run logged (TLS failures, a proxy not reached), each once, in one message
    // once its window is gone.
    void ShowRunProblems(const QStringList& logged);
    // Every request of the run failed at the proxy: said so, in place of the report.
    void ShowProxyMissed();
    AnalysisSelection Selection() const;

    UserPrompts& prompts_;
    int mode_;
    bool running_ = false;
    bool waitCursor_ = false;

    QWidget* content_;
    SortedListBox* urlList_;
    QCheckBox* readinessBox_;
    QCheckBox* linkValidatorBox_;
    QCheckBox* linkPopularityBox_;
    QCheckBox* siteAuditBox_;
    QCheckBox* nestedBox_;
    QCheckBox* ignoreRobotsBox_;
    QSpinBox* rateSpin_;
    // Pages loaded in a browser: enabled only when one was found (renderBrowser_), and for the
    // readiness only with the nested check.
    QCheckBox* renderBox_;
    QLabel* noBrowserLabel_;
    std::string renderBrowser_;
    // The audit's page bound, the same setting as Proxy Settings' (shown in audit mode only).
    QWidget* auditPagesRow_;
    QSpinBox* auditPagesSpin_;
    QWidget* mannersRow_;
    // Link Popularity only.
    LinkAuthorityFields* authorityFields_;
    QLabel* veryLongLabel_;
    QLabel* notReadyLabel_;
    QPushButton* analyzeNowButton_;
    QPushButton* editProjectButton_;
    QPushButton* closeButton_;

    QPointer<ProgressDialog> progress_;
    std::unique_ptr<AnalysisRun> run_;
};

}  // namespace sg
