// The modal message box of the program and of the component unit, driven by
// the platform's flag values so that callers state exactly which box they show.
#pragma once

#include <QString>

class QWidget;

namespace widgets {

// Flag values (button set | icon).
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbOkCancel = 0x01;
inline constexpr unsigned kMbYesNo = 0x04;
inline constexpr unsigned kMbIconStop = 0x10;
inline constexpr unsigned kMbIconInformation = 0x40;

// Answers.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Shows a modal box over the active window and returns the button pressed.
// The text is shown as plain text: a file name is never read as markup.
// When the box closes, the window that was active and its focused control
// are active again.
int messageBox(const QString& text, const QString& caption, unsigned flags);

}  // namespace widgets
