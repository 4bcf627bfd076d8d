// Docking of child widgets the way the forms are designed: a child docked to
// an edge keeps its size across that edge and takes the whole length of the
// edge; a child that fills takes what its docked siblings leave; a fixed
// child keeps its place, and may keep its right edge at a fixed distance
// from the parent's right edge.
#pragma once

#include <QGroupBox>

#include <functional>
#include <QRect>
#include <QWidget>

namespace widgets {

enum class Align { none, top, bottom, left, right, client };

void setAlign(QWidget* w, Align a);
Align alignOf(const QWidget* w);
// Keeps the right edge of a fixed child `margin` pixels from its parent's.
void anchorRight(QWidget* w, int margin);

// Lays out the children of `parent` inside `area`, in creation order by
// edge: top, bottom, left, right, then the filling child.
void dockChildren(QWidget* parent, const QRect& area);

// A borderless container that docks its children.
class DockPanel : public QWidget {
    Q_OBJECT
public:
    explicit DockPanel(QWidget* parent = nullptr, Align align = Align::none);

protected:
    void resizeEvent(QResizeEvent* e) override;
};

// A group box whose inner area (inside its 2-pixel frame, below its caption)
// docks its children. `onResized` runs before the children are docked.
class DockGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit DockGroupBox(const QString& title, QWidget* parent = nullptr,
                          Align align = Align::none);
    QRect innerArea() const;
    std::function<void()> onResized;
    void redock();

protected:
    void resizeEvent(QResizeEvent* e) override;
};

}  // namespace widgets
