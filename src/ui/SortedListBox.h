#pragma once
// A list box whose lines stay in alphabetical order without regard to letter case: a new line
// goes to its sorted place, not to the end. With KeepFirstLine, the first line stays above the
// sorted others (the own site above its competitors). Each line keeps the program's own bytes,
// so what is read back is exactly what was inserted.

#include <QListWidget>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

class SortedListBox : public QListWidget {
  public:
    explicit SortedListBox(QWidget* parent = nullptr);

    // Inserts after the lines that sort before it or equal to it (below a kept first line);
    // returns its row.
    int InsertSorted(std::string_view text);
    // The first line is not sorted with the others: the first line inserted into an empty list
    // stays on top, and when it is taken out the line then first takes its place.
    void KeepFirstLine(bool keep) { keepFirst_ = keep; }
    std::string LineAt(int row) const;
    std::vector<std::string> Lines() const;
    // The first selected row, or -1.
    int SelectedRow() const;

  private:
    bool keepFirst_ = false;
};

}  // namespace sg
