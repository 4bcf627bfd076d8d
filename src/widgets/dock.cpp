#include "widgets/dock.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QWidget>

#include <map>
#include <stdexcept>
#include <string>

namespace widgets {

namespace {

// Hidden by the program, not merely not shown yet.
bool hiddenByCode(const QWidget* w)
{
    return w->isHidden() && w->testAttribute(Qt::WA_WState_ExplicitShowHide);
}

// What docked children share: a group box's area inside its 2-pixel frame
// and below its caption, any other container's whole area.
QRect dockArea(const QWidget* container)
{
    const QRect r = container->rect();
    if (qobject_cast<const QGroupBox*>(container)) {
        const int caption = QFontMetrics(container->font()).height();
        return r.adjusted(2, caption + 2, -2, -2);
    }
    return r;
}

// One axis of a fixed control: its start and length in a parent `now` long
// that was `design` long, anchored at the start, the end or both.
void fit(int& start, int& length, int now, int design, bool atStart, bool atEnd)
{
    const int endGap = design - (start + length);
    if (atStart && atEnd)
        length = qMax(0, now - start - endGap);
    else if (atEnd)
        start = now - endGap - length;
}

}  // namespace

DockLayout::DockLayout(QWidget* container, const QSize& design)
    : QLayout(container), design_(design)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // The table alone decides the sizes: no minimum is put on the container.
    setSizeConstraint(QLayout::SetNoConstraint);
}

DockLayout::~DockLayout()
{
    for (Entry& e : entries_)
        delete e.item;
}

DockLayout::Entry* DockLayout::find(const QWidget* w)
{
    for (Entry& e : entries_)
        if (e.item->widget() == w)
            return &e;
    return nullptr;
}

const DockLayout::Entry* DockLayout::find(const QWidget* w) const
{
    return const_cast<DockLayout*>(this)->find(w);
}

void DockLayout::place(QWidget* w, const Placement& p)
{
    if (Entry* e = find(w)) {
        e->p = p;
        return;
    }
    addChildWidget(w);
    entries_.push_back({new QWidgetItem(w), p});
}

Placement DockLayout::placement(const QWidget* w) const
{
    const Entry* e = find(w);
    return e ? e->p : Placement{};
}

void DockLayout::setExtent(QWidget* w, int extent)
{
    Entry* e = find(w);
    if (!e)
        return;
    if (e->p.dock == Dock::left || e->p.dock == Dock::right)
        e->p.rect.setWidth(extent);
    else
        e->p.rect.setHeight(extent);
}

void DockLayout::arrange()
{
    QWidget* container = parentWidget();
    if (!container)
        return;
    if (beforeArrange)
        beforeArrange();
    QRect r = dockArea(container);
    for (Dock pass : {Dock::top, Dock::bottom, Dock::left, Dock::right, Dock::client}) {
        for (const Entry& e : entries_) {
            QWidget* w = e.item->widget();
            if (!w || e.p.dock != pass || hiddenByCode(w))
                continue;
            const int across = pass == Dock::left || pass == Dock::right ? e.p.rect.width()
                                                                         : e.p.rect.height();
            switch (pass) {
            case Dock::top:
                w->setGeometry(r.left(), r.top(), r.width(), across);
                r.setTop(r.top() + across);
                break;
            case Dock::bottom:
                w->setGeometry(r.left(), r.bottom() + 1 - across, r.width(), across);
                r.setBottom(r.bottom() - across);
                break;
            case Dock::left:
                w->setGeometry(r.left(), r.top(), across, r.height());
                r.setLeft(r.left() + across);
                break;
            case Dock::right:
                w->setGeometry(r.right() + 1 - across, r.top(), across, r.height());
                r.setRight(r.right() - across);
                break;
            case Dock::client:
                w->setGeometry(r);
                break;
            case Dock::none:
                break;
            }
        }
    }
    // Fixed controls, shown or not, so that they are in place when shown.
    const QSize now = container->size();
    for (const Entry& e : entries_) {
        QWidget* w = e.item->widget();
        if (!w || e.p.dock != Dock::none)
            continue;
        QRect d = e.p.rect;
        const QSize natural = d.width() == kNatural || d.height() == kNatural ? w->sizeHint() : QSize();
        int x = d.x(), y = d.y();
        int width = d.width() == kNatural ? natural.width() : d.width();
        int height = d.height() == kNatural ? natural.height() : d.height();
        fit(x, width, now.width(), design_.width(), e.p.anchors & akLeft, e.p.anchors & akRight);
        fit(y, height, now.height(), design_.height(), e.p.anchors & akTop, e.p.anchors & akBottom);
        w->setGeometry(x, y, width, height);
    }
}

void DockLayout::addItem(QLayoutItem* item)
{
    // Only place() adds controls; an item given otherwise stays where it is.
    const QRect at = item->widget() ? item->widget()->geometry() : item->geometry();
    entries_.push_back({item, Placement{Dock::none, at, kAnchorTopLeft}});
}

int DockLayout::count() const { return static_cast<int>(entries_.size()); }

QLayoutItem* DockLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? entries_[static_cast<size_t>(index)].item : nullptr;
}

QLayoutItem* DockLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = entries_[static_cast<size_t>(index)].item;
    entries_.erase(entries_.begin() + index);
    return item;
}

QSize DockLayout::sizeHint() const { return design_; }

QSize DockLayout::minimumSize() const { return QSize(0, 0); }

void DockLayout::setGeometry(const QRect& r)
{
    QLayout::setGeometry(r);
    // The container's whole area, whatever margins a group box keeps for
    // itself: the table's rectangles are measured from its corner.
    arrange();
}

void applyLayout(QWidget* form, std::span<const Place> table)
{
    auto widget = [form](const char* name) -> QWidget* {
        const QString n = QString::fromLatin1(name);
        if (form->objectName() == n)
            return form;
        if (QWidget* w = form->findChild<QWidget*>(n))
            return w;
        throw std::logic_error(std::string("layout table: no control ") + name);
    };
    std::map<QWidget*, QSize> designs;
    std::vector<DockLayout*> layouts;
    for (const Place& row : table) {
        QWidget* w = widget(row.control);
        designs[w] = row.rect.size();
        if (!row.parent)
            continue;
        QWidget* parent = widget(row.parent);
        if (w->parentWidget() != parent)
            throw std::logic_error(std::string("layout table: ") + row.control + " is not in " +
                                   row.parent);
        DockLayout* d = dockOf(parent);
        if (!d) {
            // A container without a row of its own (a tab page) measures
            // from its size now.
            const auto known = designs.find(parent);
            d = new DockLayout(parent, known != designs.end() ? known->second : parent->size());
            layouts.push_back(d);
        }
        d->place(w, Placement{row.dock, row.rect, row.anchors});
    }
    // Outer containers first: an inner one is arranged in its new size.
    for (DockLayout* d : layouts)
        d->arrange();
}

DockLayout* dockOf(QWidget* container) { return qobject_cast<DockLayout*>(container->layout()); }

void arrangeAll(QWidget* form)
{
    if (DockLayout* d = dockOf(form))
        d->arrange();
    for (QWidget* w : form->findChildren<QWidget*>())
        if (DockLayout* d = dockOf(w))
            d->arrange();
}

}  // namespace widgets
