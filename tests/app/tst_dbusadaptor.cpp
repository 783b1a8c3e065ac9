#include "buslimits.h"
#include "callhistorypage.h"
#include "contactpickerpage.h"
#include "dbusadaptor.h"
#include "dialerpage.h"
#include "dialerwidget.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "pagemanager.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

// The control interface, called over the bus from a connection of its own, as another program
// would.
class TestDBusAdaptor : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    QDBusConnection m_other{QString()};

    void send(const QString &method, const QVariantList &args = {})
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("/callhistory"),
            QStringLiteral("com.velto.telephony.callhistory"), method);
        msg.setArguments(args);
        msg.setAutoStartService(false);
        QVERIFY(m_other.send(msg));
    }
    PageManager *pm() { return PageManager::instance(); }

private Q_SLOTS:
    void initTestCase()
    {
        m_window = new MApplicationWindow;
        pm()->setWindow(m_window);
        new DBusAdaptor(qApp);
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.telephony.callhistory")));
        m_other = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                QStringLiteral("other-program"));
        QVERIFY(m_other.isConnected());
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
    }

    void shouldSwitchPageOnEachMethod_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<int>("type");
        QTest::newRow("dialer with digits") << "dialer" << QVariantList{"123"} << 2;
        QTest::newRow("callHistory without argument") << "callHistory" << QVariantList{} << 1;
        QTest::newRow("dialer without argument") << "dialer" << QVariantList{} << 2;
        QTest::newRow("contacts") << "contacts" << QVariantList{} << 3;
        QTest::newRow("callHistory forced") << "callHistory" << QVariantList{true} << 1;
        QTest::newRow("voicemail") << "voicemail" << QVariantList{} << 3;
    }
    void shouldSwitchPageOnEachMethod()
    {
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(int, type);
        pm()->showCallHistory();
        pm()->showDialer();
        m_window->hide();
        send(method, args);
        QTRY_COMPARE(pm()->currentPageType(), type);
        QTRY_VERIFY(m_window->isVisible());
    }

    void shouldAppendDigitsAndIgnoreEmptyOnes()
    {
        const QString before = pm()->dialerPage()->number();
        send(QStringLiteral("dialer"), {QStringLiteral("55")});
        send(QStringLiteral("dialer"), {QString()});
        send(QStringLiteral("dialer"), {QStringLiteral("66")});
        QTRY_COMPARE(pm()->dialerPage()->number(), before + QStringLiteral("5566"));
    }

    void shouldRefuseDigitsLongerThanANumber_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("taken");
        QTest::newRow("number at the bound") << int(BusLimits::MaxAddressLength) << true;
        QTest::newRow("one digit too many") << int(BusLimits::MaxAddressLength) + 1 << false;
        QTest::newRow("30 MB") << 30 * 1024 * 1024 << false;
    }
    void shouldRefuseDigitsLongerThanANumber()
    {
        QFETCH(int, length);
        QFETCH(bool, taken);
        pm()->showCallHistory();
        pm()->dialerPage()->dialerWidget()->setText(QStringLiteral("040"));
        const QString digits(length, QLatin1Char('5'));
        send(QStringLiteral("dialer"), {digits});
        // Calls are handled in the order they are sent: once this one is, the first was too.
        send(QStringLiteral("contacts"));
        QTRY_COMPARE(pm()->currentPageType(), int(PageManager::Contacts));
        // The keypad cuts what it takes at its own length limit; a refused number leaves it as
        // it was.
        const QString expected =
            taken ? (QStringLiteral("040") + digits).left(Dialer::DialerWidget::MaxLength)
                  : QStringLiteral("040");
        QCOMPARE(pm()->dialerPage()->number(), expected);
    }

    void shouldClearContactsFilterOnlyOverBus()
    {
        pm()->showCallHistory();
        pm()->contactPickerPage()->setFilter(QStringLiteral("mik"));
        send(QStringLiteral("contacts"));
        QTRY_COMPARE(pm()->currentPageType(), int(PageManager::Contacts));
        QCOMPARE(pm()->contactPickerPage()->filter(), QString());
    }

    void shouldRefuseWrongArgumentTypes()
    {
        pm()->showCallHistory();
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("/callhistory"),
            QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("dialer"));
        msg << 42 << QStringLiteral("x");
        const QDBusMessage reply = m_other.call(msg, QDBus::BlockWithGui, 5000);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY2(!reply.errorName().contains(QLatin1String("NoReply")),
                 qPrintable(reply.errorName()));
        QCOMPARE(pm()->currentPageType(), int(PageManager::CallHistory));
    }

    void shouldDeclareEveryMethodOneWay()
    {
        QDBusMessage msg = QDBusMessage::createMethodCall(
            QStringLiteral("com.velto.telephony.callhistory"), QStringLiteral("/callhistory"),
            QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
        const QDBusMessage reply = m_other.call(msg, QDBus::BlockWithGui, 5000);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QString xml = reply.arguments().value(0).toString();
        const int start = xml.indexOf(QLatin1String("<interface name=\"com.velto.telephony"));
        QVERIFY(start >= 0);
        xml = xml.mid(start, xml.indexOf(QLatin1String("</interface>"), start) - start);
        QCOMPARE(xml.count(QLatin1String("<method name=")), 6);
        QCOMPARE(xml.count(QLatin1String("org.freedesktop.DBus.Method.NoReply")), 6);
    }
};

CH_TOUCH_TEST_MAIN(TestDBusAdaptor)
#include "tst_dbusadaptor.moc"
