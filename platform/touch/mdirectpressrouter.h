#pragma once

#include <QEvent>
#include <QGraphicsWidget>
#include <QPointer>

class MSceneManager;
class QGraphicsView;
class QMouseEvent;

// Takes a window's left-button presses on a direct press target of the current page (a key of
// a keypad, see MApplicationPage::addDirectPressTarget) straight to that target, and the moves,
// double clicks and release that follow to the same target. This skips the scene's search of
// every item under the finger and its delivery, which on a keypad cost more than the key's own
// work on each tap.
//
// It only takes a press where the scene would hand it to the same target the same way: nothing
// shown over the page (dialogs, sheets, banners, menus), no item holding the mouse, no other
// button down, the target visible, enabled and taking left presses, and neither the target nor
// an ancestor a panel or an item that takes focus on a click. What the scene does around the
// delivery is kept: ancestors filtering their children's events (a pannable viewport) see
// every event first, and a press clears the scene's focus as a tap on an item that takes no
// focus does. When another item takes the mouse during a routed press (a viewport starting to
// pan), or the target is hidden or disabled, the target is told at once that it lost the mouse
// and the rest goes through the scene.
class MDirectPressRouter : public QObject
{
    Q_OBJECT
public:
    MDirectPressRouter(QGraphicsView *view, MSceneManager *scenes, QObject *parent = nullptr);

    // Each returns whether it handled the event; when not, the view delivers it as usual.
    bool press(QMouseEvent *event);
    bool move(QMouseEvent *event);
    bool release(QMouseEvent *event);
    bool doubleClick(QMouseEvent *event);

    // The target the finger is on now, none between presses.
    QGraphicsWidget *target() const { return m_target; }
    // Presses taken straight to a target so far.
    int routedPresses() const { return m_routedPresses; }

private:
    QGraphicsWidget *targetAt(const QPointF &scenePos) const;
    // Whether the press still belongs to the target; when another item took the mouse, tells
    // the target and lets go.
    bool stillRouted();
    void route(QGraphicsWidget *target);
    // Lets go of the target, telling it that it lost the mouse.
    void letGo();
    bool deliver(QEvent::Type type, QMouseEvent *event);

    QGraphicsView *m_view;
    MSceneManager *m_scenes;
    QPointer<QGraphicsWidget> m_target;
    // Watch over the target's hiding and disabling while the finger is on it.
    QMetaObject::Connection m_hidden;
    QMetaObject::Connection m_disabled;
    QPointF m_downScenePos;
    QPoint m_downScreenPos;
    QPointF m_lastScenePos;
    QPoint m_lastScreenPos;
    int m_routedPresses = 0;
};
