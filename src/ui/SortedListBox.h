#pragma once
// A list box whose lines stay in alphabetical order without regard to letter case: a new line
// goes to its sorted place, not to the end. Each line keeps the program's own bytes, so what is
// read back is exactly what was inserted.

#include <QListWidget>
#include <string>
#include <string_view>
#include <vector>

namespace sg {

class SortedListBox : public QListWidget {
  public:
    explicit SortedListBox(QWidget* parent = nullptr);

    // Inserts after the lines that sort before it or equal to it; returns its row.
    int InsertSorted(std::string_view text);
    std::string LineAt(int row) const;
    std::vector<std::string> Lines() const;
    // The first selected row, or -1.
    int SelectedRow() const;
};

}  // namespace sg
