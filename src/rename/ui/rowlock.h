// Keeps the rows of the list level with the lines of the memo: whichever of
// the two the user scrolls (wheel, bar, keys, a caret move), the other
// follows to the same top row, so that entry i is beside line i while both
// hold it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QScrollBar>

#include <functional>

namespace renaming {

class RowLock : public QObject {
    Q_OBJECT
public:
    // Both bars count rows (the list scrolls by item, the memo by line);
    // `rowsA` and `rowsB` say how many rows each side holds.
    RowLock(QScrollBar* a, std::function<int()> rowsA, QScrollBar* b, std::function<int()> rowsB,
            QObject* parent = nullptr);

private:
    struct Side {
        // Either view may go first as the window closes.
        QPointer<QScrollBar> bar;
        std::function<int()> rows;
        int natural = 0;  // the maximum its own widget gave it
    };
    void follow(const Side& from, const Side& to);
    // Each side may scroll as far as the other does, to the last row it
    // holds: two views of one height differ in how many whole rows they show
    // (a horizontal scroll bar, a partly shown last row), and a view that
    // could not follow the other one row down would put entry i beside
    // line i + 1.
    void widen();
    Side a_, b_;
    bool busy_ = false;
};

}  // namespace renaming
