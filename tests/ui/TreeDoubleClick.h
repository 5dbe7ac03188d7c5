#pragma once

#include <QTest>
#include <QTreeWidget>

namespace sg::test {

// A double-click on a tree item as the window system delivers one: press, release, press,
// double-click, release. QTest's mouseDClick alone sends only the double-click event, which an
// item view takes for a first press.
inline void DoubleClickItem(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QWidget* viewport = tree->viewport();
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace sg::test
