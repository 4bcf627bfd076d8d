#include "support/boxwatch.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace testing_support {

BoxWatcher::BoxWatcher(const char* button, std::function<QString()> onOpen)
    : button_(QString::fromLatin1(button)), onOpen_(std::move(onOpen))
{
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

BoxWatcher::~BoxWatcher() { timer_.stop(); }

void BoxWatcher::poll()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible())
        return;
    WatchedBox seen;
    seen.caption = w->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(w))
        seen.text = box->text();
    if (onOpen_)
        seen.statusAtOpen = onOpen_();
    boxes.push_back(seen);
    if (auto* b = w->findChild<QPushButton*>(button_)) {
        b->click();
        return;
    }
    // Not a box this test knows: close it rather than hang.
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    else
        w->close();
}

}  // namespace testing_support
