#include "ui/EnterKey.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace sg {

EnterKeyFilter::EnterKeyFilter(QLineEdit* edit, std::function<void()> action)
    : QObject(edit), action_(std::move(action)) {
    edit->installEventFilter(this);
}

bool EnterKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            action_();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sg
