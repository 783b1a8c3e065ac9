// What a call-UI peer can hand over: the client takes no call id and keeps no text beyond its
// bound, and the service side refuses requests beyond theirs before a service sees them. Real
// messages on the test's bus, between connections of their own.
#include "buslimits.h"
#include "calluiserviceadaptor.h"
#include "calluiserviceapi.h"
#include "calluiservicenames.h"
#include "pendingcallrequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

// A call-UI service on a connection of its own: it answers requests with nextId.
class FakeCallUi : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.CallUi")
public:
    QString nextId;
public Q_SLOTS:
    QString RequestCallToContact(const QString &, const QString &, uint, const QString &, bool)
    {
        return nextId;
    }
};

class TestCallBounds : public QObject
{
    Q_OBJECT
private:
    QDBusConnection m_service{QString()};
    FakeCallUi m_fake;
    CallUi::CallUiServiceApi *m_api = nullptr;
    // The client's notifications, as "Name <id length>[ <message length>]".
    QStringList m_heard;

    void sendSignal(const QString &name, const QVariantList &args)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(CallUi::objectPath(), CallUi::interfaceName(), name);
        signal.setArguments(args);
        QVERIFY(m_service.send(signal));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_service = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                  QStringLiteral("fake-call-ui"));
        QVERIFY(m_service.registerObject(CallUi::objectPath(), &m_fake,
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(m_service.registerService(CallUi::serviceName()));
        m_api = new CallUi::CallUiServiceApi(this);
        const auto hear = [this](const char *name) {
            return [this, name](const QString &uid) {
                m_heard << QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(uid.size());
            };
        };
        connect(m_api, &CallUi::CallUiServiceApi::CallAnswered, this, hear("CallAnswered"));
        connect(m_api, &CallUi::CallUiServiceApi::CommandCompleted, this, hear("CommandCompleted"));
        connect(m_api, &CallUi::CallUiServiceApi::CommandFailed, this, hear("CommandFailed"));
        connect(
            m_api, &CallUi::CallUiServiceApi::CallEnded, this,
            [this](const QString &uid, int, int, const QString &message) {
                m_heard << QStringLiteral("CallEnded %1 %2").arg(uid.size()).arg(message.size());
            });
    }

    void shouldPassOnOnlyBoundedNotifications_data()
    {
        const int id = BusLimits::MaxCallIdLength;
        const int text = BusLimits::MaxTextLength;
        QTest::addColumn<QString>("signal");
        QTest::addColumn<int>("idLength");
        QTest::addColumn<int>("messageLength");
        QTest::addColumn<QString>("heard");
        QTest::newRow("answered, id at the bound")
            << "CallAnswered" << id << 0 << "CallAnswered 128";
        QTest::newRow("answered, id too long") << "CallAnswered" << id + 1 << 0 << "";
        QTest::newRow("completed, id too long") << "CommandCompleted" << id + 1 << 0 << "";
        QTest::newRow("failed, id at the bound")
            << "CommandFailed" << id << 0 << "CommandFailed 128";
        QTest::newRow("failed, 30 MB id") << "CommandFailed" << 30 * 1024 * 1024 << 0 << "";
        QTest::newRow("ended, message at the bound")
            << "CallEnded" << 10 << text << "CallEnded 10 1024";
        QTest::newRow("ended, 30 MB message cut")
            << "CallEnded" << 10 << 30 * 1024 * 1024 << "CallEnded 10 1024";
        QTest::newRow("ended, id too long") << "CallEnded" << id + 1 << 0 << "";
    }
    void shouldPassOnOnlyBoundedNotifications()
    {
        QFETCH(QString, signal);
        QFETCH(int, idLength);
        QFETCH(int, messageLength);
        QFETCH(QString, heard);
        m_heard.clear();
        const QString uid(idLength, QLatin1Char('c'));
        if (signal == QLatin1String("CallEnded"))
            sendSignal(signal, {uid, 0, 5, QString(messageLength, QLatin1Char('m'))});
        else
            sendSignal(signal, {uid});
        // Signals arrive in the order they were sent: the marker comes after the one tested.
        sendSignal(QStringLiteral("CommandCompleted"), {QStringLiteral("marker")});
        QTRY_VERIFY(m_heard.contains(QStringLiteral("CommandCompleted 6")));
        m_heard.removeAll(QStringLiteral("CommandCompleted 6"));
        QCOMPARE(m_heard.join(QStringLiteral(", ")), heard);
    }

    void shouldNotTakeCallIdBeyondItsBound_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("id at the bound") << int(BusLimits::MaxCallIdLength) << "id 128";
        QTest::newRow("id too long")
            << int(BusLimits::MaxCallIdLength) + 1 << "org.freedesktop.DBus.Error.InvalidArgs";
        QTest::newRow("30 MB id") << 30 * 1024 * 1024 << "org.freedesktop.DBus.Error.InvalidArgs";
    }
    void shouldNotTakeCallIdBeyondItsBound()
    {
        QFETCH(int, length);
        QFETCH(QString, outcome);
        m_fake.nextId = QString(length, QLatin1Char('c'));
        CallUi::PendingCallRequest *request = m_api->RequestCallToContact(
            QString(), QStringLiteral("0401234567"), 0, QString(), false);
        // Read when it finishes: the request deletes itself afterwards.
        QString result;
        connect(request, &CallUi::PendingCallRequest::finished, this,
                [&result](CallUi::PendingCallRequest *r) {
                    result = r->isError() ? r->errorName()
                                          : QStringLiteral("id %1").arg(r->callId().size());
                });
        QTRY_VERIFY_WITH_TIMEOUT(!result.isEmpty(), 15000);
        QCOMPARE(result, outcome);
    }

    void shouldRefuseRequestsBeyondTheirBounds_data()
    {
        const int path = BusLimits::MaxObjectPathLength;
        const int address = BusLimits::MaxAddressLength;
        const int name = BusLimits::MaxNameLength;
        QTest::addColumn<int>("pathLength");
        QTest::addColumn<int>("calleeLength");
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QString>("outcome");
        const QString refused = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
        QTest::newRow("every argument at its bound") << path << address << name << "placed";
        QTest::newRow("account path too long") << path + 1 << 10 << 0 << refused;
        QTest::newRow("callee too long") << 0 << address + 1 << 0 << refused;
        QTest::newRow("30 MB callee") << 0 << 30 * 1024 * 1024 << 0 << refused;
        QTest::newRow("contact name too long") << 0 << 10 << name + 1 << refused;
    }
    void shouldRefuseRequestsBeyondTheirBounds()
    {
        QFETCH(int, pathLength);
        QFETCH(int, calleeLength);
        QFETCH(int, nameLength);
        QFETCH(QString, outcome);
        // The adaptor as a call service publishes it on the session bus.
        QObject service;
        int handled = 0;
        new CallUi::ServiceAdaptor(
            &service, [&handled](const QString &, const QString &, uint, const QString &, bool) {
                ++handled;
                return QStringLiteral("call-1");
            });
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerObject(QStringLiteral("/adaptor"), &service,
                                   QDBusConnection::ExportAdaptors));
        QDBusMessage call = QDBusMessage::createMethodCall(
            bus.baseService(), QStringLiteral("/adaptor"), CallUi::interfaceName(),
            QStringLiteral("RequestCallToContact"));
        call << QString(pathLength, QLatin1Char('p')) << QString(calleeLength, QLatin1Char('5'))
             << 0u << QString(nameLength, QLatin1Char('n')) << false;
        // The adaptor answers from this thread's event loop, which the wait runs.
        const QDBusMessage reply = m_service.call(call, QDBus::BlockWithGui, 15000);
        bus.unregisterObject(QStringLiteral("/adaptor"));
        QCOMPARE(reply.type() == QDBusMessage::ErrorMessage ? reply.errorName()
                                                            : QStringLiteral("placed"),
                 outcome);
        // A refused request never reached the service.
        QCOMPARE(handled, outcome == QLatin1String("placed") ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestCallBounds)
#include "tst_callbounds.moc"
