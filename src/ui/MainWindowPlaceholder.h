#pragma once
// A stand-in main window until the picture-style one exists: one button per dialog and "OK".
// Closing it in any way goes through the exit question.

#include <QDialog>

namespace sg {

class UserPrompts;

class MainWindowPlaceholder : public QDialog {
    Q_OBJECT

  public:
    explicit MainWindowPlaceholder(UserPrompts& prompts, QWidget* parent = nullptr);

    void accept() override;
    void reject() override;

  private:
    UserPrompts& prompts_;
};

}  // namespace sg
