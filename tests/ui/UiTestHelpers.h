#pragma once
// Small helpers for driving the real dialogs.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <string>

#include "model/Project.h"
#include "platform/FileSystem.h"

namespace sg::test {

// A named control of a dialog; nullptr when the dialog has none by that name.
template <typename Widget>
Widget* Control(QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QString::fromLatin1(name));
}

inline QLineEdit* EditOf(QWidget& dialog, const char* name) {
    return Control<QLineEdit>(dialog, name);
}
inline QPushButton* ButtonOf(QWidget& dialog, const char* name) {
    return Control<QPushButton>(dialog, name);
}
inline void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(ButtonOf(dialog, button), Qt::LeftButton);
}

// Shows the window and makes it the active one, so focus and clicks behave as on a desktop.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Types into an edit as a user would, one key event per character (the edit gets the focus
// first). keyClicks knows only ASCII keys, so each character goes as the text of its event.
inline void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
inline void Retype(QLineEdit* edit, const QString& text) {
    edit->clear();
    Type(edit, text);
}

// A left click in the middle of one line of a list.
inline void ClickRow(QAbstractItemView* view, int row) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(view->model()->index(row, 0)).center());
}

inline QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts.push_back(list->item(row)->text());
    }
    return texts;
}

// The project's lists, byte for byte (Latin-1 keeps one character per byte).
inline QStringList Urls(const Project& project) {
    QStringList urls;
    for (int i = 0; i < project.UrlCount(); ++i) {
        urls.push_back(QString::fromLatin1(project.GetUrl(i)->GetUrl()));
    }
    return urls;
}
inline QStringList Keywords(const Project& project) {
    QStringList keywords;
    for (int i = 0; i < project.KeywordCount(); ++i) {
        keywords.push_back(QString::fromLatin1(project.GetKeyword(i)));
    }
    return keywords;
}

inline std::string FileText(const std::string& path) {
    std::string text;
    ReadWholeFile(path, text);
    return text;
}

}  // namespace sg::test
