#pragma once
// "Information": the modeless status window of a Position Analyzer run. The run calls it from
// its own thread; every display operation is carried to the window thread by a queued call,
// so the widgets are only touched there, and the questions wait for their answer on the run
// thread while the window thread asks through the prompts.
//
// Lifetime: the run may call the window until its thread has ended, so the window never
// destroys itself. CloseWindow only hides it and says so (windowClosed); its owner destroys
// it on the window thread once the run thread is gone.

#include <QDialog>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "engines/PositionRunStatus.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sg {

class UserPrompts;

class CPosAnStatus : public QDialog, public PositionRunStatus {
    Q_OBJECT

  public:
    // The role of a log line's first column that holds its LogIcon as an int.
    static constexpr int kLogIconRole = Qt::UserRole + 1;

    // `owner` is the site position dialog: the window stays above it and is not blocked by it.
    CPosAnStatus(UserPrompts& prompts, QWidget* owner);
    ~CPosAnStatus() override;

    // --- PositionRunStatus, any thread
    // ---------------------------------------------------------------
    void ResetStatus() override;
    void SetKeyword(const std::string& text) override;
    void SetEngineLabel(const std::string& text) override;
    void ShowEngineLogo(int engine) override;
    void ShowLiveEngineLogo(const std::string& name) override;
    void SetFoundText(const std::string& text) override;
    void SetPosition(std::int32_t position) override;
    void SetProgress(std::int64_t position) override;
    // Asks on the window thread and waits for the answer; No once questions are abandoned.
    bool AskYesNo(const std::string& question) override;
    void EnableSkipButton(bool enable) override;
    void EnableCloseButton(bool enable) override;
    void ScrollToFirstWarning() override;
    void CloseWindow() override;
    void ShowRunEnd(const std::string& text) override;

    // Ends a question's wait with No and answers every later one No at once, without asking.
    // The owner calls it before it joins a cancelled run, which may be waiting for an answer
    // the window thread can no longer give.
    void AbandonQuestions();

    // The engine whose logo is shown, or -1 (window thread).
    int ShownLogo() const { return shownLogo_; }

  signals:
    // The window has been hidden for good: by the run at its end, or by the user after it.
    void windowClosed();

  protected:
    // The close box and Escape are the window's close command.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    void AddLogLine(LogIcon icon, const std::string& text, const std::string& time) override;
    void ShowSearchRange(std::int64_t max, const std::string& maxText) override;

  private:
    bool Ask(const std::string& question);
    // A skip, or a stop during a run, waits for the run to take it up.
    bool RequestPending() const;

    struct Answer {
        bool given = false;
        bool yes = false;
    };

    UserPrompts& prompts_;

    std::mutex askMutex_;
    std::condition_variable answered_;
    bool abandoned_ = false;

    int shownLogo_ = -1;
    QLabel* logoLabel_;
    QLabel* keywordText_;
    QLabel* engineText_;
    QLabel* foundText_;
    QLabel* positionText_;
    QLabel* searchToText_;
    QProgressBar* progressBar_;
    // How the run ended; hidden until it has.
    QLabel* endText_;
    QTreeWidget* logList_;
    QPushButton* skipButton_;
    QPushButton* closeButton_;
};

}  // namespace sg
