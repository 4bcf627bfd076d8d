// Answering modal windows in GUI tests the way a user would: a timer waits
// for the modal window, reads it, and presses one of its buttons.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QTimer;
class QWidget;

namespace testing_support {

// What a message box showed.
struct SeenBox {
    QString caption;
    QString text;
    int icon = 0;  // QMessageBox::Icon
};

// While alive, answers every message box that opens by pressing `button`
// ("OK" or "Cancel") and records what each showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const QString& button = QStringLiteral("OK"));
    ~BoxAnswerer();
    const QList<SeenBox>& seen() const { return seen_; }
    QStringList texts() const;

private:
    QList<SeenBox> seen_;
    QTimer* timer_;
};

// Runs `act` on the next modal window that opens (within `timeoutMs`);
// closes any window left open after the timeout so that a test never hangs.
void whenModal(std::function<void(QWidget*)> act, int timeoutMs = 5000);

}  // namespace testing_support
