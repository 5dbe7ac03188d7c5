#pragma once

#include "ui/UserPrompts.h"

namespace sg {

// The prompts as the user sees them: QMessageBox and QFileDialog.
class QtUserPrompts : public UserPrompts {
  public:
    PromptAnswer Ask(QWidget* parent, const QString& caption, const QString& text,
                     PromptButtons buttons, PromptIcon icon) override;
    void Inform(QWidget* parent, const QString& caption, const QString& text,
                PromptIcon icon) override;
    QString ChooseFileToOpen(QWidget* parent, const FileChoice& choice) override;
    QString ChooseFileToSave(QWidget* parent, const FileChoice& choice) override;
};

}  // namespace sg
