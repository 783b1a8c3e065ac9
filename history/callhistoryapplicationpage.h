#pragma once

#include "mapplicationpage.h"

#include <QList>
#include <QPointer>

class QGraphicsItem;
class QGraphicsObject;

// The call history's application page. When the user starts to pan a watched scrolling area
// in a direction in which it scrolls, the keyboard focus inside it is dropped, so the virtual
// keyboard of the search field closes as soon as the list moves. Events are never consumed.
//
// Watched items are followed by guarded pointers, so an item that is destroyed leaves the list
// and a new item is never mistaken for it. Limit: only graphics objects can be watched (plain
// graphics items cannot tell of their end); others are refused.
class CallHistoryApplicationPage : public MApplicationPage
{
    Q_OBJECT
public:
    explicit CallHistoryApplicationPage(QGraphicsItem *parent = nullptr);

    void watchItem(QGraphicsItem *item);
    // The watched items that still exist.
    QList<QGraphicsItem *> watchedItems() const;

protected:
    bool sceneEventFilter(QGraphicsItem *watched, QEvent *event) override;
    void createContent() override;

private:
    void panStarted(QGraphicsItem *watched, const QPointF &offset);
    bool isWatched(QGraphicsItem *item) const;

    QList<QPointer<QGraphicsObject>> m_watched;
};
