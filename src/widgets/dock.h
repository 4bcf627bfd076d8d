// The forms' layout, as their designs give it: a table per form says for
// each control its parent, whether it is docked to an edge of the parent or
// fills what its docked siblings leave, or sits in a fixed rectangle, and
// its size in pixels.
//
// Docked controls take the whole length of their edge and keep the size
// the table gives across it; the parent's edges are docked in the order
// top, bottom, left, right, then the filling control, each in table order.
// A fixed control keeps its distance from the edges it is anchored to: left
// and top by default, the right or bottom edge to follow the parent, both
// of a pair to stretch with it.
#pragma once

#include <QLayout>
#include <QRect>

#include <functional>
#include <span>
#include <vector>

namespace widgets {

enum class Dock { none, top, bottom, left, right, client };

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
inline constexpr unsigned kAnchorTopLeft = akLeft | akTop;
inline constexpr unsigned kAnchorAll = akLeft | akTop | akRight | akBottom;

// A fixed control's size may be its natural one (a label's text).
inline constexpr int kNatural = -1;

// Where one control goes. `rect` is its design rectangle in the parent: a
// control docked to the top or bottom keeps its height, one docked left or
// right its width; a filling control takes none of it.
struct Placement {
    Dock dock = Dock::none;
    QRect rect;
    unsigned anchors = kAnchorTopLeft;
};

// One row of a form's layout table. The first row whose parent is null
// names the container the table starts from (its design size is the
// rectangle's); every other row's parent is a control named in the table
// before it, or that container.
struct Place {
    const char* control;  // objectName
    const char* parent;   // objectName of its parent widget
    Dock dock;
    QRect rect;
    unsigned anchors = kAnchorTopLeft;
};

// The layout of one container: its children placed as their rows say.
class DockLayout : public QLayout {
    Q_OBJECT
public:
    // `design` is the container's size in the design, which the distances of
    // anchored controls are measured from.
    DockLayout(QWidget* container, const QSize& design);
    ~DockLayout() override;

    // Adds `w` (a child of the container) or gives it a new placement.
    void place(QWidget* w, const Placement& p);
    Placement placement(const QWidget* w) const;
    // A docked control's size across its edge.
    void setExtent(QWidget* w, int extent);

    // Places the children now, as they are.
    void arrange();
    // Runs at the start of every arrangement (a rule that sizes a docked
    // control from the container's size).
    std::function<void()> beforeArrange;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& r) override;

private:
    struct Entry {
        QLayoutItem* item;
        Placement p;
    };
    Entry* find(const QWidget* w);
    const Entry* find(const QWidget* w) const;
    std::vector<Entry> entries_;
    QSize design_;
};

// Gives every control of `form` its place from `table`: one DockLayout per
// parent, each arranged at once. A control or parent the table names and
// the form lacks is a fault of the program (std::logic_error).
void applyLayout(QWidget* form, std::span<const Place> table);

// The layout `applyLayout` gave `container`, or null.
DockLayout* dockOf(QWidget* container);

// Arranges `form` and every container inside it now, outer ones first: after
// controls were shown or hidden, before their places are read.
void arrangeAll(QWidget* form);

}  // namespace widgets
