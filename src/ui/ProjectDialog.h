#pragma once
// The "Project" dialog: the project's name, its site URLs and its keywords, and the profile
// files they are saved to and loaded from.

#include <QDialog>

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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillFromProject();
    void SyncUrls();
    void SyncKeywords();

    void AddUrl();
    void RemoveUrl();
    void AddKeyword();
    void RemoveKeyword();
    void ClearAll();
    void Save();
    void Open();
    void OpenDemo();

    UserPrompts& prompts_;
    QLineEdit* nameEdit_;
    QLineEdit* urlEdit_;
    QPushButton* urlAddButton_;
    QPushButton* urlRemoveButton_;
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
