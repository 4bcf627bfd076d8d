// Answering modal windows in window tests the way a user would: wait for the
// window to open, read it, press one of its buttons, and never leave one open.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class QPushButton;
class QWidget;

namespace testing_support {

// Runs `act` on the next modal window other than `besides` once it is open.
// When none opens within `timeoutMs`, the test fails. A window still open
// `timeoutMs` after `act` is closed (and the test fails), so a test never
// hangs.
void onModal(std::function<void(QWidget*)> act, QWidget* besides = nullptr,
             int timeoutMs = 5000);

// The push button called `name` inside `w`, or null.
QPushButton* button(QWidget* w, const char* name);
// Clicks the push button called `name` inside `w`; fails the test when there
// is none.
void press(QWidget* w, const char* name);

// What a message box showed.
struct SeenBox {
    QString caption;
    QString text;
    int icon = 0;          // QMessageBox::Icon
    QString statusAtOpen;  // what the answerer's `onOpen` returned
};

// While alive, answers every message box that opens by pressing the button
// with objectName `button` ("OK" or "Cancel") and records what each showed.
// `onOpen` runs when a box is seen, before the button is pressed, and its
// answer is kept with the box (the status line at that moment, say).
class BoxAnswerer {
public:
    explicit BoxAnswerer(const char* button = "OK", std::function<QString()> onOpen = nullptr);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<SeenBox>& seen() const { return seen_; }
    QStringList texts() const;

private:
    void poll();
    std::vector<SeenBox> seen_;
    QString button_;
    std::function<QString()> onOpen_;
    QTimer timer_;
};

}  // namespace testing_support
