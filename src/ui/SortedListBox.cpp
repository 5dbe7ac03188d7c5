#include "ui/SortedListBox.h"

#include <QByteArray>
#include <algorithm>

#include "platform/Ansi.h"
#include "ui/UiText.h"

namespace sg {
namespace {

constexpr int kBytesRole = Qt::UserRole;

// Byte order after the ANSI lower-case rule.
int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(LowerAnsi(a[i]));
        const auto y = static_cast<unsigned char>(LowerAnsi(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view View(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

SortedListBox::SortedListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int SortedListBox::InsertSorted(std::string_view text) {
    // Binary search for the first line that sorts after `text`.
    int low = keepFirst_ && count() > 0 ? 1 : 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const QByteArray line = item(middle)->data(kBytesRole).toByteArray();
        if (CompareNoCase(View(line), text) <= 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    auto* line = new QListWidgetItem(ToQt(text));
    line->setData(kBytesRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    insertItem(low, line);
    return low;
}

std::string SortedListBox::LineAt(int row) const {
    const QListWidgetItem* line = item(row);
    if (line == nullptr) {
        return std::string();
    }
    const QByteArray bytes = line->data(kBytesRole).toByteArray();
    return std::string(View(bytes));
}

std::vector<std::string> SortedListBox::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(count()));
    for (int row = 0; row < count(); ++row) {
        lines.push_back(LineAt(row));
    }
    return lines;
}

int SortedListBox::SelectedRow() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

}  // namespace sg
