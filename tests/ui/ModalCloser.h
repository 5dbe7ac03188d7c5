#pragma once
// Closes every modal dialog as soon as it opens (after an optional action on it) and records
// the dialogs' titles in order, so a test can see which windows a click opened.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace sg::test {

class ModalCloser {
  public:
    // `act` runs on each dialog before it is closed.
    explicit ModalCloser(std::function<void(QDialog&)> act = {}) : act_(std::move(act)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(20);
    }

    const QStringList& Titles() const { return titles_; }

  private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog == last_) {
            return;
        }
        last_ = dialog;
        titles_.push_back(dialog->windowTitle());
        if (act_) {
            act_(*dialog);
        }
        dialog->reject();
    }

    std::function<void(QDialog&)> act_;
    QTimer timer_;
    QStringList titles_;
    QPointer<QDialog> last_;
};

}  // namespace sg::test
