#pragma once

#include "testbalanceinterface.h"

#include <TelepathyQt/BaseConnection>
#include <TelepathyQt/BaseConnectionManager>
#include <TelepathyQt/BaseProtocol>

#include <QList>
#include <QObject>

// A Telepathy connection manager for the tests ("chtest", protocol "sip"), started by the tests
// on their private session bus; mission-control finds its protocol through a .manager file. Its connections connect at once
// and, unless the account parameter "balance" is false, carry the Balance interface with the
// balance given by the parameters "balance-amount", "balance-scale" and "balance-currency".
//
// The object /com/velto/test/ConnectionManager (interface com.velto.test.ConnectionManager)
// lets a test change the balance of every live connection: SetBalance(int amount, uint scale,
// string currency), which emits BalanceChanged on each.
class TestConnectionManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.test.ConnectionManager")
public:
    TestConnectionManager();
    bool registerOnBus();

public Q_SLOTS:
    Q_SCRIPTABLE void SetBalance(int amount, uint scale, const QString &currency);

private:
    Tp::BaseConnectionPtr createConnection(const QVariantMap &parameters, Tp::DBusError *error);
    void connectConnection(Tp::BaseConnection *connection, Tp::DBusError *error);
    void forget(Tp::BaseConnection *connection);
    QStringList inspectHandles(uint handleType, const Tp::UIntList &handles, Tp::DBusError *error);

    Tp::BaseConnectionManagerPtr m_manager;
    Tp::BaseProtocolPtr m_protocol;
    QList<Tp::BaseConnectionPtr> m_connections;
    QList<TestBalanceInterfacePtr> m_balances; // per connection, null without the interface
    QString m_selfId;
};
