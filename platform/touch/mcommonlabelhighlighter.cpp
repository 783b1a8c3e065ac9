#include "mcommonlabelhighlighter.h"

MCommonLabelHighlighter::MCommonLabelHighlighter(const QRegExp &regexp, QObject *parent)
    : MLabelHighlighter(parent), m_regexp(regexp)
{
}

QList<QPair<int, int>> MCommonLabelHighlighter::highlights(const QString &plainText) const
{
    QList<QPair<int, int>> parts;
    if (!m_regexp.isValid() || m_regexp.isEmpty())
        return parts;
    QRegExp rx(m_regexp);
    int pos = 0;
    while (pos <= plainText.size() && (pos = rx.indexIn(plainText, pos)) != -1) {
        const int len = rx.matchedLength();
        if (len <= 0) {
            ++pos;
            continue;
        }
        parts.append(qMakePair(pos, len));
        pos += len;
    }
    return parts;
}
