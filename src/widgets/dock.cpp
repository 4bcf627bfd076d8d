#include "widgets/dock.h"

#include <QFontMetrics>
#include <QVariant>

namespace widgets {

namespace {
constexpr const char* kAlign = "nxAlign";
constexpr const char* kAnchorRight = "nxAnchorRight";
}  // namespace

void setAlign(QWidget* w, Align a) { w->setProperty(kAlign, static_cast<int>(a)); }

Align alignOf(const QWidget* w)
{
    const QVariant v = w->property(kAlign);
    return v.isValid() ? static_cast<Align>(v.toInt()) : Align::none;
}

void anchorRight(QWidget* w, int margin) { w->setProperty(kAnchorRight, margin); }

void dockChildren(QWidget* parent, const QRect& area)
{
    QRect r = area;
    const auto children = parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (Align pass : {Align::top, Align::bottom, Align::left, Align::right, Align::client}) {
        for (QWidget* w : children) {
            if (w->isWindow() || alignOf(w) != pass || w->isHidden())
                continue;
            switch (pass) {
            case Align::top:
                w->setGeometry(r.left(), r.top(), r.width(), w->height());
                r.setTop(r.top() + w->height());
                break;
            case Align::bottom:
                w->setGeometry(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
                r.setBottom(r.bottom() - w->height());
                break;
            case Align::left:
                w->setGeometry(r.left(), r.top(), w->width(), r.height());
                r.setLeft(r.left() + w->width());
                break;
            case Align::right:
                w->setGeometry(r.right() + 1 - w->width(), r.top(), w->width(), r.height());
                r.setRight(r.right() - w->width());
                break;
            case Align::client:
                w->setGeometry(r);
                break;
            case Align::none:
                break;
            }
        }
    }
    for (QWidget* w : children) {
        const QVariant m = w->property(kAnchorRight);
        if (alignOf(w) == Align::none && m.isValid())
            w->resize(qMax(0, parent->width() - m.toInt() - w->x()), w->height());
    }
}

DockPanel::DockPanel(QWidget* parent, Align align) : QWidget(parent) { setAlign(this, align); }

void DockPanel::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    dockChildren(this, rect());
}

DockGroupBox::DockGroupBox(const QString& title, QWidget* parent, Align align)
    : QGroupBox(title, parent)
{
    setAlign(this, align);
}

QRect DockGroupBox::innerArea() const
{
    // Inside the 2-pixel frame on every side, and below the caption.
    const int caption = QFontMetrics(font()).height();
    return rect().adjusted(2, caption + 2, -2, -2);
}

void DockGroupBox::redock() { dockChildren(this, innerArea()); }

void DockGroupBox::resizeEvent(QResizeEvent* e)
{
    QGroupBox::resizeEvent(e);
    if (onResized)
        onResized();
    redock();
}

}  // namespace widgets
