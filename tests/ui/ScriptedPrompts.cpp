#include "ui/ScriptedPrompts.h"

namespace sg::test {

PromptAnswer ScriptedPrompts::Ask(QWidget*, const QString& caption, const QString& text,
                                  PromptButtons buttons, PromptIcon icon) {
    calls_.push_back({PromptCall::Kind::Ask, caption, text, buttons, icon, {}});
    if (answers_.empty()) {
        ++unscripted_;
        return PromptAnswer::Cancel;
    }
    const PromptAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedPrompts::Inform(QWidget*, const QString& caption, const QString& text,
                             PromptIcon icon) {
    calls_.push_back({PromptCall::Kind::Inform, caption, text, PromptButtons::Ok, icon, {}});
}

QString ScriptedPrompts::ChooseFileToOpen(QWidget*, const FileChoice& choice) {
    return NextFile(PromptCall::Kind::OpenFile, choice);
}

QString ScriptedPrompts::ChooseFileToSave(QWidget*, const FileChoice& choice) {
    return NextFile(PromptCall::Kind::SaveFile, choice);
}

QString ScriptedPrompts::NextFile(PromptCall::Kind kind, const FileChoice& choice) {
    calls_.push_back({kind, QString(), QString(), PromptButtons::Ok, PromptIcon::None, choice});
    if (files_.empty()) {
        ++unscripted_;
        return QString();
    }
    const QString path = files_.front();
    files_.pop_front();
    return path;
}

}  // namespace sg::test
