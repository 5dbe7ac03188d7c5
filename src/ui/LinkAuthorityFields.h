#pragma once
// The Link Popularity dialog's sources of link authority: the Common Crawl ranks file (typed
// or chosen with "Choose...") and the Open PageRank key (shown as dots). They show what the
// settings file holds; a changed one is kept there (owner-only) and put in force when the run
// starts.

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace sg {

class UserPrompts;

class LinkAuthorityFields : public QWidget {
    Q_OBJECT

  public:
    LinkAuthorityFields(UserPrompts& prompts, QWidget* parent = nullptr);

    // Keeps and applies what changed; false (after saying so) when the settings could not be
    // written, the change then in force for this session only.
    bool Apply();

  private:
    void ChooseRanksFile();

    UserPrompts& prompts_;
    QLineEdit* ranksEdit_;
    QPushButton* chooseButton_;
    QLineEdit* keyEdit_;
    QString storedRanks_;
    QString storedKey_;
};

}  // namespace sg
