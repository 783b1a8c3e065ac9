#pragma once

#include "mwidget.h"

class MLabel;
class MWidgetController;

// The sub-title line of a dialog header. It takes no room when empty, and styles the title
// above it (its companion) as a single-line title then, or as a title with a sub-title.
class SubtitleLabel : public MWidget
{
    Q_OBJECT
public:
    SubtitleLabel(QGraphicsItem *parent, MWidgetController *companion);

    QString text() const;
    void setText(const QString &text);

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;

private:
    MWidgetController *m_companion;
    MLabel *m_label;
};
