#include "ui/CPosAnStatus.h"
#include "ui/WindowThread.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <limits>

#include "engines/EngineId.h"
#include "model/AppState.h"
#include "ui/EngineArt.h"
#include "ui/UiText.h"
#include "ui/UserPrompts.h"

namespace sg {
namespace {

constexpr int kLogColumnWidth = 320;
constexpr int kTimeColumnWidth = 70;

// The log's three signs: a red disc with a cross, a blue disc with an "i", an amber disc with
// a forward arrow.
QIcon LogIconPicture(PositionRunStatus::LogIcon icon) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor face;
    switch (icon) {
        case PositionRunStatus::LogIcon::kError:
            face = QColor(0xc6, 0x28, 0x28);
            break;
        case PositionRunStatus::LogIcon::kInformation:
            face = QColor(0x1e, 0x63, 0xb4);
            break;
        case PositionRunStatus::LogIcon::kSkip:
            face = QColor(0xe0, 0x8e, 0x0b);
            break;
    }
    painter.setPen(QPen(face.darker(140), 1));
    painter.setBrush(face);
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    switch (icon) {
        case PositionRunStatus::LogIcon::kError:
            painter.drawLine(QPointF(5, 5), QPointF(11, 11));
            painter.drawLine(QPointF(11, 5), QPointF(5, 11));
            break;
        case PositionRunStatus::LogIcon::kInformation:
            painter.drawPoint(QPointF(8, 4.5));
            painter.drawLine(QPointF(8, 7.5), QPointF(8, 12));
            break;
        case PositionRunStatus::LogIcon::kSkip:
            painter.drawLine(QPointF(4, 8), QPointF(11, 8));
            painter.drawPolyline(QPolygonF({QPointF(8, 5), QPointF(11, 8), QPointF(8, 11)}));
            break;
    }
    return QIcon(picture);
}

int ClampToInt(std::int64_t value) {
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < 0) {
        return 0;
    }
    return static_cast<int>(value);
}

QLabel* Value(const char* name, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    // Keywords and engine replies are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CPosAnStatus::CPosAnStatus(UserPrompts& prompts, QWidget* owner)
    : QDialog(owner), prompts_(prompts) {
    setObjectName(QStringLiteral("posAnStatus"));
    setModal(false);
    setWindowTitle(QStringLiteral("Information"));

    logoLabel_ = new QLabel(this);
    logoLabel_->setObjectName(QStringLiteral("logoLabel"));
    logoLabel_->setAlignment(Qt::AlignCenter);
    logoLabel_->setFixedHeight(kEngineLogoHeight + 8);

    keywordText_ = Value("keywordText", this);
    engineText_ = Value("engineText", this);
    engineText_->setText(QStringLiteral("No selected"));
    foundText_ = Value("foundText", this);
    positionText_ = Value("positionText", this);
    searchToText_ = Value("searchToText", this);

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);

    endText_ = new QLabel(this);
    endText_->setObjectName(QStringLiteral("endText"));
    endText_->setTextFormat(Qt::PlainText);
    endText_->setWordWrap(true);
    endText_->hide();

    logList_ = new QTreeWidget(this);
    logList_->setObjectName(QStringLiteral("logList"));
    logList_->setColumnCount(2);
    logList_->setHeaderLabels({QStringLiteral("Log"), QStringLiteral("Time")});
    logList_->setColumnWidth(0, kLogColumnWidth);
    logList_->setColumnWidth(1, kTimeColumnWidth);
    logList_->header()->setStretchLastSection(false);
    logList_->setRootIsDecorated(false);
    logList_->setUniformRowHeights(true);
    logList_->setSelectionMode(QAbstractItemView::SingleSelection);

    skipButton_ = Button(QStringLiteral("Skip current engine"), "skipButton", this);
    skipButton_->setEnabled(false);
    closeButton_ = Button(QStringLiteral("Close"), "closeButton", this);

    auto* fields = new QGridLayout;
    const char* captions[] = {
        "Keyword :", "Engine :", "Found Sites : ", "Position : ", "Search to Position : "};
    QLabel* values[] = {keywordText_, engineText_, foundText_, positionText_, searchToText_};
    for (int row = 0; row < 5; ++row) {
        fields->addWidget(new QLabel(QString::fromLatin1(captions[row]), this), row, 0);
        fields->addWidget(values[row], row, 1);
    }
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(skipButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(logoLabel_);
    layout->addLayout(fields);
    layout->addWidget(progressBar_);
    layout->addWidget(endText_);
    layout->addWidget(logList_, 1);
    layout->addLayout(buttons);
    resize(kLogColumnWidth + kTimeColumnWidth + 50, 440);

    connect(skipButton_, &QPushButton::clicked, this, [this] { PressSkip(); });
    connect(closeButton_, &QPushButton::clicked, this, [this] { PressClose(); });
}

CPosAnStatus::~CPosAnStatus() = default;

void CPosAnStatus::ResetStatus() {
    PostToThreadOf(this, [this] {
        foundText_->setText(QStringLiteral("0"));
        positionText_->setText(QStringLiteral("0"));
        searchToText_->setText(QStringLiteral("0"));
        progressBar_->setValue(0);
        engineText_->setText(QStringLiteral("No selected"));
        logoLabel_->clear();
        shownLogo_ = -1;
        keywordText_->clear();
    });
}

void CPosAnStatus::SetKeyword(const std::string& text) {
    PostToThreadOf(this, [this, shown = ToQt(text)] { keywordText_->setText(shown); });
}

void CPosAnStatus::SetEngineLabel(const std::string& text) {
    PostToThreadOf(this, [this, shown = ToQt(text)] { engineText_->setText(shown); });
}

void CPosAnStatus::ShowEngineLogo(int engine) {
    PostToThreadOf(this, [this, engine] {
        if (IsEngineIndex(engine)) {
            logoLabel_->setPixmap(EngineLogo(static_cast<EngineId>(engine)));
            shownLogo_ = engine;
        } else {
            logoLabel_->clear();
            shownLogo_ = -1;
        }
    });
}

void CPosAnStatus::ShowLiveEngineLogo(const std::string& name) {
    PostToThreadOf(this, [this, shown = ToQt(name)] {
        logoLabel_->setPixmap(LiveEngineLogo(shown));
        shownLogo_ = -1;
    });
}

void CPosAnStatus::SetFoundText(const std::string& text) {
    PostToThreadOf(this, [this, shown = ToQt(text)] { foundText_->setText(shown); });
}

void CPosAnStatus::SetPosition(std::int32_t position) {
    PostToThreadOf(this, [this, position] { positionText_->setText(QString::number(position)); });
}

void CPosAnStatus::SetProgress(std::int64_t position) {
    PostToThreadOf(this, [this, value = ClampToInt(position)] { progressBar_->setValue(value); });
}

void CPosAnStatus::ShowSearchRange(std::int64_t max, const std::string& maxText) {
    // A range of 0..0 would turn the bar into a busy indicator; an engine without results
    // shows an empty bar instead.
    PostToThreadOf(this, [this, upper = ClampToInt(max), shown = ToQt(maxText)] {
        progressBar_->setRange(0, upper > 0 ? upper : 1);
        searchToText_->setText(shown);
    });
}

void CPosAnStatus::AddLogLine(LogIcon icon, const std::string& text, const std::string& time) {
    PostToThreadOf(this, [this, icon, shown = ToQt(text), when = ToQt(time)] {
        auto* item = new QTreeWidgetItem({shown, when});
        item->setIcon(0, LogIconPicture(icon));
        item->setData(0, kLogIconRole, static_cast<int>(icon));
        logList_->insertTopLevelItem(0, item);
    });
}

// An enable queued by the run thread may arrive after the user pressed a button; the request
// that press set must keep both buttons disabled.
bool CPosAnStatus::RequestPending() const {
    return SkipRequested() || (StopRequested() && Running());
}

void CPosAnStatus::EnableSkipButton(bool enable) {
    PostToThreadOf(this, [this, enable] { skipButton_->setEnabled(enable && !RequestPending()); });
}

void CPosAnStatus::EnableCloseButton(bool enable) {
    PostToThreadOf(this, [this, enable] { closeButton_->setEnabled(enable && !RequestPending()); });
}

void CPosAnStatus::ScrollToFirstWarning() {
    PostToThreadOf(this, [this] {
        for (int row = 0; row < logList_->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = logList_->topLevelItem(row);
            if (item->data(0, kLogIconRole).toInt() != static_cast<int>(LogIcon::kInformation)) {
                logList_->setCurrentItem(item);
                logList_->scrollToItem(item, QAbstractItemView::PositionAtTop);
                return;
            }
        }
    });
}

void CPosAnStatus::ShowRunEnd(const std::string& text) {
    PostToThreadOf(this, [this, shown = ToQt(text)] {
        endText_->setText(shown);
        endText_->show();
    });
}

void CPosAnStatus::CloseWindow() {
    PostToThreadOf(this, [this] {
        hide();
        emit windowClosed();
    });
}

bool CPosAnStatus::AskYesNo(const std::string& question) {
    if (OnThreadOf(this)) {
        return Ask(question);
    }
    auto answer = std::make_shared<Answer>();
    {
        std::lock_guard<std::mutex> lock(askMutex_);
        if (abandoned_) {
            return false;
        }
    }
    // A blocking queued call, except that AbandonQuestions can end the wait: the window
    // thread may be joining this run and never get to the question.
    QMetaObject::invokeMethod(
        this,
        [this, answer, question] {
            {
                std::lock_guard<std::mutex> lock(askMutex_);
                if (abandoned_) {
                    return;
                }
            }
            const bool yes = Ask(question);
            {
                std::lock_guard<std::mutex> lock(askMutex_);
                answer->given = true;
                answer->yes = yes;
            }
            answered_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(askMutex_);
    answered_.wait(lock, [&] { return answer->given || abandoned_; });
    return answer->given && answer->yes;
}

bool CPosAnStatus::Ask(const std::string& question) {
    return prompts_.Ask(this, ToQt(App().appTitle), ToQt(question), PromptButtons::YesNo,
                        PromptIcon::Question) == PromptAnswer::Yes;
}

void CPosAnStatus::AbandonQuestions() {
    {
        std::lock_guard<std::mutex> lock(askMutex_);
        abandoned_ = true;
    }
    answered_.notify_all();
}

void CPosAnStatus::closeEvent(QCloseEvent* event) {
    event->ignore();
    CloseCommand();
}

void CPosAnStatus::reject() {
    CloseCommand();
}

}  // namespace sg
