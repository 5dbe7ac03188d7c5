#pragma once
// The "Project" dialog: the project's name, its site URLs and its keywords, and the profile
// files they are saved to and loaded from.

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sg {

class SortedListBox;
class UserPrompts;

class ProjectDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ProjectDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    // Every way of closing (Done, a save, Escape, the window's close box) takes the lists into
    // the project first, so the name typed last is never lost.
    void done(int result) override;

    // A line above the fields that says why the dialog opened, or what the last command did
    // (the demo started); empty hides it.
    void ShowNote(const QString& text);
    QString Note() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillFromProject();
    // The project's URLs in the list's order: the own site on top, then the others.
    void SyncUrls();
    void SyncKeywords();
    // Bold for the own site's line (the first), plain for the others.
    void MarkOwnSite();
    // Syncs and asks whether a changed project is to be saved before it is replaced.
    bool MayReplaceProject();

    void AddUrl();
    void RemoveUrl();
    void AddKeyword();
    void RemoveKeyword();
    void ClearAll();
    void Save();
    void Open();
    void OpenDemo();

    UserPrompts& prompts_;
    QLabel* noteLabel_;
    QLineEdit* nameEdit_;
    QLineEdit* urlEdit_;
    QPushButton* urlAddButton_;
    QPushButton* urlRemoveButton_;
    // Why the typed address cannot be added, while it cannot.
    QLabel* urlHintLabel_;
    SortedListBox* urlList_;
    QLineEdit* keywordEdit_;
    QPushButton* keywordAddButton_;
    QPushButton* keywordRemoveButton_;
    SortedListBox* keywordList_;
    QPushButton* saveButton_;
    QPushButton* openButton_;
    QPushButton* clearAllButton_;
    QPushButton* demoButton_;
    QPushButton* doneButton_;
};

}  // namespace sg
