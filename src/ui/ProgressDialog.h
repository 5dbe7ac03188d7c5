#pragma once
// The modeless progress window of an analysis run: title, bar, percentage label and Cancel.
// The run reports from its worker thread; every change is carried to the window thread by a
// queued call, so the widgets are only touched there.

#include <QDialog>
#include <QStringList>
#include <mutex>
#include <string>

#include "app/ProgressModel.h"
#include "model/ProgressSink.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace sg {

class ProgressDialog : public QDialog, public ProgressSink {
    Q_OBJECT

  public:
    // `owner` is the Analyze dialog: the window is its transient child, stays above it and is
    // not blocked by it; activating or clicking the owner raises and activates this window, so
    // a click elsewhere cannot leave it hidden behind the disabled dialog.
    explicit ProgressDialog(QWidget* owner);

    // Any thread.
    void SetCaption(const std::string& text) override;
    int Position() const override;
    void SetPosition(int position) override;
    // The latest line shows under the bar (a TLS failure's reason, say); every line is kept.
    void LogLine(const std::string& text) override;
    // Window thread: the lines logged so far, oldest first.
    const QStringList& LogLines() const { return logLines_; }
    // Any thread: pages visited and links judged so far, shown beside the percentage.
    void Count(ProgressCount what) override;
    // Any thread. With FollowSiteShares, the bar and the percentage follow them within the
    // current site's share (ProgressModel); a share without them shows a busy bar.
    void SiteWork(int done, int known) override;
    // Any thread: tallies the run's requests.
    void RequestEnded(bool proxyUnreachable) override;

    // Window thread, before the run starts: an analysis run's window moves within each site's
    // share; others (the FTP Center's) show the positions they are given.
    void FollowSiteShares(bool follow);
    // Window thread: the run's work is done, the bar full.
    void Complete();
    // Any thread: the run made requests and every one failed because the proxy could not be
    // reached.
    bool EveryRequestMissedTheProxy() const;
    // The bar shows no fraction (window thread).
    bool BarBusy() const;
    int BarValue() const;

    QString PercentText() const;
    // The counts as shown ("3 pages visited, 41 links judged"); empty before the first.
    QString CountText() const;

    // Escape and the close box ask to cancel, as the button does.
    void reject() override;

  signals:
    void cancelRequested();
    // The percentage label was rewritten (window thread).
    void percentShown(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void ShowLabel(const QString& label);
    // What the bar and the label show, taken from the model under the lock and drawn on the
    // window thread.
    struct Shown {
        int value = 0;
        bool busy = false;
        QString label;
    };
    Shown ShownLocked() const;
    void Show(const Shown& shown);
    void ShowBar(int value, bool busy);
    void ShowCounts();
    void RaiseAboveOwner();

    // The worker reads the position right after setting it, so the model is kept in step on
    // the calling thread and only its picture goes through the queue.
    mutable std::mutex mutex_;
    ProgressModel model_;

    QProgressBar* bar_;
    QLabel* percentLabel_;
    QLabel* countLabel_;
    QWidget* owner_;
    // Guarded by mutex_: the counts, and whether a redraw of them is queued already (a crawl
    // counts hundreds of links a second; one queued redraw carries them all).
    int pagesFetched_ = 0;
    int linksChecked_ = 0;
    bool countsQueued_ = false;
    bool followShares_ = false;
    int requests_ = 0;
    int proxyMisses_ = 0;
    QLabel* noteLabel_;
    QPushButton* cancelButton_;
    QStringList logLines_;
};

}  // namespace sg
