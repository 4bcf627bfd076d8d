// The program's pictures, drawn in code: the icon (a spool of thread over a
// sheet of paper) and the About box picture.
#pragma once

#include <QIcon>
#include <QImage>

namespace artwork {

// The icon at `size` x `size` pixels.
QImage programIconImage(int size);
// The icon at 16, 32, 48, 128 and 256 pixels.
QIcon programIcon();
// The About box picture, 61 x 53.
QImage aboutPicture();

}  // namespace artwork
