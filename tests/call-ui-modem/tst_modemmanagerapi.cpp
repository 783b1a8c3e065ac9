#include "fakemodemmanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
const QString Interfaces = QStringLiteral("/usr/share/dbus-1/interfaces");

// The members of every interface in an introspection document, as
// "interface member" -> "method in>out" / "signal args" / "property type".
QMap<QString, QString> members(const QByteArray &xml)
{
    QMap<QString, QString> result;
    QXmlStreamReader r(xml);
    QString interface, member, kind, in, out;
    while (!r.atEnd()) {
        r.readNext();
        const QString name = r.name().toString();
        if (r.isStartElement()) {
            const QXmlStreamAttributes a = r.attributes();
            if (name == QLatin1String("interface")) {
                interface = a.value(QLatin1String("name")).toString();
            } else if (name == QLatin1String("method") || name == QLatin1String("signal")) {
                kind = name;
                member = a.value(QLatin1String("name")).toString();
                in.clear();
                out.clear();
            } else if (name == QLatin1String("arg")) {
                (a.value(QLatin1String("direction")) == QLatin1String("out") ? out : in) +=
                    a.value(QLatin1String("type")).toString();
            } else if (name == QLatin1String("property")) {
                result.insert(interface + QLatin1Char(' ') + a.value(QLatin1String("name")),
                              QStringLiteral("property ") + a.value(QLatin1String("type")));
            }
        } else if (r.isEndElement() &&
                   (name == QLatin1String("method") || name == QLatin1String("signal"))) {
            result.insert(interface + QLatin1Char(' ') + member,
                          kind == QLatin1String("method")
                              ? QStringLiteral("method %1>%2").arg(in, out)
                              : QStringLiteral("signal ") + in);
        }
    }
    return result;
}

// ModemManager's own interface descriptions (Debian's modemmanager-dev).
QMap<QString, QString> documented()
{
    QMap<QString, QString> all;
    const QDir dir(Interfaces);
    for (const QString &file :
         dir.entryList({QStringLiteral("org.freedesktop.ModemManager1*.xml")}, QDir::Files)) {
        QFile f(dir.filePath(file));
        if (f.open(QIODevice::ReadOnly))
            all.insert(members(f.readAll()));
    }
    return all;
}
} // namespace

// What the modem call-UI service and its fake ModemManager assume of ModemManager's D-Bus API,
// checked against the interface descriptions ModemManager 1.20 ships.
class TestModemManagerApi : public QObject
{
    Q_OBJECT
private:
    QMap<QString, QString> m_documented;

private Q_SLOTS:
    void initTestCase()
    {
        m_documented = documented();
        QVERIFY2(!m_documented.isEmpty(),
                 "ModemManager's interface descriptions are missing: install modemmanager-dev");
    }

    void shouldUseMembersAsDocumented_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("use");
        const QString voice = QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice ");
        const QString call = QStringLiteral("org.freedesktop.ModemManager1.Call ");
        QTest::newRow("create a call") << voice + "CreateCall"
                                       << "method a{sv}>o";
        QTest::newRow("delete a call") << voice + "DeleteCall"
                                       << "method o>";
        QTest::newRow("calls of a modem") << voice + "Calls"
                                          << "property ao";
        QTest::newRow("call added") << voice + "CallAdded"
                                    << "signal o";
        QTest::newRow("call deleted") << voice + "CallDeleted"
                                      << "signal o";
        QTest::newRow("start") << call + "Start"
                               << "method >";
        QTest::newRow("accept") << call + "Accept"
                                << "method >";
        QTest::newRow("hang up") << call + "Hangup"
                                 << "method >";
        QTest::newRow("send tones") << call + "SendDtmf"
                                    << "method s>";
        QTest::newRow("hold and accept") << voice + "HoldAndAccept"
                                         << "method >";
        QTest::newRow("hang up and accept") << voice + "HangupAndAccept"
                                            << "method >";
        QTest::newRow("state changed") << call + "StateChanged"
                                       << "signal iiu";
        QTest::newRow("state") << call + "State"
                               << "property i";
        QTest::newRow("state reason") << call + "StateReason"
                                      << "property i";
        QTest::newRow("direction") << call + "Direction"
                                   << "property i";
        QTest::newRow("number") << call + "Number"
                                << "property s";
        QTest::newRow("SIM of a modem") << "org.freedesktop.ModemManager1.Modem Sim"
                                        << "property o";
        QTest::newRow("emergency numbers") << "org.freedesktop.ModemManager1.Sim EmergencyNumbers"
                                           << "property as";
    }
    void shouldUseMembersAsDocumented()
    {
        QFETCH(QString, member);
        QFETCH(QString, use);
        QCOMPARE(m_documented.value(member), use);
    }

    // Every method and property the fake offers on a modem, its SIM and a call is one of
    // ModemManager's, with the same signature.
    void shouldFakeOnlyDocumentedMembers()
    {
        FakeModemManager fake;
        QVERIFY(fake.start(1));
        const QString call =
            fake.addIncomingCall(FakeModemManager::modemPath(0), QStringLiteral("123"));
        QVERIFY(!call.isEmpty());
        QStringList differing;
        int checked = 0;
        for (const QString &path : {FakeModemManager::modemPath(0),
                                    QStringLiteral("/org/freedesktop/ModemManager1/SIM/0"), call}) {
            QDBusMessage introspect = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.ModemManager1"), path,
                QStringLiteral("org.freedesktop.DBus.Introspectable"),
                QStringLiteral("Introspect"));
            const QDBusMessage reply = QDBusConnection::sessionBus().call(introspect);
            QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
            const QMap<QString, QString> faked = members(reply.arguments().first().toByteArray());
            for (auto it = faked.begin(); it != faked.end(); ++it) {
                if (!it.key().startsWith(QLatin1String("org.freedesktop.ModemManager1.")))
                    continue;
                ++checked;
                // The fake's properties are writable, ModemManager's read-only: types only.
                if (m_documented.value(it.key()) != it.value())
                    differing << it.key() + QStringLiteral(": ") + it.value() +
                                     QStringLiteral(" vs ") + m_documented.value(it.key());
            }
        }
        QCOMPARE(differing.join(QStringLiteral("; ")), QString());
        QVERIFY(checked >= 15);
    }
};

QTEST_GUILESS_MAIN(TestModemManagerApi)
#include "tst_modemmanagerapi.moc"
