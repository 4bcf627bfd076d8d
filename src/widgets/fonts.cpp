#include "widgets/fonts.h"

#include <QStringList>

namespace widgets {

QFont gothicFont(int pixelSize)
{
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                   QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::Normal);
    f.setStyle(QFont::StyleNormal);
    return f;
}

}  // namespace widgets
