#include "mobjectmenu.h"

#include "mbutton.h"

#include <QAction>
#include <QGraphicsLinearLayout>
#include <QGraphicsSceneMouseEvent>
#include <QPointer>

MObjectMenu::MObjectMenu(const QList<QAction *> &actions, QGraphicsItem *parent)
    : MSceneWindow(parent), m_actions(actions)
{
    setStyleName(QStringLiteral("MObjectMenu"));
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical);
    layout->setContentsMargins(0, 8, 0, 8);
    layout->setSpacing(0);
    for (int i = 0; i < actions.size(); ++i) {
        auto *entry = new MButton(actions.at(i)->text());
        entry->setStyleName(QStringLiteral("MObjectMenuEntry"));
        entry->setEnabled(actions.at(i)->isEnabled());
        layout->addItem(entry);
        connect(entry, &MButton::clicked, this, [this, i]() { triggerEntry(i); });
        // An entry says what its action says now (a change of language renames actions).
        QAction *action = actions.at(i);
        connect(action, &QAction::changed, entry, [entry, action]() {
            entry->setText(action->text());
            entry->setEnabled(action->isEnabled());
        });
    }
    setLayout(layout);
}

void MObjectMenu::triggerEntry(int i)
{
    QPointer<QAction> action = m_actions.value(i);
    dismiss();
    if (action && action->isEnabled())
        action->trigger();
}

void MObjectMenu::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}
