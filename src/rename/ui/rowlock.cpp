#include "rename/ui/rowlock.h"

#include <QScrollBar>

#include <algorithm>

namespace renaming {

RowLock::RowLock(QScrollBar* a, std::function<int()> rowsA, QScrollBar* b,
                 std::function<int()> rowsB, QObject* parent)
    : QObject(parent), a_{a, std::move(rowsA), a->maximum()}, b_{b, std::move(rowsB), b->maximum()}
{
    for (Side* s : {&a_, &b_}) {
        Side& side = *s;
        Side& other = s == &a_ ? b_ : a_;
        connect(side.bar, &QScrollBar::rangeChanged, this, [this, &side](int, int max) {
            if (busy_)
                return;
            side.natural = max;
            widen();
            // The side that changed leads: the memo as the user types in
            // it, the list as it is read again.
            follow(side, &side == &a_ ? b_ : a_);
        });
        connect(side.bar, &QScrollBar::valueChanged, this,
                [this, &side, &other] { follow(side, other); });
    }
    widen();
    follow(a_, b_);
}

void RowLock::widen()
{
    if (!a_.bar || !b_.bar)
        return;
    const int reach = std::max(a_.natural, b_.natural);
    busy_ = true;
    for (Side* s : {&a_, &b_}) {
        const int last = std::max(0, s->rows() - 1);
        const int max = std::max(s->natural, std::min(reach, last));
        if (s->bar->maximum() != max)
            s->bar->setMaximum(max);
    }
    busy_ = false;
}

void RowLock::follow(const Side& from, const Side& to)
{
    if (busy_ || !from.bar || !to.bar)
        return;
    busy_ = true;
    to.bar->setValue(from.bar->value());
    busy_ = false;
}

}  // namespace renaming
