#include "ui/QtUserPrompts.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include "ui/UiText.h"

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
        case PromptButtons::YesNoDefaultNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
        case PromptButtons::OkCopyPath:
            break;
    }
    return QMessageBox::Ok;
}

// A message box is as wide as its text needs, which can be narrower than its caption: the
// title bar would cut the caption off ("About Sitegauge" over two short lines).
void FitCaption(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    // Room for the title bar's icon and buttons beside the caption.
    constexpr int kTitleBarExtra = 160;
    const int width = box.fontMetrics().horizontalAdvance(caption) + kTitleBarExtra;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QString Run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

// The widest an unbroken line of a message may be: within the width a message box keeps its
// text to.
constexpr int kUnbrokenLineWidth = 480;

// A message that ends with a path (OkCopyPath) shows it whole on its own line, not broken at
// its blanks; "Copy path" copies it whole whatever is shown.
QString WithUnbrokenLastLine(const QString& text, const QFontMetrics& metrics) {
    const qsizetype cut = text.lastIndexOf(QLatin1Char('\n')) + 1;
    return text.left(cut) + UnbrokenLine(text.mid(cut), metrics, kUnbrokenLineWidth);
}

}  // namespace

PromptAnswer QtUserPrompts::Ask(QWidget* parent, const QString& caption, const QString& text,
                                PromptButtons buttons, PromptIcon icon) {
    QMessageBox box(BoxIcon(icon), caption, text, BoxButtons(buttons), parent);
    // Messages carry addresses, keywords, file names and server replies, never markup.
    box.setTextFormat(Qt::PlainText);
    if (buttons == PromptButtons::OkCopyPath) {
        box.setText(WithUnbrokenLastLine(text, box.fontMetrics()));
    }
    FitCaption(box, caption);
    if (buttons == PromptButtons::YesNoDefaultNo) {
        box.setDefaultButton(QMessageBox::No);
    }
    QPushButton* copy = nullptr;
    if (buttons == PromptButtons::OkCopyPath) {
        copy = box.addButton(QStringLiteral("Copy path"), QMessageBox::ActionRole);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (copy != nullptr && box.clickedButton() == copy) {
        return PromptAnswer::Copy;
    }
    switch (result) {
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
    FitCaption(box, caption);
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
