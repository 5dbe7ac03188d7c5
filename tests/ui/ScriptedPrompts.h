#pragma once
// Answers the program's prompts from a script and records every prompt it was shown.

#include <QString>
#include <deque>
#include <vector>

#include "ui/UserPrompts.h"

namespace sg::test {

struct PromptCall {
    enum class Kind { Ask, Inform, OpenFile, SaveFile };
    Kind kind = Kind::Ask;
    QString caption;
    QString text;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    FileChoice choice;
};

class ScriptedPrompts : public UserPrompts {
  public:
    // The next question's answer.
    void Answer(PromptAnswer answer) { answers_.push_back(answer); }
    // The next file dialog's choice; an empty path cancels it.
    void ChooseFile(const QString& path) { files_.push_back(path); }

    const std::vector<PromptCall>& Calls() const { return calls_; }
    // Prompts that came when nothing was scripted for them (answered Cancel or cancelled).
    int Unscripted() const { return unscripted_; }
    // Whether every scripted answer was used.
    bool ScriptUsedUp() const { return answers_.empty() && files_.empty(); }

    PromptAnswer Ask(QWidget* parent, const QString& caption, const QString& text,
                     PromptButtons buttons, PromptIcon icon) override;
    void Inform(QWidget* parent, const QString& caption, const QString& text,
                PromptIcon icon) override;
    QString ChooseFileToOpen(QWidget* parent, const FileChoice& choice) override;
    QString ChooseFileToSave(QWidget* parent, const FileChoice& choice) override;

  private:
    QString NextFile(PromptCall::Kind kind, const FileChoice& choice);

    std::deque<PromptAnswer> answers_;
    std::deque<QString> files_;
    std::vector<PromptCall> calls_;
    int unscripted_ = 0;
};

}  // namespace sg::test
