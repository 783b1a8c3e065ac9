#include "mapplicationwindow.h"

#include "maction.h"
#include "mapplication.h"
#include "mscenemanager.h"
#include "mtoolbar.h"

#include <QActionEvent>
#include <QCloseEvent>
#include <QGraphicsLayout>
#include <QGraphicsScene>

MApplicationWindow::MApplicationWindow(QWidget *parent) : MWindow(parent), m_toolBar(new MToolBar)
{
    scene()->addItem(m_toolBar);
    m_toolBar->setZValue(50);
    m_toolBar->hide();
    layoutChrome();
}

MApplicationPage *MApplicationWindow::currentPage() const
{
    return sceneManager()->currentPage();
}

void MApplicationWindow::setToolbarViewType(const QString &type)
{
    m_toolBar->setViewType(type);
}

QString MApplicationWindow::toolbarViewType() const
{
    return m_toolBar->viewType();
}

bool MApplicationWindow::toolBarShown() const
{
    return !m_toolBar->toolActions().isEmpty();
}

QRectF MApplicationWindow::pageArea() const
{
    const QSizeF s = sceneSize();
    const qreal bar = toolBarShown() ? m_toolBar->effectiveSizeHint(Qt::PreferredSize).height() : 0;
    return QRectF(0, 0, s.width(), s.height() - bar);
}

void MApplicationWindow::layoutChrome()
{
    const QSizeF s = sceneSize();
    const qreal bar = m_toolBar->effectiveSizeHint(Qt::PreferredSize).height();
    m_toolBar->setGeometry(QRectF(0, s.height() - bar, s.width(), bar));
    m_toolBar->setVisible(toolBarShown());
    if (QGraphicsLayout *layout = m_toolBar->layout())
        layout->activate();
}

void MApplicationWindow::actionEvent(QActionEvent *event)
{
    auto *action = qobject_cast<MAction *>(event->action());
    const bool onToolBar = action && (action->location() & MAction::ToolBarLocation);
    if (event->type() == QEvent::ActionAdded && onToolBar) {
        m_toolBar->addToolAction(action);
    } else if (event->type() == QEvent::ActionRemoved) {
        m_toolBar->removeToolAction(event->action());
    }
    layoutChrome();
    sceneManager()->relayout();
    MWindow::actionEvent(event);
}

void MApplicationWindow::closeEvent(QCloseEvent *event)
{
    MApplication *app = MApplication::instance();
    if (app && app->prestartMode() == M::LazyShutdown) {
        // Kept alive for the next launch: hidden, and back in the prestarted state.
        event->ignore();
        hide();
        MApplication::setPrestarted(true);
        return;
    }
    MWindow::closeEvent(event);
}
