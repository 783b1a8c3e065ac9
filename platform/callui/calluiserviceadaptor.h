#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>

#include <functional>

namespace CallUi {

// The call-UI interface (data/dbus/com.velto.CallUi.xml) as a call service publishes it: a call
// request goes to the service's handler, which answers with the call id; the service's own
// CallAnswered, CallEnded, CommandCompleted and CommandFailed signals are relayed as they are
// (the service declares them with the same signatures). Shared by every call service, so that
// they cannot drift apart on the bus.
//
// Any peer may send a request: one whose account path, callee or contact name is longer than its
// bound (BusLimits::MaxObjectPathLength, MaxAddressLength, MaxNameLength) is answered with an
// InvalidArgs error and never reaches the handler, so that no service queues or keeps it. The
// error goes out on the session bus, where every call service publishes the interface.
class ServiceAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi")
public:
    using RequestHandler =
        std::function<QString(const QString &accountPath, const QString &accountId,
                              uint localContactId, const QString &contactName, bool video)>;

    ServiceAdaptor(QObject *service, RequestHandler handler);

public Q_SLOTS:
    QString RequestCallToContact(const QString &accountPath, const QString &accountId,
                                 uint localContactId, const QString &contactName, bool video,
                                 const QDBusMessage &message);

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);

private:
    RequestHandler m_handler;
};

} // namespace CallUi
