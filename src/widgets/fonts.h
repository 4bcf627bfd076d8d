// The forms' font: a proportional Japanese gothic face at a pixel height.
#pragma once

#include <QFont>

namespace widgets {

// "ＭＳ Ｐゴシック" where it exists, else its metric-compatible stand-ins.
QFont gothicFont(int pixelSize);

}  // namespace widgets
