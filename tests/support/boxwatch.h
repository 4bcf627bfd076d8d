// Answers the program's modal boxes as a user would: each box that opens
// is read (caption, text, what the window showed at that moment) and its
// button pressed, so that no test can hang on a box left open.
#pragma once

#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

namespace testing_support {

struct WatchedBox {
    QString caption;
    QString text;
    QString statusAtOpen;  // what `onOpen` returned
};

class BoxWatcher {
public:
    // Presses the button with objectName `button` on every box that opens
    // while this object lives. `onOpen` runs when a box is seen, before the
    // button is pressed, and its answer is kept with the box.
    explicit BoxWatcher(const char* button = "OK",
                           std::function<QString()> onOpen = nullptr);
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<WatchedBox> boxes;

private:
    void poll();
    QTimer timer_;
    QString button_;
    std::function<QString()> onOpen_;
};

}  // namespace testing_support
