// The window's outer bounds, frame included, as the settings file keeps
// them: given before the window is shown, reported back unchanged while the
// user has not moved or sized it.
#include "app/mainform.h"

#include "settings/settingstable.h"

#include <QMenuBar>
#include <QTimer>

namespace {

// The area below the menu bar at design size is 843 x 540 of an outer
// 851 x 596: where no window manager reports a frame, the outer size
// carries this much more.
constexpr int kFrameWidth = settings::kDesignBounds.width - 843;
constexpr int kFrameHeight = settings::kDesignBounds.height - 540;

}  // namespace

namespace {

// The outer bounds as the platform has them now: the frame's where one is
// reported; without one (no window manager) the window plus the frame it
// has at design size, so that the area below the menu bar stays 843 x 540.
QRect currentOuter(const TMainForm& w, const QMenuBar* menuBar)
{
    const QRect g = w.geometry();
    const QRect f = w.frameGeometry();
    if (f != g)
        return f;
    const int menu = menuBar->isVisible() ? menuBar->height() : menuBar->sizeHint().height();
    return QRect(g.x(), g.y(), g.width() + kFrameWidth, g.height() - menu + kFrameHeight);
}

}  // namespace

QRect TMainForm::outerBounds() const
{
    const QRect now = currentOuter(*this, MainMenu);
    if (!placedGeometry_)
        return now;
    // What the user has not changed since the window was placed is reported
    // exactly as it was given, whatever the platform made of it (a frame
    // added, a window nudged back onto the screen): loading and closing
    // again writes back the values loaded.
    const QRect g = geometry();
    const QPoint pos = g.topLeft() == placedGeometry_->topLeft() ? givenOuter_.topLeft()
                                                                 : now.topLeft();
    const QSize size = g.size() == placedGeometry_->size() ? givenOuter_.size() : now.size();
    return QRect(pos, size);
}

void TMainForm::setOuterBounds(const QRect& r)
{
    const QRect g = geometry();
    const QRect f = frameGeometry();
    const int menu = MainMenu->isVisible() ? MainMenu->height() : MainMenu->sizeHint().height();
    // A top-level window's position is that of its frame.
    move(r.topLeft());
    if (f != g && isVisible())
        resize(r.width() - (f.width() - g.width()), r.height() - (f.height() - g.height()));
    else
        resize(r.width() - kFrameWidth, r.height() - kFrameHeight + menu);
    givenOuter_ = r;
    placedGeometry_ = geometry();
    settled_ = isVisible();
}

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // Where the platform finally puts the window counts as where it was
    // placed; only the first time it is shown after being given bounds.
    QTimer::singleShot(0, this, [this] {
        if (settled_ || !isVisible() ||
            (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
            return;
        settled_ = true;
        placedGeometry_ = geometry();
    });
}
