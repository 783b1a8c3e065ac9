#pragma once

#include "mwidgetcontroller.h"

#include <QPointF>
#include <QTimer>

class MObjectMenu;

// A tappable row of a list. A tap emits clicked(). A press held still for longPressTime()
// milliseconds is a long press: the item gets a context menu event (to prepare its menu),
// emits longTapped(), and then shows its object menu: its actions placed in the object-menu
// location, those visible (objectMenuShown() tells who keeps track of pop-ups). A press that
// turns into a pan (the finger moves) is neither, and so is a press on an item that moved
// under the finger before it was lifted (a list that jumped): the finger is no longer where it
// was aimed.
class MListItem : public MWidgetController
{
    Q_OBJECT
public:
    explicit MListItem(QGraphicsItem *parent = nullptr);

    static int longPressTime() { return 700; }
    bool isDown() const { return m_down; }
    // The object menu now shown for this item, or null.
    MObjectMenu *objectMenu() const { return m_menu; }
    // Simulates a long press at the item's centre (keyboard menu key, tests).
    void longPress();

Q_SIGNALS:
    void clicked();
    void longTapped(const QPointF &position);
    // The object menu has just been shown (it deletes itself when done).
    void objectMenuShown(MObjectMenu *menu);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void ungrabMouseEvent(QEvent *event) override;
    void drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const override;

private:
    void onLongPressTimeout();
    void cancelPress();
    // Whether the item is still where it was when the press went down.
    bool stayedUnderFinger() const;

    QTimer m_longPress;
    QPointF m_pressPos;
    QPointF m_pressItemPos; // the item's origin in the scene at the press
    bool m_down = false;
    bool m_longPressed = false;
    MObjectMenu *m_menu = nullptr;
};
