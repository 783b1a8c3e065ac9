#pragma once

#include "mlabelhighlighter.h"

#include <QRegExp>

// Highlights every match of a regular expression in a label's text.
class MCommonLabelHighlighter : public MLabelHighlighter
{
    Q_OBJECT
public:
    explicit MCommonLabelHighlighter(const QRegExp &regexp, QObject *parent = nullptr);

    QRegExp regexp() const { return m_regexp; }
    QList<QPair<int, int>> highlights(const QString &plainText) const override;

private:
    QRegExp m_regexp;
};
