#include "contactsengine.h"
#include "dbusmockprocess.h"
#include "event.h"
#include "eventstore.h"
#include "mapplication.h"
#include "missedcallnotifier.h"
#include "mlocale.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QDBusConnection>
#include <QSignalSpy>
#include <QtTest>

using namespace QtContacts;
using CommHistory::Event;

// The missed-call notification, against python-dbusmock's notification daemon template
// (python3 -m dbusmock --template notification_daemon; no notification server runs here), on a
// real history store and address book.
class TestMissedCallNotifier : public QObject
{
    Q_OBJECT
private:
    DBusMockProcess m_server{QStringLiteral("notification_daemon"),
                             QStringLiteral("org.freedesktop.Notifications"),
                             QStringLiteral("/org/freedesktop/Notifications")};
    CommHistory::EventStore m_store;

    Event missedCall(const QString &number, bool read)
    {
        static int minute = 0;
        Event e;
        e.setType(Event::CallEvent);
        e.setDirection(Event::Inbound);
        e.setIsMissedCall(true);
        e.setIsRead(read);
        e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
        e.setRemoteUid(number);
        const QDateTime at = QDateTime::currentDateTime().addSecs(60 * ++minute);
        e.setStartTime(at);
        e.setEndTime(at);
        return e;
    }

    // The notifications asked for, as "replaces|summary|body|actions|hints|timeout".
    QString notified()
    {
        QStringList out;
        for (const QString &call : m_server.methodCalls(QStringLiteral("Notify"))) {
            QStringList a = call.split(QLatin1Char(','));
            a.removeAt(2); // the icon
            a.removeAt(0); // the application name
            out << a.join(QLatin1Char('/'));
        }
        return out.join(QStringLiteral(" + "));
    }

    void markAllRead()
    {
        QList<Event> all;
        QVERIFY(m_store.events(CommHistory::EventFilter(), Event(), -1, &all));
        for (Event &e : all)
            e.setIsRead(true);
        QVERIFY(m_store.modifyEvents(all));
    }

private Q_SLOTS:
    void initTestCase()
    {
        MLocale locale(QStringLiteral("en_GB"));
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
        QContactManager book(ContactsEngine::ensureRegistered());
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Anna"));
        contact.saveDetail(&name);
        QContactPhoneNumber phone;
        phone.setNumber(QStringLiteral("+358 40 123 4567"));
        contact.saveDetail(&phone);
        QVERIFY(book.saveContact(&contact));
        QVERIFY(m_store.open());
    }

    void init()
    {
        QVERIFY(m_store.deleteAll());
        QVERIFY(m_server.start());
    }

    void cleanup() { m_server.stop(); }

    void shouldKeepOneNotificationOfTheUnreadMissedCalls_data()
    {
        QTest::addColumn<QStringList>("calls"); // number:read|unread, added one after the other
        QTest::addColumn<QString>("notified");
        const QString hints = QStringLiteral("{category=call.unanswered;desktop-entry=call-history;"
                                             "urgency=1}/0");
        QTest::newRow("one missed call of a contact")
            << QStringList{"0401234567:unread"}
            << "0/1 missed call/Anna/call-back|Call back/" + hints;
        QTest::newRow("a second one replaces it")
            << QStringList{"0401234567:unread", "0509876543:unread"}
            << "0/1 missed call/Anna/call-back|Call back/" + hints +
                   " + 1/2 missed calls/\u2066050 987 65 43\u2069/call-back|Call back/" + hints;
        QTest::newRow("a declined call is read: none") << QStringList{"0401234567:read"} << "";
        QTest::newRow("withheld: no call back")
            << QStringList{":unread"} << "0/1 missed call/Private number//" + hints;
        QTest::newRow("outside text escaped")
            << QStringList{"<b>1</b>:unread"}
            << "0/1 missed call/\u2066&lt;b&gt;1&lt;/b&gt;\u2069/call-back|Call back/" + hints;
    }
    void shouldKeepOneNotificationOfTheUnreadMissedCalls()
    {
        QFETCH(QStringList, calls);
        QFETCH(QString, notified);
        MissedCallNotifier notifier(QDBusConnection::sessionBus());
        QSignalSpy updated(&notifier, &MissedCallNotifier::updated);
        QVERIFY(updated.wait());
        QCOMPARE(notifier.count(), 0);
        for (const QString &call : calls) {
            updated.clear();
            Event e =
                missedCall(call.section(':', 0, 0), call.section(':', 1) == QLatin1String("read"));
            QVERIFY(m_store.addEvent(e));
            QVERIFY(updated.wait());
        }
        QCOMPARE(this->notified(), notified);
    }

    void shouldWithdrawItOnceTheMissedCallsAreRead()
    {
        Event call = missedCall(QStringLiteral("0401234567"), false);
        QVERIFY(m_store.addEvent(call));
        MissedCallNotifier notifier(QDBusConnection::sessionBus());
        QTRY_VERIFY(notifier.notificationId() > 0);
        const uint id = notifier.notificationId();
        markAllRead();
        QTRY_COMPARE(notifier.count(), 0);
        QCOMPARE(notifier.notificationId(), 0u);
        QCOMPARE(m_server.methodCalls(QStringLiteral("CloseNotification")),
                 QStringList{QString::number(id)});
    }

    void shouldCallBackFromTheNotification_data()
    {
        QTest::addColumn<bool>("ownNotification");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("requested");
        QTest::newRow("call back") << true << "call-back"
                                   << "0401234567";
        QTest::newRow("another action") << true << "default"
                                        << "";
        QTest::newRow("another program's notification") << false << "call-back"
                                                        << "";
    }
    void shouldCallBackFromTheNotification()
    {
        QFETCH(bool, ownNotification);
        QFETCH(QString, action);
        QFETCH(QString, requested);
        Event call = missedCall(QStringLiteral("0401234567"), false);
        QVERIFY(m_store.addEvent(call));
        MissedCallNotifier notifier(QDBusConnection::sessionBus());
        QSignalSpy callBack(&notifier, &MissedCallNotifier::callBackRequested);
        QTRY_VERIFY(notifier.notificationId() > 0);
        const uint id = ownNotification ? notifier.notificationId() : notifier.notificationId() + 7;
        QVERIFY(m_server.emitSignal(QStringLiteral("org.freedesktop.Notifications"),
                                    QStringLiteral("ActionInvoked"), QStringLiteral("us"),
                                    {id, action}));
        // Then the notifier's own call back, as a mark: the signals come in order.
        QVERIFY(m_server.emitSignal(QStringLiteral("org.freedesktop.Notifications"),
                                    QStringLiteral("ActionInvoked"), QStringLiteral("us"),
                                    {notifier.notificationId(), QStringLiteral("call-back")}));
        const int expected = requested.isEmpty() ? 1 : 2;
        QTRY_COMPARE(callBack.size(), expected);
        QCOMPARE(callBack.first().value(0).toString(),
                 requested.isEmpty() ? QStringLiteral("0401234567") : requested);
    }
};

CH_TOUCH_TEST_MAIN(TestMissedCallNotifier)
#include "tst_missedcallnotifier.moc"
