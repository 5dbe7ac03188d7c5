#pragma once
// Every message box and file dialog of the program goes through this interface, so that tests
// can answer them. QtUserPrompts is the real one.

#include <QString>

class QWidget;

namespace sg {

enum class PromptIcon { None, Information, Warning, Critical, Question };
// YesNoDefaultNo: for a question whose Yes cannot be undone, so Enter answers No.
// OkCopyPath: a message with OK and "Copy path", which answers Copy; its last line is the path,
// shown on one line.
enum class PromptButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo, OkCopyPath };
enum class PromptAnswer { Ok, Yes, No, Cancel, Copy };

// What a file dialog shows. Paths are the file system's own names as Qt decodes them.
struct FileChoice {
    // The dialog's title; empty gives the platform's own ("Save As", "Open").
    QString caption;
    // One filter entry, shown as it stands ("App Profiles *.swp").
    QString filter;
    QString initialFolder;
    // Saving only: the file name proposed in the name field.
    QString proposedName;
    // Saving only: appended to a typed name that has no suffix ("swp").
    QString defaultSuffix;
    // Saving only: ask before replacing an existing file.
    bool confirmOverwrite = true;
};

class UserPrompts {
  public:
    virtual ~UserPrompts() = default;

    // A question; closing the box without a button gives Cancel (or No without a Cancel button).
    virtual PromptAnswer Ask(QWidget* parent, const QString& caption, const QString& text,
                             PromptButtons buttons, PromptIcon icon) = 0;
    // A message with an OK button.
    virtual void Inform(QWidget* parent, const QString& caption, const QString& text,
                        PromptIcon icon) = 0;
    // The chosen existing file, or an empty string when the user cancels.
    virtual QString ChooseFileToOpen(QWidget* parent, const FileChoice& choice) = 0;
    // The chosen file to write (an existing one only after the user agreed to replace it when
    // confirmOverwrite is set), or an empty string when the user cancels.
    virtual QString ChooseFileToSave(QWidget* parent, const FileChoice& choice) = 0;
};

}  // namespace sg
