#pragma once

#include "mapplicationpage.h"

#include <QList>

class QGraphicsItem;

// The call history's application page. When the user starts to pan a watched scrolling area
// in a direction in which it scrolls, the keyboard focus inside it is dropped, so the virtual
// keyboard of the search field closes as soon as the list moves. Events are never consumed.
class CallHistoryApplicationPage : public MApplicationPage
{
    Q_OBJECT
public:
    explicit CallHistoryApplicationPage(QGraphicsItem *parent = nullptr);

    void watchItem(QGraphicsItem *item);
    QList<QGraphicsItem *> watchedItems() const { return m_watched; }

protected:
    bool sceneEventFilter(QGraphicsItem *watched, QEvent *event) override;
    void createContent() override;

private:
    void panStarted(QGraphicsItem *watched, const QPointF &offset);

    QList<QGraphicsItem *> m_watched;
};
