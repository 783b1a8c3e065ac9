#pragma once

#include <QGraphicsRectItem>

class MSceneManager;

// The dark veil between the page and the pop-ups above it. A tap on it dismisses the topmost
// pop-up, as a tap outside a dialog does on a phone.
class MSceneDimmer : public QGraphicsRectItem
{
public:
    MSceneDimmer(MSceneManager *manager, QGraphicsItem *parent);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    MSceneManager *m_manager;
    bool m_pressed = false;
};
