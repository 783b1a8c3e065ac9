#pragma once

#include "mlistitem.h"

class MImageWidget;
class MLabel;
class MProgressIndicator;
class QGraphicsGridLayout;

// The call history page's header: the current call-type choice with a drop-down arrow, or a
// busy spinner while the history loads. Tapping it (clicked()) opens the choice list.
class CallHistoryTitle : public MListItem
{
    Q_OBJECT
public:
    explicit CallHistoryTitle(QGraphicsItem *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void setBusy(bool busy);
    bool isBusy() const;
    MLabel *label() const { return m_label; }
    MImageWidget *arrow() const { return m_arrow; }

private:
    MLabel *m_label;
    MImageWidget *m_arrow;
    MProgressIndicator *m_spinner;
    QGraphicsGridLayout *m_layout;
};
