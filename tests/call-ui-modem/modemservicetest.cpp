#include "modemservicetest.h"

#include "eventfilter.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
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
    m_journalFolder.clear();
    QFile::remove(journalPath());
    m_log.clear();
    m_lastUid.clear();
}

void ModemServiceTest::cleanUpFiles()
{
    setWritable(m_store.path(), true);
    if (!m_journalFolder.isEmpty()) {
        setWritable(m_journalFolder, true);
        QDir(m_journalFolder).removeRecursively();
        QFile::remove(m_journalFolder);
    }
}

QString ModemServiceTest::journalPath() const
{
    return QDir(m_journalFolder.isEmpty() ? m_dir.path() : m_journalFolder)
        .filePath(QStringLiteral("calls.json"));
}

bool ModemServiceTest::startService(const QStringList &options)
{
    m_service.setProcessChannelMode(QProcess::ForwardedChannels);
    // Without its call screen: these cases check the bus and the history (tst_modemcallscreen
    // checks the screen, in one process with the service). With the screen, every ringing call
    // would also ring feedbackd, which without a sound card retries its ring tone at once, over
    // and over, and holds a loaded machine back for minutes.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"})
        environment.remove(QLatin1String(variable));
    m_service.setProcessEnvironment(environment);
    m_service.start(TestSupport::builtProgram("services/call-ui-modem/call-ui-modem-service"),
                    QStringList{QStringLiteral("--modem-bus"), QStringLiteral("session"),
                                QStringLiteral("--journal"), journalPath()} +
                        options);
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
        if (e.isBlocked())
            text += QStringLiteral(" blocked");
        list << text;
    }
    return list.join(QStringLiteral(", "));
}

QString ModemServiceTest::historyCounts()
{
    QMap<QString, int> counts;
    for (const QString &call : historyText().split(QStringLiteral(", "), Qt::SkipEmptyParts))
        ++counts[call.section(QLatin1Char(' '), 0, 0)];
    QStringList list;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        list << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
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

int ModemServiceTest::journalSize()
{
    QFile file(journalPath());
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).array().size()
                                          : 0;
}

bool ModemServiceTest::setWritable(const QString &path, bool writable)
{
    QFile::Permissions p = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    if (QFileInfo(path).isDir())
        p |= QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    return QFile::setPermissions(path, writable ? p | QFile::WriteOwner : p);
}
