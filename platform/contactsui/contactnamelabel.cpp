#include "contactnamelabel.h"

#include "mstyle.h"

ContactNameLabel::ContactNameLabel(QGraphicsItem *parent) : MLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

QSizeF ContactNameLabel::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which != Qt::MinimumSize && which != Qt::PreferredSize)
        return MLabel::sizeHint(which, constraint);
    const MStyle &s = style();
    if (m_hintStyle != &s || m_hintFontSize != s.fontSize) {
        // One line's height and no text's width: the hints of the same label without a name.
        MLabel empty;
        empty.setStyleName(styleName());
        empty.setTextFormat(Qt::PlainText);
        m_hints[0] = empty.effectiveSizeHint(Qt::MinimumSize);
        m_hints[1] = empty.effectiveSizeHint(Qt::PreferredSize);
        m_hintStyle = &s;
        m_hintFontSize = s.fontSize;
    }
    return m_hints[which == Qt::PreferredSize ? 1 : 0];
}

void ContactNameLabel::updateGeometry()
{
    const MStyle &s = style();
    if (m_hintStyle == &s && m_hintFontSize == s.fontSize)
        return;
    MLabel::updateGeometry();
}
