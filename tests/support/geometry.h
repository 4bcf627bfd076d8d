// Where a window's named controls sit: a table of every named widget, its
// parent and its rectangle in the parent, compared with a table kept in the
// test, so that a change of the layout code cannot move a control unseen.
#pragma once

#include <QRect>
#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace testing_support {

struct Placed {
    const char* name;
    const char* parent;  // "" for the window itself
    QRect rect;          // in the parent; the window's own at (0, 0)
    bool hidden = false; // hidden by the window's code (not shown with it)
};

// Every named widget of `window` (the window first, then its descendants in
// creation order, windows of their own and Qt's internal parts left out).
std::vector<Placed> namedGeometry(QWidget* window);

// Expects `window` to hold exactly the rows of `expected`; prints the rows
// seen when it does not, in the form of the table.
void expectGeometry(QWidget* window, const std::vector<Placed>& expected, const std::string& what);

}  // namespace testing_support
