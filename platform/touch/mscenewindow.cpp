#include "mscenewindow.h"

#include "mapplication.h"
#include "mscenemanager.h"
#include "mwindow.h"

MSceneWindow::MSceneWindow(QGraphicsItem *parent)
    : MWidgetController(parent), m_language(MApplication::languageGeneration())
{
    hide();
}

MSceneWindow::~MSceneWindow()
{
    if (m_manager)
        m_manager->forget(this);
}

MSceneManager *MSceneWindow::sceneManager() const
{
    return m_manager;
}

void MSceneWindow::appear(MWindow *window, MSceneWindow::DeletionPolicy policy)
{
    if (!window)
        window = MApplication::activeWindow();
    if (window)
        window->sceneManager()->appearSceneWindowNow(this, policy);
}

void MSceneWindow::appear(MSceneWindow::DeletionPolicy policy)
{
    appear(nullptr, policy);
}

void MSceneWindow::disappear()
{
    if (m_manager)
        m_manager->disappearSceneWindowNow(this);
}

bool MSceneWindow::dismiss()
{
    if (!dismissRequested())
        return false;
    Q_EMIT dismissed();
    if (m_manager)
        m_manager->dismissSceneWindowNow(this);
    else if (m_policy != KeepWhenDone)
        deleteLater();
    return true;
}

void MSceneWindow::retranslateUi()
{
    m_language = MApplication::languageGeneration();
}

void MSceneWindow::updateGeometry()
{
    MWidgetController::updateGeometry();
    if (!m_manager || m_state == Disappeared || m_relayoutQueued)
        return;
    m_relayoutQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this]() {
            m_relayoutQueued = false;
            if (m_manager && m_state != Disappeared)
                m_manager->relayoutWindow(this);
        },
        Qt::QueuedConnection);
}

void MSceneWindow::setSceneWindowState(SceneWindowState state)
{
    if (state == m_state)
        return;
    m_state = state;
    switch (state) {
    case Appearing:
        Q_EMIT appearing();
        break;
    case Appeared:
        Q_EMIT appeared();
        break;
    case Disappearing:
        Q_EMIT disappearing();
        break;
    case Disappeared:
        Q_EMIT disappeared();
        break;
    }
}
