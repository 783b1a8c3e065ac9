#pragma once

#include "mwidgetcontroller.h"

#include <QHash>
#include <QPointer>

class MButton;
class QAction;
class QActionGroup;
class QGraphicsLinearLayout;

// The bar at the bottom of an application window: a button for each toolbar action. In the
// tab view type the actions are exclusive tabs; the checked one is marked.
class MToolBar : public MWidgetController
{
    Q_OBJECT
public:
    static const QString tabType;
    static const QString defaultType;

    explicit MToolBar(QGraphicsItem *parent = nullptr);

    QString viewType() const { return m_viewType; }
    void setViewType(const QString &type);
    void addToolAction(QAction *action);
    void removeToolAction(QAction *action);
    QList<QAction *> toolActions() const { return m_order; }
    // The button that shows an action (for tests and tap synthesis).
    MButton *buttonFor(QAction *action) const;

private:
    void sync(QAction *action);

    QString m_viewType;
    QGraphicsLinearLayout *m_layout;
    QActionGroup *m_group;
    QList<QAction *> m_order;
    QHash<QAction *, MButton *> m_buttons;
};
