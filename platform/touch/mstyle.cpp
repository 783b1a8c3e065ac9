#include "mstyle.h"

QFont MStyle::font() const
{
    QFont f(fontFamily);
    f.setPixelSize(qMax(1, fontSize));
    f.setBold(bold);
    if (uppercase)
        f.setCapitalization(QFont::AllUppercase);
    if (letterSpacing != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}
