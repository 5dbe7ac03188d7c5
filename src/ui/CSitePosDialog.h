#pragma once
// "Analyze position": the project's keywords and sites, the engines to ask and the depth, and
// "Search", which starts a Position Analyzer run on a thread of its own with a status window.
//
// The run never touches a widget or the live project. It reads a snapshot that the dialog
// keeps under a mutex and renews on the window thread whenever the lists, a check box or the
// depth change; so "Edit Project" may change the project while the run goes on, and the run
// sees the change at its next read.
//
// With a metasearch instance set (the field under the engine list), the instance's live engines
// follow the eleven designed ones in the list, marked "(live)" and unchecked at first. Their
// list is fetched on a thread of its own, when the dialog opens and when "Load engines" is
// pressed; a failure leaves the designed engines as they were and says why under the field.

#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engines/EngineId.h"
#include "engines/PositionRunInput.h"
#include "platform/RunControl.h"
#include "platform/WorkerThread.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace sg {

class CPosAnStatus;
class PositionAnalyzerRun;
class UserPrompts;

class CSitePosDialog : public QDialog, public PositionRunInput {
    Q_OBJECT

  public:
    explicit CSitePosDialog(UserPrompts& prompts, QWidget* parent = nullptr);
    // A run still going is cancelled and waited for; it writes no report and opens nothing.
    ~CSitePosDialog() override;

    // The depth of the chosen "Search to Position :" entry; 0 (no limit) for "All" and for no
    // choice.
    int DepthFromSelection() const;
    // Enables "Search" exactly when an engine is checked, both lists have entries and no run
    // is going; returns the new state.
    bool UpdateSearchButton();
    // "Search".
    void StartPositionRun();

    // Window thread.
    bool Running() const { return running_; }
    // The status window of the current or last run while it exists, else nullptr.
    CPosAnStatus* Status() const;
    // How the last run whose thread has been collected ended (kPositionNotEnded before).
    int LastOutcome() const { return lastOutcome_; }
    // "Load engines": the address in the field is checked, kept (when it changed) and put in
    // force, and the instance's engine list is fetched. A bad address is refused with a
    // message and changes nothing.
    void LoadLiveEngines();
    // The live engine list is being fetched.
    bool LoadingLiveEngines() const { return liveLoading_; }

    // --- PositionRunInput: the run thread reads the snapshot
    // -----------------------------------------
    int Depth() override;
    std::string ProjectName() override;
    bool KeywordAt(int index, std::string& keyword) override;
    std::vector<std::string> Sites() override;
    bool EngineChecked(EngineId engine) override;
    std::vector<std::string> LiveEngines() override;
    // Carried to the window thread: "Search" and "Close" enabled, the dialog raised.
    void RunEnded() override;

    // Closing during a run (the close box, the program ending) cancels the run and waits for
    // its thread first.
    void done(int result) override;
    // Escape and the close box do nothing during a run, as "Close" is disabled then: a run
    // ends through the status window, with its question.
    void reject() override;

  signals:
    // A run has ended and its thread is gone (window thread); `outcome` as Outcome() says.
    void runEnded(int outcome);
    // The live engine list has been fetched, or fetching it failed (window thread).
    void liveEnginesLoaded();
    // The Project dialog opened from here has closed: the project may have changed.
    void projectEdited();

  private:
    void FillLists();
    void EditProject();
    void TakeChecks();
    void TakeDepth();
    void OnRunEnded();
    // Collects the thread of a run that has ended, once it has returned.
    void CollectRun();
    void CancelAndJoinRun();
    void OnStatusClosed();
    void DestroyStatus();
    // Fetches the list of `instance` on the worker; `tell` shows a failure as a message too.
    void FetchLiveEngines(const std::string& instance, bool tell);
    void ShowLiveEngines(int result, const std::vector<std::string>& names,
                         const std::string& problem, bool tell);

    UserPrompts& prompts_;
    bool initialised_ = false;
    bool running_ = false;
    // The run has told its end; its thread is collected as soon as it has returned.
    bool collecting_ = false;
    int lastOutcome_;

    QListWidget* keywordList_;
    QListWidget* siteList_;
    QTreeWidget* engineList_;
    QComboBox* depthCombo_;
    QPushButton* searchButton_;
    QPushButton* editProjectButton_;
    QPushButton* closeButton_;
    QLineEdit* metasearchEdit_;
    QPushButton* liveEnginesButton_;
    QLabel* liveStatus_;

    // What the run reads, renewed on the window thread.
    mutable std::mutex snapshotMutex_;
    int depth_ = 100;
    std::string projectName_;
    std::vector<std::string> keywords_;
    std::vector<std::string> sites_;
    std::array<bool, kEngineCount> checked_{};
    std::vector<std::string> liveChecked_;

    // The live engine list's fetch; cancelled and joined before the dialog goes.
    bool liveLoading_ = false;
    RunControl liveControl_;
    WorkerThread liveWorker_;

    QPointer<CPosAnStatus> status_;
    std::unique_ptr<PositionAnalyzerRun> run_;
};

}  // namespace sg
