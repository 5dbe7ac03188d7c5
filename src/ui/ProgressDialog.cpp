#include "ui/ProgressDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/UiText.h"

namespace sg {

ProgressDialog::ProgressDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("progressDialog"));
    setModal(false);
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
    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    noteLabel_->setWordWrap(true);
    // The lines name addresses and server replies: shown as they are, never read as markup.
    noteLabel_->setTextFormat(Qt::PlainText);
    percentLabel_->setTextFormat(Qt::PlainText);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setAutoDefault(false);

    auto* barRow = new QHBoxLayout;
    barRow->addWidget(bar_, 1);
    barRow->addWidget(percentLabel_);
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
    QString label;
    bool relabel = false;
    int shown = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        relabel = model_.SetPos(position);
        shown = model_.Pos();
        label = ToQt(model_.Label());
    }
    QMetaObject::invokeMethod(this, [this, shown, label, relabel] {
        bar_->setValue(shown);
        if (relabel) {
            ShowLabel(label);
        }
    });
}

void ProgressDialog::LogLine(const std::string& text) {
    const QString line = ToQt(text);
    QMetaObject::invokeMethod(this, [this, line] {
        logLines_.push_back(line);
        noteLabel_->setText(line);
    });
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
