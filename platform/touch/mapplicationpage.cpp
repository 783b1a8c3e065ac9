#include "mapplicationpage.h"

#include "mpannableviewport.h"

#include <QGraphicsLinearLayout>

MApplicationPage::MApplicationPage(QGraphicsItem *parent)
    : MSceneWindow(parent), m_layout(new QGraphicsLinearLayout(Qt::Vertical)),
      m_viewport(new MPannableViewport)
{
    setStyleName(QStringLiteral("ApplicationPage"));
    setFlag(QGraphicsItem::ItemIsFocusable);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addItem(m_viewport);
    setLayout(m_layout);
    connect(this, &MSceneWindow::appearing, this, &MApplicationPage::ensureContent);
}

void MApplicationPage::setTitle(const QString &title)
{
    m_title = title;
}

QGraphicsWidget *MApplicationPage::centralWidget()
{
    if (!m_central) {
        m_central = new QGraphicsWidget;
        m_viewport->setWidget(m_central);
    }
    return m_central;
}

void MApplicationPage::setCentralWidget(QGraphicsWidget *widget)
{
    if (m_central == widget)
        return;
    QGraphicsWidget *old = m_central;
    m_central = widget;
    m_viewport->setWidget(widget);
    delete old;
}

bool MApplicationPage::isPannable() const
{
    return m_viewport->isEnabledPanning();
}

void MApplicationPage::setPannable(bool pannable)
{
    m_viewport->setEnabled(pannable);
}

void MApplicationPage::addDirectPressTarget(QGraphicsWidget *target)
{
    m_directPressTargets.append(target);
}

QGraphicsWidget *MApplicationPage::directPressTargetAt(const QPointF &scenePos) const
{
    for (QGraphicsWidget *target : m_directPressTargets) {
        if (target && target->rect().contains(target->mapFromScene(scenePos)))
            return target;
    }
    return nullptr;
}

void MApplicationPage::createContent() {}

void MApplicationPage::retranslateUi()
{
    MSceneWindow::retranslateUi();
    Q_EMIT languageChanged();
}

void MApplicationPage::ensureContent()
{
    if (m_contentCreated)
        return;
    m_contentCreated = true;
    createContent();
}

void MApplicationPage::setOnDisplay(bool onDisplay)
{
    onDisplay = onDisplay && sceneWindowState() != Disappeared;
    if (onDisplay == m_onDisplay)
        return;
    m_onDisplay = onDisplay;
    if (onDisplay)
        Q_EMIT displayEntered();
    else
        Q_EMIT displayExited();
}
