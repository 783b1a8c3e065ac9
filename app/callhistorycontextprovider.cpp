#include "callhistorycontextprovider.h"

#include "contextproperty.h"

#include <QCoreApplication>
#include <QPointer>

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
}

void CallHistoryContextProvider::setInbox(bool on)
{
    if (m_inbox->value().toBool() == on)
        return;
    m_inbox->setValue(QVariant(on));
}
