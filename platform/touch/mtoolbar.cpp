#include "mtoolbar.h"

#include "maction.h"
#include "mbutton.h"

#include <QActionGroup>
#include <QGraphicsLinearLayout>

const QString MToolBar::tabType = QStringLiteral("tab");
const QString MToolBar::defaultType = QStringLiteral("toolbar");

MToolBar::MToolBar(QGraphicsItem *parent)
    : MWidgetController(parent), m_viewType(defaultType),
      m_layout(new QGraphicsLinearLayout(Qt::Horizontal)), m_group(new QActionGroup(this))
{
    setStyleName(QStringLiteral("MToolBar"));
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    setLayout(m_layout);
    m_group->setExclusive(false);
}

void MToolBar::setViewType(const QString &type)
{
    m_viewType = type;
    const bool tabs = type == tabType;
    m_group->setExclusive(tabs);
    for (QAction *a : qAsConst(m_order))
        sync(a);
}

void MToolBar::addToolAction(QAction *action)
{
    if (!action || m_buttons.contains(action))
        return;
    auto *button = new MButton;
    m_buttons.insert(action, button);
    m_order.append(action);
    m_layout->addItem(button);
    if (m_viewType == tabType)
        m_group->addAction(action);
    connect(action, &QAction::changed, this, [this, action]() { sync(action); });
    connect(action, &QObject::destroyed, this, [this, action]() {
        m_order.removeAll(action);
        delete m_buttons.take(action);
    });
    // A tab that turns checked or unchecked repaints the whole bar: the page above changes with
    // it, and the window then repaints one rectangle, which is filled and copied much faster
    // than a page with a piece of the bar beside it.
    connect(button, &MButton::toggled, this, [this]() { update(); });
    connect(button, &MButton::clicked, this, [this, action]() {
        // A checked tab stays checked when tapped again, but still reports the tap.
        if (action->isCheckable() && action->isChecked() && action->actionGroup() &&
            action->actionGroup()->isExclusive())
            Q_EMIT action->triggered(true);
        else
            action->trigger();
        sync(action);
    });
    sync(action);
}

void MToolBar::removeToolAction(QAction *action)
{
    m_order.removeAll(action);
    m_group->removeAction(action);
    disconnect(action, nullptr, this, nullptr);
    if (MButton *b = m_buttons.take(action)) {
        m_layout->removeItem(b);
        delete b;
    }
}

MButton *MToolBar::buttonFor(QAction *action) const
{
    return m_buttons.value(action);
}

void MToolBar::sync(QAction *action)
{
    MButton *b = m_buttons.value(action);
    if (!b)
        return;
    if (m_viewType == tabType && !action->actionGroup())
        m_group->addAction(action);
    b->setStyleName(m_viewType == tabType ? QStringLiteral("MToolBarTab")
                                          : QStringLiteral("MToolBarButton"));
    if (auto *ma = qobject_cast<MAction *>(action))
        b->setIconID(ma->iconID());
    if (b->iconID().isEmpty())
        b->setText(action->text());
    b->setCheckable(action->isCheckable());
    b->setChecked(action->isChecked());
    b->setVisible(action->isVisible());
    b->setEnabled(action->isEnabled());
}
