#include "testconnectionmanager.h"

#include <TelepathyQt/Constants>
#include <TelepathyQt/ProtocolParameterList>

#include <QDBusConnection>

TestConnectionManager::TestConnectionManager()
{
    m_protocol = Tp::BaseProtocol::create(QStringLiteral("sip"));
    const Tp::ConnMgrParamFlags withDefault(Tp::ConnMgrParamFlagHasDefault);
    Tp::ProtocolParameterList parameters;
    parameters << Tp::ProtocolParameter(QStringLiteral("account"), QStringLiteral("s"),
                                        Tp::ConnMgrParamFlags(Tp::ConnMgrParamFlagRequired |
                                                              Tp::ConnMgrParamFlagRegister))
               << Tp::ProtocolParameter(QStringLiteral("balance"), QStringLiteral("b"), withDefault,
                                        true)
               << Tp::ProtocolParameter(QStringLiteral("balance-amount"), QStringLiteral("i"),
                                        withDefault, 0)
               << Tp::ProtocolParameter(QStringLiteral("balance-scale"), QStringLiteral("u"),
                                        withDefault, 0u)
               << Tp::ProtocolParameter(QStringLiteral("balance-currency"), QStringLiteral("s"),
                                        withDefault, QString());
    m_protocol->setParameters(parameters);
    m_protocol->setConnectionInterfaces(QStringList() << TP_QT_IFACE_CONNECTION_INTERFACE_BALANCE);
    m_protocol->setCreateConnectionCallback(
        [this](const QVariantMap &parameters, Tp::DBusError *error) {
            return createConnection(parameters, error);
        });
    m_protocol->setIdentifyAccountCallback([](const QVariantMap &parameters, Tp::DBusError *) {
        return parameters.value(QStringLiteral("account")).toString();
    });

    m_manager = Tp::BaseConnectionManager::create(QStringLiteral("chtest"));
    m_manager->addProtocol(m_protocol);
}

bool TestConnectionManager::registerOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/com/velto/test/ConnectionManager"), this,
                            QDBusConnection::ExportScriptableSlots))
        return false;
    Tp::DBusError error;
    return m_manager->registerObject(&error);
}

Tp::BaseConnectionPtr TestConnectionManager::createConnection(const QVariantMap &parameters,
                                                              Tp::DBusError *)
{
    Tp::BaseConnectionPtr connection =
        Tp::BaseConnection::create(QStringLiteral("chtest"), QStringLiteral("sip"), parameters);
    m_selfId = parameters.value(QStringLiteral("account")).toString();
    connection->setSelfContact(1, m_selfId);
    Tp::BaseConnection *raw = connection.data();
    connection->setConnectCallback([raw](Tp::DBusError *) {
        raw->setStatus(Tp::ConnectionStatusConnected, Tp::ConnectionStatusReasonRequested);
    });
    // Disconnect() only announces the wish; the connection reports its end itself.
    connect(raw, &Tp::BaseConnection::disconnected, this, [this, raw] {
        raw->setStatus(Tp::ConnectionStatusDisconnected, Tp::ConnectionStatusReasonRequested);
        forget(raw);
    });
    connection->setInspectHandlesCallback(
        [this](uint handleType, const Tp::UIntList &handles, Tp::DBusError *error) {
            return inspectHandles(handleType, handles, error);
        });

    if (parameters.value(QStringLiteral("balance"), true).toBool()) {
        Tp::CurrencyAmount balance;
        balance.amount = parameters.value(QStringLiteral("balance-amount")).toInt();
        balance.scale = parameters.value(QStringLiteral("balance-scale")).toUInt();
        balance.currency = parameters.value(QStringLiteral("balance-currency")).toString();
        TestBalanceInterfacePtr interface(new TestBalanceInterface(balance));
        connection->plugInterface(Tp::AbstractConnectionInterfacePtr::qObjectCast(interface));
        m_balances << interface;
    } else {
        m_balances << TestBalanceInterfacePtr();
    }
    m_connections << connection;
    return connection;
}

void TestConnectionManager::forget(Tp::BaseConnection *connection)
{
    for (int i = 0; i < m_connections.size(); ++i) {
        if (m_connections.at(i).data() != connection)
            continue;
        m_connections.removeAt(i);
        m_balances.removeAt(i);
        return;
    }
}

QStringList TestConnectionManager::inspectHandles(uint, const Tp::UIntList &handles,
                                                  Tp::DBusError *)
{
    QStringList ids;
    for (uint handle : handles)
        ids << (handle == 1 ? m_selfId : QStringLiteral("contact%1").arg(handle));
    return ids;
}

void TestConnectionManager::SetBalance(int amount, uint scale, const QString &currency)
{
    Tp::CurrencyAmount balance;
    balance.amount = amount;
    balance.scale = scale;
    balance.currency = currency;
    for (const TestBalanceInterfacePtr &interface : qAsConst(m_balances))
        if (interface)
            interface->setBalance(balance);
}
