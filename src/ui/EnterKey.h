#pragma once
// Enter in a line edit runs an action of its own instead of reaching the dialog's default
// button, which would close the dialog and drop what was typed.

#include <QObject>
#include <functional>

class QLineEdit;

namespace sg {

class EnterKeyFilter : public QObject {
  public:
    EnterKeyFilter(QLineEdit* edit, std::function<void()> action);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> action_;
};

// Installs the filter on `edit`; it lives as long as the edit.
inline void OnEnter(QLineEdit* edit, std::function<void()> action) {
    new EnterKeyFilter(edit, std::move(action));
}

}  // namespace sg
