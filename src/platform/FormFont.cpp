#include "FormFont.h"

#include <QStringList>

QFont FormFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
        QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"), QStringLiteral("VL PGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
