#include "testtelepathyaccounts.h"

#include "testsupport.h"

#include <TelepathyQt/PendingAccount>
#include <TelepathyQt/PendingOperation>
#include <TelepathyQt/PendingReady>
#include <TelepathyQt/Presence>
#include <TelepathyQt/Types>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

namespace {
const char CmBusName[] = "org.freedesktop.Telepathy.ConnectionManager.chtest";

// The connection manager file through which mission-control learns the test protocol.
const char ManagerFile[] = "[ConnectionManager]\n"
                           "Interfaces=\n"
                           "\n"
                           "[Protocol sip]\n"
                           "param-account=s required register\n"
                           "param-balance=b\n"
                           "default-balance=true\n"
                           "param-balance-amount=i\n"
                           "default-balance-amount=0\n"
                           "param-balance-scale=u\n"
                           "default-balance-scale=0\n"
                           "param-balance-currency=s\n"
                           "default-balance-currency=\n";
} // namespace

TestTelepathyAccounts::~TestTelepathyAccounts()
{
    if (m_cm.state() != QProcess::NotRunning) {
        m_cm.kill();
        m_cm.waitForFinished();
    }
}

bool TestTelepathyAccounts::start()
{
    const QString managers = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/telepathy/managers");
    QFile file(managers + QStringLiteral("/chtest.manager"));
    if (!QDir().mkpath(managers) || !file.open(QIODevice::WriteOnly) || file.write(ManagerFile) < 0)
        return false;
    file.close();

    m_cm.setProcessChannelMode(QProcess::ForwardedChannels);
    m_cm.start(TestSupport::builtProgram(QStringLiteral("tests/accounts/ch-test-telepathy-cm")),
               QStringList());
    if (!m_cm.waitForStarted() || !TestSupport::waitForBusName(QLatin1String(CmBusName)))
        return false;

    Tp::registerTypes();
    m_manager = Tp::AccountManager::create(QDBusConnection::sessionBus());
    return finish(m_manager->becomeReady());
}

Tp::AccountPtr TestTelepathyAccounts::createAccount(const QString &name,
                                                    const QVariantMap &parameters)
{
    Tp::PendingAccount *pending = m_manager->createAccount(
        QStringLiteral("chtest"), QStringLiteral("sip"), name, parameters,
        {{QStringLiteral("org.freedesktop.Telepathy.Account.Enabled"), true}});
    if (!finish(pending) || pending->isError())
        return Tp::AccountPtr();
    Tp::AccountPtr account = pending->account();
    return finish(account->becomeReady()) ? account : Tp::AccountPtr();
}

bool TestTelepathyAccounts::setOnline(const Tp::AccountPtr &account, bool online)
{
    if (!finish(account->setRequestedPresence(online ? Tp::Presence::available()
                                                     : Tp::Presence::offline())))
        return false;
    const Tp::ConnectionStatus wanted =
        online ? Tp::ConnectionStatusConnected : Tp::ConnectionStatusDisconnected;
    return QTest::qWaitFor([&] { return account->connectionStatus() == wanted; }, 20000);
}

bool TestTelepathyAccounts::setBalance(int amount, uint scale, const QString &currency)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(CmBusName), QStringLiteral("/com/velto/test/ConnectionManager"),
        QStringLiteral("com.velto.test.ConnectionManager"), QStringLiteral("SetBalance"));
    call << amount << scale << currency;
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
}

bool TestTelepathyAccounts::finish(Tp::PendingOperation *op, int timeout)
{
    return op && QTest::qWaitFor([op] { return op->isFinished(); }, timeout) && op->isValid();
}
