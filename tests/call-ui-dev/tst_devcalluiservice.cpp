#include "callscreen.h"
#include "callscreenbutton.h"
#include "callscreenpage.h"
#include "dbusmockprocess.h"
#include "devcalluiservice.h"
#include "dialerkey.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mbutton.h"
#include "missedcallnotifier.h"
#include "mlabel.h"
#include "mlocale.h"
#include "mwindow.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

using Backend = CallScreenBackend;

// The development call-UI service with its call screen: calls placed show from the request on,
// calls rung in ring on the screen and are answered, declined or missed there, and each is
// written into the history as it ended.
class TestDevCallUiService : public QObject
{
    Q_OBJECT
private:
    DevCallUiService *m_service = nullptr;
    CallScreen *m_screen = nullptr;
    CommHistory::EventStore m_store;

    CallScreenPage *page() { return m_screen->page(); }

    void tap(QGraphicsWidget *w)
    {
        QVERIFY(w->isVisible());
        MWindow *window = m_screen->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // The store's calls, newest first, as "kind number read|unread".
    QString historyText()
    {
        QList<CommHistory::Event> events;
        m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 100, &events);
        QStringList list;
        for (const CommHistory::Event &e : events) {
            const int kind = CommHistory::EventFilter::kindOf(e);
            const QString name = kind == CommHistory::EventFilter::Dialled  ? "dialled"
                                 : kind == CommHistory::EventFilter::Missed ? "missed"
                                                                            : "received";
            list << name + QLatin1Char(' ') +
                        (e.remoteUid().isEmpty() ? QStringLiteral("withheld") : e.remoteUid()) +
                        (e.isRead() ? QStringLiteral(" read") : QStringLiteral(" unread"));
        }
        return list.join(QStringLiteral(", "));
    }

    static QString spied(const QSignalSpy &spy)
    {
        QStringList out;
        for (const QList<QVariant> &args : spy) {
            QStringList parts;
            for (const QVariant &a : args)
                parts << a.toString();
            out << parts.join(QLatin1Char(' '));
        }
        return out.join(QStringLiteral(", "));
    }

private Q_SLOTS:
    void initTestCase()
    {
        MLocale locale(QStringLiteral("en_GB"));
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
        QVERIFY(m_store.open());
    }

    void init()
    {
        CallSchedule schedule;
        schedule.answerAfter = -1;
        schedule.endAfter = -1;
        schedule.ringFor = -1;
        m_service = new DevCallUiService(schedule);
        QString error;
        QVERIFY2(m_service->openHistory(&error), qPrintable(error));
        m_screen = new CallScreen(m_service);
        m_screen->setEndedDelay(0);
        QVERIFY(m_store.deleteAll());
    }

    void cleanup()
    {
        delete m_screen;
        delete m_service;
    }

    void shouldPlayACallRungIn_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("taps"); // what the person and the far end do
        QTest::addColumn<QString>("ended");    // CallEnded's reason
        QTest::addColumn<QString>("history");
        QTest::newRow("answered, hung up here")
            << "0401234567" << QStringList{"answer", "hangup"} << "0"
            << "received 0401234567 read";
        QTest::newRow("answered, hung up there")
            << "0401234567" << QStringList{"answer", "remote"} << "0"
            << "received 0401234567 read";
        QTest::newRow("declined: missed, read") << "0401234567" << QStringList{"decline"} << "1"
                                                << "missed 0401234567 read";
        QTest::newRow("left to ring: missed, unread")
            << "0401234567" << QStringList{"remote"} << "2"
            << "missed 0401234567 unread";
        QTest::newRow("withheld") << "" << QStringList{"decline"} << "1"
                                  << "missed withheld read";
    }
    void shouldPlayACallRungIn()
    {
        QFETCH(QString, number);
        QFETCH(QStringList, taps);
        QFETCH(QString, ended);
        QFETCH(QString, history);
        QSignalSpy answered(m_service, &DevCallUiService::CallAnswered);
        QSignalSpy endedSpy(m_service, &DevCallUiService::CallEnded);
        QString error;
        const QString uid = m_service->Ring(number, &error);
        QVERIFY2(!uid.isEmpty(), qPrintable(error));
        QVERIFY(m_screen->window()->isVisible());
        QCOMPARE(page()->mode(), CallScreenPage::Ringing);
        for (const QString &step : taps) {
            if (step == QLatin1String("answer")) {
                tap(page()->answerButton()->button());
                QTRY_COMPARE(spied(answered), uid);
                QCOMPARE(page()->mode(), CallScreenPage::InCall);
            } else if (step == QLatin1String("hangup")) {
                tap(page()->hangupButton()->button());
            } else if (step == QLatin1String("decline")) {
                tap(page()->declineButton()->button());
            } else {
                QVERIFY(m_service->EndRemote(uid));
            }
        }
        QTRY_COMPARE(spied(endedSpy), uid + QLatin1Char(' ') + ended + QStringLiteral(" 0 "));
        QVERIFY(!m_screen->window()->isVisible());
        QCOMPARE(historyText(), history);
        QVERIFY(!m_service->EndRemote(uid));
    }

    void shouldRefuseWhatIsNoNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("letters") << "call me";
        QTest::newRow("markup") << "<b>1</b>";
        QTest::newRow("too long") << QString(41, QLatin1Char('1'));
    }
    void shouldRefuseWhatIsNoNumber()
    {
        QFETCH(QString, number);
        QString error;
        QCOMPARE(m_service->Ring(number, &error), QString());
        QVERIFY(!error.isEmpty());
        QVERIFY(!m_screen->window()->isVisible());
    }

    void shouldShowACallFromTheRequestOn()
    {
        m_service->SetSchedule(-1, -1, false);
        const QString uid = m_service->RequestCallToContact(
            QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"),
            QStringLiteral("0501112222"), 0, QString(), false);
        QVERIFY(m_screen->window()->isVisible());
        QCOMPARE(m_screen->shownCall(), uid);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Calling…"));
        QTRY_COMPARE(page()->statusLabel()->text(), QStringLiteral("Ringing…"));
        // Written when the request completed; hanging up does not write it again.
        QSignalSpy ended(m_service, &DevCallUiService::CallEnded);
        tap(page()->hangupButton()->button());
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(historyText(), QStringLiteral("dialled 0501112222 read"));
    }

    void shouldSayBusyWhenTheCalleeRefuses()
    {
        m_screen->setEndedDelay(60000);
        m_service->SetSchedule(-1, -1, false);
        const QString uid = m_service->RequestCallToContact(QString(), QStringLiteral("0501112222"),
                                                            0, QString(), false);
        QVERIFY(m_service->EndRemote(uid));
        QCOMPARE(page()->mode(), CallScreenPage::Ended);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Busy"));
    }

    void shouldSendTonesOfTheKeypad()
    {
        QSignalSpy tones(m_service, &DevCallUiService::tonesSent);
        QString error;
        const QString uid = m_service->Ring(QStringLiteral("0401234567"), &error);
        tap(page()->answerButton()->button());
        QTRY_COMPARE(page()->mode(), CallScreenPage::InCall);
        tap(page()->keypadButton()->button());
        QTRY_VERIFY(page()->isKeypadOpen());
        tap(page()->key(QLatin1Char('7')));
        tap(page()->key(QLatin1Char('#')));
        QTRY_COMPARE(spied(tones), uid + QStringLiteral(" 7, ") + uid + QStringLiteral(" #"));
    }

    void shouldHoldOrEndTheRunningCallForASecondOne_data()
    {
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QString>("calls"); // after the choice
        QTest::newRow("hold and answer") << true << "2";
        QTest::newRow("end and answer") << false << "1";
    }
    void shouldHoldOrEndTheRunningCallForASecondOne()
    {
        QFETCH(bool, hold);
        QFETCH(QString, calls);
        QString error;
        const QString first = m_service->Ring(QStringLiteral("0401234567"), &error);
        tap(page()->answerButton()->button());
        QTRY_COMPARE(page()->mode(), CallScreenPage::InCall);
        const QString second = m_service->Ring(QStringLiteral("0509876543"), &error);
        QVERIFY(page()->isWaitingShown());
        tap(hold ? page()->holdAndAnswerButton() : page()->endAndAnswerButton());
        QTRY_COMPARE(m_screen->shownCall(), second);
        QCOMPARE(QString::number(m_screen->calls().size()), calls);
        QCOMPARE(page()->heldLabel()->isVisible(), hold);
        QVERIFY(!page()->isWaitingShown());
        Q_UNUSED(first);
    }

    // python-dbusmock's notification daemon template stands in for the desktop's.
    void shouldCallBackFromTheMissedCallNotification()
    {
        DBusMockProcess server(QStringLiteral("notification_daemon"),
                               QStringLiteral("org.freedesktop.Notifications"),
                               QStringLiteral("/org/freedesktop/Notifications"));
        QVERIFY(server.start());
        MissedCallNotifier notifier(QDBusConnection::sessionBus());
        connect(&notifier, &MissedCallNotifier::callBackRequested, m_service,
                &DevCallUiService::callBack);
        QString error;
        const QString uid = m_service->Ring(QStringLiteral("0401234567"), &error);
        QVERIFY(m_service->EndRemote(uid));
        QTRY_VERIFY(notifier.notificationId() > 0);
        QCOMPARE(notifier.count(), 1);
        QSignalSpy requested(m_service, &DevCallUiService::callRequested);
        QVERIFY(server.emitSignal(QStringLiteral("org.freedesktop.Notifications"),
                                  QStringLiteral("ActionInvoked"), QStringLiteral("us"),
                                  {notifier.notificationId(), QStringLiteral("call-back")}));
        QTRY_COMPARE(requested.size(), 1);
        QCOMPARE(requested.first().value(2).toString(), QStringLiteral("0401234567"));
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Calling…"));
        QVERIFY(m_screen->window()->isVisible());
    }

    // Over the bus, as scripts/ring and a person use it.
    void shouldRingFromTheBus()
    {
        QProcess service;
        service.setProcessChannelMode(QProcess::ForwardedChannels);
        service.start(TestSupport::builtProgram("services/call-ui-dev/call-ui-dev-service"),
                      {QStringLiteral("--ring-for"), QStringLiteral("100")});
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi"), 15000));
        const auto ring = [](const QString &number) {
            QDBusMessage msg = QDBusMessage::createMethodCall(
                QStringLiteral("com.velto.CallUi"), QStringLiteral("/com/velto/CallUi"),
                QStringLiteral("com.velto.CallUi.Development"), QStringLiteral("Ring"));
            msg << number;
            return QDBusConnection::sessionBus().call(msg, QDBus::Block, 5000);
        };
        const QDBusMessage refused = ring(QStringLiteral("x"));
        QCOMPARE(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        // Left to ring, the caller gives up: a missed call.
        const QDBusMessage rung = ring(QStringLiteral("+358401234567"));
        QCOMPARE(rung.type(), QDBusMessage::ReplyMessage);
        QVERIFY(rung.arguments().value(0).toString().startsWith(QStringLiteral("devcall-")));
        QTRY_COMPARE(historyText(), QStringLiteral("missed +358401234567 unread"));
        service.terminate();
        QVERIFY(service.waitForFinished());
    }
};

CH_TOUCH_TEST_MAIN(TestDevCallUiService)
#include "tst_devcalluiservice.moc"
