// The application object: its title, tool-tip timing, and the last-resort
// catch of the general error report (every handler has its own guard).
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

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QString title_;
};
