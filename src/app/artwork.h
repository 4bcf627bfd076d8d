// The program's pictures, drawn in code: the icon (a spool of thread over a
// sheet of paper) and the About box picture.
#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

namespace artwork {

// How the icon is drawn: in its colours, or as the desktop's symbolic icon,
// one colour and filled shapes only, which the desktop paints in the colour
// of the text around it.
enum class IconStyle { colour, symbolic };

// The sizes of the icon's pictures, as the desktop's icon themes ask for
// them.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Draws the icon into the square (0, 0)-(32, 32) of `p`'s coordinates: the
// one drawing that every picture of the icon, the window's, the menu's and
// the scalable ones, is made from.
void drawIcon(QPainter& p, IconStyle style = IconStyle::colour);

// The icon at `size` x `size` pixels.
QImage programIconImage(int size);
// The icon at every size of kIconSizes.
QIcon programIcon();
// The About box picture, 61 x 53.
QImage aboutPicture();

}  // namespace artwork
