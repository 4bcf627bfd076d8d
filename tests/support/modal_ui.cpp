#include "support/modal.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace testing_support {

namespace {

void closeLeftovers()
{
    for (int guard = 0; guard < 10; ++guard) {
        QWidget* m = QApplication::activeModalWidget();
        if (!m)
            return;
        if (auto* d = qobject_cast<QDialog*>(m))
            d->reject();
        else
            m->close();
        QApplication::processEvents();
    }
}

}  // namespace

void onModal(std::function<void(QWidget*)> act, QWidget* besides, int timeoutMs)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto waited = std::make_shared<int>(0);
    QPointer<QWidget> other(besides);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* m = QApplication::activeModalWidget();
        if (m && m != other.data() && m->isVisible()) {
            timer->stop();
            timer->deleteLater();
            QPointer<QWidget> seen(m);
            act(m);
            // A window the answer left open would hang the test.
            QTimer::singleShot(timeoutMs, [seen] {
                if (seen && seen->isVisible()) {
                    ADD_FAILURE() << "a modal window stayed open: "
                                  << seen->objectName().toStdString();
                    closeLeftovers();
                }
            });
            return;
        }
        if ((*waited += 10) > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window opened";
        }
    });
    timer->start();
}

QPushButton* button(QWidget* w, const char* name)
{
    return w ? w->findChild<QPushButton*>(QString::fromLatin1(name)) : nullptr;
}

void press(QWidget* w, const char* name)
{
    QPushButton* b = button(w, name);
    if (!b) {
        ADD_FAILURE() << "no button " << name;
        closeLeftovers();
        return;
    }
    QTest::mouseClick(b, Qt::LeftButton);
}

BoxAnswerer::BoxAnswerer(const char* button, std::function<QString()> onOpen)
    : button_(QString::fromLatin1(button)), onOpen_(std::move(onOpen))
{
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
}

BoxAnswerer::~BoxAnswerer() { timer_.stop(); }

void BoxAnswerer::poll()
{
    // Only message boxes: a dialog under the box is the test's to answer.
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    SeenBox seen{box->windowTitle(), box->text(), static_cast<int>(box->icon()), {}};
    if (onOpen_)
        seen.statusAtOpen = onOpen_();
    seen_.push_back(seen);
    if (QPushButton* b = box->findChild<QPushButton*>(button_))
        b->click();
    else
        box->reject();
}

QStringList BoxAnswerer::texts() const
{
    QStringList out;
    for (const auto& s : seen_)
        out << s.text;
    return out;
}

}  // namespace testing_support
