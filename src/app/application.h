// The application object: its title, tool-tip timing and the general error
// report around every event.
#pragma once

#include <QApplication>
#include <QString>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // The executable's file name without its folder, cut at its first ".",
    // every character after the first in lower case.
    static QString titleFromExecutable(const QString& path);
    QString title() const { return title_; }

    // The general error report: the message (with "." appended when its last
    // character sorts above "."), the title as caption, a stop icon, OK.
    void showException(const QString& message);
    static QString reportText(const QString& message);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QString title_;
};
