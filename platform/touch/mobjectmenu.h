#pragma once

#include "mscenewindow.h"

class QAction;

// The long-press menu of a list item: a card over the dimmed page with one entry per action.
// Tapping an entry triggers its action and closes the menu; a tap outside closes it. Entries
// follow their actions' texts while the menu is open.
class MObjectMenu : public MSceneWindow
{
    Q_OBJECT
public:
    explicit MObjectMenu(const QList<QAction *> &actions, QGraphicsItem *parent = nullptr);

    WindowType windowType() const override { return Dialog; }
    QList<QAction *> entries() const { return m_actions; }
    // Triggers entry i as a tap would.
    void triggerEntry(int i);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;

private:
    QList<QAction *> m_actions;
};
