// `make screenshots`: every window of the program rendered to PNG files.
// Each shots_*.cpp file registers the windows of its own area.
#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

namespace shots {

struct Context {
    QDir out;      // where the PNG files go
    QDir sample;   // a small sample folder, also the current folder
};

using Maker = std::function<void(const Context&)>;

// Registers a maker; returns true so it can initialise a static.
bool add(const char* name, Maker maker);

// Writes `w` (shown, laid out, painted) to out/<name>.png.
void save(const Context& ctx, QWidget* w, const QString& name);

// Runs `act` on the next modal window once it is open, then returns.
void onModal(std::function<void(QWidget*)> act);

}  // namespace shots
