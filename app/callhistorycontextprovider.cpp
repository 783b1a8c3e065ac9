#include "callhistorycontextprovider.h"

#include "contextproperty.h"
#include "mapplication.h"
#include "mwindow.h"

#include <QCoreApplication>
#include <QEvent>

namespace {
QPointer<CallHistoryContextProvider> s_instance;
}

CallHistoryContextProvider *CallHistoryContextProvider::instance()
{
    if (!s_instance)
        s_instance = new CallHistoryContextProvider(QCoreApplication::instance());
    return s_instance;
}

CallHistoryContextProvider::CallHistoryContextProvider(QObject *parent)
    : QObject(parent), m_inbox(nullptr),
      m_service(QDBusConnection::SessionBus, QStringLiteral("com.velto.CallHistory.Context"))
{
    m_inbox = new ContextProvider::Property(m_service, QStringLiteral("CallHistory.Inbox"), this);
    if (m_inbox->isSet())
        m_inbox->unsetValue();
    m_paintWait.setSingleShot(true);
    m_paintWait.setInterval(PaintWaitMs);
    connect(&m_paintWait, &QTimer::timeout, this, &CallHistoryContextProvider::publish);
}

CallHistoryContextProvider::~CallHistoryContextProvider()
{
    publish();
}

void CallHistoryContextProvider::setInbox(bool on)
{
    if (m_wanted == on)
        return;
    m_wanted = on;
    m_pending << on;
    if (m_scheduled)
        return;
    m_scheduled = true;
    MWindow *window = MApplication::activeWindow();
    if (window && window->isVisible()) {
        m_painted = window->viewport();
        m_painted->installEventFilter(this);
        m_paintWait.start();
    } else {
        QMetaObject::invokeMethod(this, &CallHistoryContextProvider::publish, Qt::QueuedConnection);
    }
}

bool CallHistoryContextProvider::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched == m_painted) {
        stopWatchingPaints();
        // Runs once this paint is done.
        QMetaObject::invokeMethod(this, &CallHistoryContextProvider::publish, Qt::QueuedConnection);
    }
    return false;
}

void CallHistoryContextProvider::stopWatchingPaints()
{
    m_paintWait.stop();
    if (m_painted)
        m_painted->removeEventFilter(this);
    m_painted = nullptr;
}

void CallHistoryContextProvider::publish()
{
    stopWatchingPaints();
    m_scheduled = false;
    const QList<bool> values = m_pending;
    m_pending.clear();
    for (const bool on : values)
        m_inbox->setValue(QVariant(on));
}
