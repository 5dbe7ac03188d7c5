#include "ui/QtUserPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace sg {
namespace {

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Critical:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

QString Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

}  // namespace

PromptAnswer QtUserPrompts::Ask(QWidget* parent, const QString& caption, const QString& text,
                                PromptButtons buttons, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), caption, text, BoxButtons(buttons), parent);
    // Messages carry addresses, keywords, file names and server replies, never markup.
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Ok:
            return PromptAnswer::Ok;
        default:
            return PromptAnswer::Cancel;
    }
}

void QtUserPrompts::Inform(QWidget* parent, const QString& caption, const QString& text,
                           PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtUserPrompts::ChooseFileToOpen(QWidget* parent, const FileChoice& choice) {
    QFileDialog dialog(parent, choice.caption, choice.initialFolder, choice.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Run(dialog);
}

QString QtUserPrompts::ChooseFileToSave(QWidget* parent, const FileChoice& choice) {
    QFileDialog dialog(parent, choice.caption, choice.initialFolder, choice.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !choice.confirmOverwrite);
    dialog.setDefaultSuffix(choice.defaultSuffix);
    if (!choice.proposedName.isEmpty()) {
        dialog.selectFile(choice.proposedName);
    }
    return Run(dialog);
}

}  // namespace sg
