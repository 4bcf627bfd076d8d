#include "support/modal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace testing_support {

BoxAnswerer::BoxAnswerer(const QString& button) : timer_(new QTimer)
{
    timer_->setInterval(10);
    QObject::connect(timer_, &QTimer::timeout, [this, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen_.push_back({box->windowTitle(), box->text(), static_cast<int>(box->icon())});
        if (auto* b = box->findChild<QPushButton*>(button))
            b->click();
        else
            box->reject();
    });
    timer_->start();
}

BoxAnswerer::~BoxAnswerer() { delete timer_; }

QStringList BoxAnswerer::texts() const
{
    QStringList out;
    for (const auto& s : seen_)
        out << s.text;
    return out;
}

void whenModal(std::function<void(QWidget*)> act, int timeoutMs)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act, timeoutMs] {
        QWidget* m = QApplication::activeModalWidget();
        if (m && m->isVisible()) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            act(m);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start();
}

}  // namespace testing_support
