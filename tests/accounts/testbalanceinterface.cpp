#include "testbalanceinterface.h"

#include <TelepathyQt/Constants>
#include <TelepathyQt/DBusObject>
#include <TelepathyQt/_gen/svc-connection.h>

TestBalanceInterface::TestBalanceInterface(const Tp::CurrencyAmount &balance)
    : Tp::AbstractConnectionInterface(TP_QT_IFACE_CONNECTION_INTERFACE_BALANCE), m_balance(balance)
{
}

void TestBalanceInterface::setBalance(const Tp::CurrencyAmount &balance)
{
    m_balance = balance;
    Q_EMIT balanceChanged(balance);
}

void TestBalanceInterface::createAdaptor()
{
    new Tp::Service::ConnectionInterfaceBalanceAdaptor(dbusObject()->dbusConnection(), this,
                                                       dbusObject());
}
