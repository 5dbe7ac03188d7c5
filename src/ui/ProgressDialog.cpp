#include "ui/ProgressDialog.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace sg {

ProgressDialog::ProgressDialog(QWidget* owner) : QDialog(owner), owner_(owner) {
    setObjectName(QStringLiteral("progressDialog"));
    setModal(false);
    if (owner_ != nullptr) {
        owner_->installEventFilter(this);
    }
    setWindowTitle(ToQt(ProgressModel::kTitle));

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(ProgressModel::kLower, ProgressModel::kUpper);
    bar_->setValue(ProgressModel::kLower);
    // The percentage is the label's job; the bar's own text would say it twice.
    bar_->setTextVisible(false);
    percentLabel_ = new QLabel(ToQt(ProgressModel::kInitialLabel), this);
    percentLabel_->setObjectName(QStringLiteral("percentLabel"));
    percentLabel_->setMinimumWidth(48);
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("countLabel"));
    countLabel_->setTextFormat(Qt::PlainText);
    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    noteLabel_->setWordWrap(true);
    // The lines name addresses and server replies: shown as they are, never read as markup.
    noteLabel_->setTextFormat(Qt::PlainText);
    percentLabel_->setTextFormat(Qt::PlainText);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setAutoDefault(false);
    // The one control: Space presses it and Escape asks as it does.
    cancelButton_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(cancelButton_);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(bar_, 1);
    barRow->addWidget(percentLabel_);
    barRow->addWidget(countLabel_);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(barRow);
    layout->addWidget(noteLabel_);
    layout->addLayout(buttonRow);
    setMinimumWidth(460);

    connect(cancelButton_, &QPushButton::clicked, this, &ProgressDialog::cancelRequested);
}

void ProgressDialog::SetCaption(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        model_.SetCaption(text);
    }
    const QString title = ToQt(text);
    QMetaObject::invokeMethod(this, [this, title] { setWindowTitle(title); });
}

int ProgressDialog::Position() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_.Pos();
}

void ProgressDialog::SetPosition(int position) {
    Shown shown;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        model_.SetPos(position);
        shown = ShownLocked();
    }
    Show(shown);
}

void ProgressDialog::SiteWork(int done, int known) {
    Shown shown;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        model_.SetSiteWork(done, known);
        if (!followShares_) {
            return;
        }
        shown = ShownLocked();
    }
    Show(shown);
}

ProgressDialog::Shown ProgressDialog::ShownLocked() const {
    Shown shown;
    shown.busy = followShares_ && model_.Busy();
    shown.value = followShares_ ? model_.ShownPos() : model_.Pos();
    shown.label = ToQt(followShares_ ? model_.ShownLabel() : model_.Label());
    return shown;
}

void ProgressDialog::Show(const Shown& shown) {
    // The label is rewritten only when its text changes (ShowLabel), so showing the same
    // picture twice changes nothing the user sees.
    QMetaObject::invokeMethod(this, [this, shown] {
        ShowBar(shown.value, shown.busy);
        ShowLabel(shown.label);
    });
}

void ProgressDialog::ShowBar(int value, bool busy) {
    // A range of 0..0 is Qt's busy bar.
    if (busy) {
        bar_->setRange(0, 0);
        return;
    }
    bar_->setRange(ProgressModel::kLower, ProgressModel::kUpper);
    bar_->setValue(value);
}

void ProgressDialog::FollowSiteShares(bool follow) {
    std::lock_guard<std::mutex> lock(mutex_);
    followShares_ = follow;
}

void ProgressDialog::Complete() {
    Shown shown;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        model_.Complete();
        shown = ShownLocked();
    }
    Show(shown);
}

void ProgressDialog::RequestEnded(bool proxyUnreachable) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++requests_;
    proxyMisses_ += proxyUnreachable ? 1 : 0;
}

bool ProgressDialog::EveryRequestMissedTheProxy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_ > 0 && proxyMisses_ == requests_;
}

bool ProgressDialog::BarBusy() const {
    return bar_->maximum() == 0;
}

int ProgressDialog::BarValue() const {
    return bar_->value();
}

void ProgressDialog::LogLine(const std::string& text) {
    const QString line = ToQt(text);
    QMetaObject::invokeMethod(this, [this, line] {
        logLines_.push_back(line);
        noteLabel_->setText(line);
    });
}

void ProgressDialog::Count(ProgressCount what) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (what == ProgressCount::PageFetched) {
            ++pagesFetched_;
        } else {
            ++linksChecked_;
        }
        if (countsQueued_) {
            return;
        }
        countsQueued_ = true;
    }
    QMetaObject::invokeMethod(this, [this] { ShowCounts(); });
}

void ProgressDialog::ShowCounts() {
    int pages = 0;
    int links = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pages = pagesFetched_;
        links = linksChecked_;
        countsQueued_ = false;
    }
    QStringList parts;
    if (pages > 0) {
        // In the words of the summary page's counts, which they end at.
        parts.push_back(pages == 1 ? QStringLiteral("1 page visited")
                                   : QStringLiteral("%1 pages visited").arg(pages));
    }
    if (links > 0) {
        parts.push_back(links == 1 ? QStringLiteral("1 link judged")
                                   : QStringLiteral("%1 links judged").arg(links));
    }
    countLabel_->setText(parts.join(QStringLiteral(", ")));
}

QString ProgressDialog::CountText() const {
    return countLabel_->text();
}

bool ProgressDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && isVisible()) {
        switch (event->type()) {
            case QEvent::WindowActivate:
            case QEvent::MouseButtonPress:
            case QEvent::NonClientAreaMouseButtonPress:
                // After the window system has finished activating the owner.
                QTimer::singleShot(0, this, &ProgressDialog::RaiseAboveOwner);
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ProgressDialog::RaiseAboveOwner() {
    // A question of its own (Cancel's) stays on top; only the owner's modality is allowed.
    QWidget* modal = QApplication::activeModalWidget();
    if (!isVisible() || (modal != nullptr && modal != owner_->window())) {
        return;
    }
    raise();
    activateWindow();
}

void ProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Reachable from the keyboard at once: the window takes the focus from its owner, whose
    // controls are disabled while the run lasts.
    activateWindow();
    cancelButton_->setFocus();
}

QString ProgressDialog::PercentText() const {
    return percentLabel_->text();
}

void ProgressDialog::reject() {
    emit cancelRequested();
}

void ProgressDialog::ShowLabel(const QString& label) {
    if (percentLabel_->text() != label) {
        percentLabel_->setText(label);
        emit percentShown(label);
    }
}

}  // namespace sg
