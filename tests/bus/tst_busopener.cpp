#include "busopener.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QtTest>

// Answers its calls; the test uses it as a service of its own process.
class Echo : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.test.Echo")
public Q_SLOTS:
    QString echo(const QString &text) { return text; }
};

class TestBusOpener : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldHandOutTheSharedConnection()
    {
        const QDBusConnection bus = BusOpener::session();
        QVERIFY(bus.isConnected());
        QCOMPARE(bus.name(), QDBusConnection::sessionBus().name());
        QCOMPARE(BusOpener::session().baseService(), bus.baseService());
    }

    // The connection knows a name the bus granted as soon as the grant returns, before the event
    // loop ever ran: a call to that name is then answered within this process, in place. Had the
    // grant's report been held back, the record would change later, in Qt's own thread, while
    // this thread sends; and this call would go out to the bus and wait for an event loop.
    void shouldKnowAGrantedNameWhenTheGrantReturns()
    {
        QDBusConnection bus = BusOpener::session();
        Echo echo;
        QVERIFY(
            bus.registerObject(QStringLiteral("/echo"), &echo, QDBusConnection::ExportAllSlots));
        const QString name =
            QStringLiteral("com.velto.test.Echo%1").arg(QCoreApplication::applicationPid());
        // Through the bus interface alone: it records nothing itself, the bus's report does.
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> granted =
            bus.interface()->registerService(name);
        QCOMPARE(granted.value(), QDBusConnectionInterface::ServiceRegistered);

        QDBusMessage call = QDBusMessage::createMethodCall(name, QStringLiteral("/echo"),
                                                           QStringLiteral("com.velto.test.Echo"),
                                                           QStringLiteral("echo"));
        call << QStringLiteral("here");
        const QDBusMessage reply = bus.call(call, QDBus::Block, 2000);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(reply.arguments().value(0).toString(), QStringLiteral("here"));
        bus.interface()->unregisterService(name);
    }
};

QTEST_GUILESS_MAIN(TestBusOpener)
#include "tst_busopener.moc"
