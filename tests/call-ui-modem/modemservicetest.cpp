#include "modemservicetest.h"

#include "eventfilter.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

void ModemServiceTest::setUpStore()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(m_store.open());
    m_log.listen();
}

void ModemServiceTest::resetService()
{
    QVERIFY(m_store.deleteAll());
    QFile::remove(journalPath());
    m_log.clear();
    m_lastUid.clear();
}

bool ModemServiceTest::startService()
{
    m_service.setProcessChannelMode(QProcess::ForwardedChannels);
    m_service.start(TestSupport::builtProgram("services/call-ui-modem/call-ui-modem-service"),
                    {QStringLiteral("--modem-bus"), QStringLiteral("session"),
                     QStringLiteral("--journal"), journalPath()});
    return m_service.waitForStarted() && TestSupport::waitForBusName(CallUi, 15000);
}

QByteArray ModemServiceTest::serviceState() const
{
    if (m_service.state() != QProcess::NotRunning)
        return "still running without its bus name";
    return QStringLiteral("ended: %1, exit code %2")
        .arg(m_service.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                           : QStringLiteral("exited"))
        .arg(m_service.exitCode())
        .toUtf8();
}

void ModemServiceTest::killService()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    m_log.ignoreSender(bus->serviceOwner(CallUi));
    m_service.kill();
    m_service.waitForFinished();
    QVERIFY(TestSupport::waitForBusNameGone(CallUi));
}

QVariantList ModemServiceTest::callService(const QString &interface, const QString &method,
                                           const QVariantList &args)
{
    QDBusMessage msg = QDBusMessage::createMethodCall(CallUi, CallUiPath, interface, method);
    msg.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(msg, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QVariantList();
}

QString ModemServiceTest::request(const QString &account, const QString &number)
{
    const QVariantList r = callService(CallUi, QStringLiteral("RequestCallToContact"),
                                       {account, number, 0u, QString(), false});
    return r.isEmpty() ? QString() : r.first().toString();
}

bool ModemServiceTest::controlCall(const QString &method, const QString &uid)
{
    return callService(QStringLiteral("com.velto.CallUi.Modem"), method, {uid}).value(0).toBool();
}

QList<CommHistory::Event> ModemServiceTest::history()
{
    QList<CommHistory::Event> events;
    m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 100, &events);
    return events;
}

QString ModemServiceTest::historyText()
{
    QStringList list;
    for (const CommHistory::Event &e : history()) {
        const int kind = CommHistory::EventFilter::kindOf(e);
        const QString name = kind == CommHistory::EventFilter::Dialled  ? "dialled"
                             : kind == CommHistory::EventFilter::Missed ? "missed"
                                                                        : "received";
        QString text = name + QLatin1Char(' ') +
                       (e.remoteUid().isEmpty() ? QStringLiteral("withheld") : e.remoteUid()) +
                       (e.isRead() ? QStringLiteral(" read") : QStringLiteral(" unread"));
        if (e.localUid() != Cellular)
            text += QStringLiteral(" on ") + e.localUid();
        if (e.isEmergencyCall())
            text += QStringLiteral(" emergency");
        list << text;
    }
    return list.join(QStringLiteral(", "));
}

void ModemServiceTest::writeJournal(const QList<CallRecord> &records)
{
    QJsonArray array;
    for (const CallRecord &r : records)
        array.append(r.toJson());
    QFile file(journalPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(array).toJson());
}

bool ModemServiceTest::journalIsEmpty()
{
    QFile file(journalPath());
    return !file.open(QIODevice::ReadOnly) ||
           QJsonDocument::fromJson(file.readAll()).array().isEmpty();
}
