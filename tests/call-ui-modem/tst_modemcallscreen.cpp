#include "blocklist.h"
#include "callerfilter.h"
#include "callhistoryrecorder.h"
#include "calljournal.h"
#include "callscreen.h"
#include "callscreenbutton.h"
#include "callscreenpage.h"
#include "contactsengine.h"
#include "dialerkey.h"
#include "emergencynumbers.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "fakemodemmanager.h"
#include "mapplication.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlocale.h"
#include "modemcalluiservice.h"
#include "modemmanagerobjects.h"
#include "mwindow.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QDBusConnection>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

namespace {
const QString CellularAccount =
    QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
// MMCallState values.
enum { RingingOut = 2, RingingIn = 3, Active = 4, Held = 5, Waiting = 6, Terminated = 7 };
enum { Accepted = 3 };
} // namespace

// The modem service with its call screen, in one process, on a fake ModemManager
// (tests/support/fakemodemmanager.py): what a tap on the screen asks of ModemManager, and how
// the calls it has show on the screen.
class TestModemCallScreen : public QObject
{
    Q_OBJECT
private:
    FakeModemManager m_modem;
    QTemporaryDir m_dir;
    CommHistory::EventStore m_store;
    QScopedPointer<Cellular::ModemManagerObjects> m_objects;
    QScopedPointer<CallJournal> m_journal;
    QScopedPointer<CallHistoryRecorder> m_recorder;
    QScopedPointer<ModemCallUiService> m_service;
    QScopedPointer<CallScreen> m_screen;

    CallScreenPage *page() { return m_screen->page(); }

    void tap(QGraphicsWidget *w)
    {
        QVERIFY(w->isVisible());
        MWindow *window = m_screen->window();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // The fake's calls as "path state".
    QString state(const QString &call)
    {
        for (const QString &c : m_modem.calls())
            if (c.section(QLatin1Char(' '), 0, 0) == call)
                return c.section(QLatin1Char(' '), 1);
        return QStringLiteral("gone");
    }

    QString ring(const QString &number)
    {
        const QString call = m_modem.addIncomingCall(FakeModemManager::modemPath(0), number);
        [&] {
            QTRY_VERIFY(!m_screen->shownCall().isEmpty());
            QCOMPARE(page()->mode(), CallScreenPage::Ringing);
        }();
        return call;
    }

    // The store's calls, newest first, as "kind number read|unread".
    QString historyText()
    {
        QList<CommHistory::Event> events;
        m_store.events(CommHistory::EventFilter(), CommHistory::Event(), 100, &events);
        QStringList list;
        for (const CommHistory::Event &e : events) {
            const int kind = CommHistory::EventFilter::kindOf(e);
            list << QStringLiteral("%1 %2 %3")
                        .arg(kind == CommHistory::EventFilter::Dialled  ? "dialled"
                             : kind == CommHistory::EventFilter::Missed ? "missed"
                                                                        : "received",
                             e.remoteUid(), e.isRead() ? "read" : "unread");
        }
        return list.join(QStringLiteral(", "));
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
        name.setLastName(QStringLiteral("Virtanen"));
        contact.saveDetail(&name);
        QContactPhoneNumber phone;
        phone.setNumber(QStringLiteral("040 123 4567"));
        contact.saveDetail(&phone);
        QVERIFY(book.saveContact(&contact));
        QVERIFY(m_store.open());
    }

    void init()
    {
        QVERIFY(m_store.deleteAll());
        QVERIFY(m_modem.start());
        const QDBusConnection bus = QDBusConnection::sessionBus();
        m_objects.reset(new Cellular::ModemManagerObjects(bus));
        QFile::remove(m_dir.filePath(QStringLiteral("calls.json")));
        m_journal.reset(new CallJournal(m_dir.filePath(QStringLiteral("calls.json"))));
        QString error;
        QVERIFY2(m_journal->load(&error), qPrintable(error));
        m_recorder.reset(new CallHistoryRecorder(&m_store));
        m_service.reset(
            new ModemCallUiService(m_objects.data(), m_journal.data(), m_recorder.data(), nullptr));
        m_service->setTonePause(50);
        m_screen.reset(new CallScreen(m_service.data()));
        m_screen->setEndedDelay(0);
        QTRY_VERIFY(m_objects->isListed());
    }

    void cleanup()
    {
        m_screen.reset();
        m_service.reset();
        m_recorder.reset();
        m_journal.reset();
        m_objects.reset();
        m_modem.stop();
    }

    void shouldNameTheCallerAndAnswerOnTheModem()
    {
        const QString call = ring(QStringLiteral("+358401234567"));
        QTRY_COMPARE(page()->nameLabel()->text(), QStringLiteral("Anna Virtanen"));
        tap(page()->answerButton()->button());
        QTRY_COMPARE(state(call), QString::number(Active));
        QTRY_COMPARE(page()->mode(), CallScreenPage::InCall);
        // A key of the keypad reaches the modem as a tone.
        tap(page()->keypadButton()->button());
        QTRY_VERIFY(page()->isKeypadOpen());
        tap(page()->key(QLatin1Char('5')));
        tap(page()->key(QLatin1Char('#')));
        QTRY_COMPARE(m_modem.tones(call), QStringLiteral("5#"));
        tap(page()->hangupButton()->button());
        QTRY_COMPARE(historyText(), QStringLiteral("received +358401234567 read"));
        QVERIFY(!m_screen->window()->isVisible());
    }

    void shouldRecordADeclinedCallAsMissedButRead_data()
    {
        QTest::addColumn<bool>("decline");
        QTest::addColumn<QString>("history");
        QTest::newRow("declined") << true << "missed 0509876543 read";
        QTest::newRow("the caller gave up") << false << "missed 0509876543 unread";
    }
    void shouldRecordADeclinedCallAsMissedButRead()
    {
        QFETCH(bool, decline);
        QFETCH(QString, history);
        const QString call = ring(QStringLiteral("0509876543"));
        if (decline)
            tap(page()->declineButton()->button());
        else
            QVERIFY(m_modem.setCallState(call, Terminated, 4));
        QTRY_COMPARE(historyText(), history);
        QVERIFY(!m_screen->window()->isVisible());
    }

    // A blocked caller's call is ended before the screen hears of it: it never rings here (nor
    // sounds, nor notifies: it is kept as a read missed call); the next caller rings as before.
    void shouldNeverShowABlockedCall()
    {
        // The service's list follows dconf: the block is added elsewhere (as by
        // call-history-store) while the service runs.
        Blocking::BlockList list;
        CallerFilter filter(&list, nullptr, &m_store);
        m_service->setCallerFilter(&filter);
        Blocking::BlockList elsewhere;
        QString error;
        const auto unblock = qScopeGuard([&] {
            m_service->setCallerFilter(nullptr);
            elsewhere.remove(QStringLiteral("+358501234567"), &error);
        });
        QVERIFY2(elsewhere.add(QStringLiteral("+358501234567"), &error), qPrintable(error));
        QTRY_COMPARE(list.count(), 1);
        QSignalSpy added(m_service.data(), &CallScreenBackend::callAdded);
        QSignalSpy ended(m_service.data(), &CallScreenBackend::callEnded);
        const QString call = m_modem.addIncomingCall(FakeModemManager::modemPath(0),
                                                     QStringLiteral("+358501234567"));
        QTRY_COMPARE(historyText(), QStringLiteral("missed +358501234567 read"));
        QTRY_COMPARE(state(call), QStringLiteral("gone"));
        QCOMPARE(added.size(), 0);
        QCOMPARE(ended.size(), 0);
        QVERIFY(m_screen->shownCall().isEmpty());
        QVERIFY(!m_screen->window()->isVisible());
        ring(QStringLiteral("0509876543"));
        QCOMPARE(added.size(), 1);
    }

    void shouldOfferTheChoicesOfASecondCall_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("states"); // first call, second call
        QTest::newRow("hold and answer") << "hold"
                                         << "5 4";
        QTest::newRow("end and answer") << "end"
                                        << "gone 4";
        QTest::newRow("decline") << "decline"
                                 << "4 gone";
    }
    void shouldOfferTheChoicesOfASecondCall()
    {
        QFETCH(QString, choice);
        QFETCH(QString, states);
        const QString first = ring(QStringLiteral("0509876543"));
        tap(page()->answerButton()->button());
        QTRY_COMPARE(page()->mode(), CallScreenPage::InCall);
        const QString second =
            m_modem.addWaitingCall(FakeModemManager::modemPath(0), QStringLiteral("0401234567"));
        QTRY_COMPARE(page()->waitingLabel()->text(), QStringLiteral("Anna Virtanen"));
        tap(choice == QLatin1String("hold")  ? page()->holdAndAnswerButton()
            : choice == QLatin1String("end") ? page()->endAndAnswerButton()
                                             : page()->waitingDeclineButton());
        // An ended call is deleted from the modem once written.
        QTRY_COMPARE(state(first) + QLatin1Char(' ') + state(second), states);
        QTRY_VERIFY(!page()->isWaitingShown());
    }

    void shouldShowACallFromTheRequestAndSendTonesAfterThePause()
    {
        const QString uid = m_service->RequestCallToContact(
            CellularAccount, QStringLiteral("0401234567p12w3"), 0, QString(), false);
        // At once, before the modem even has the call.
        QVERIFY(m_screen->window()->isVisible());
        QCOMPARE(m_screen->shownCall(), uid);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Calling…"));
        QString call;
        QTRY_VERIFY(!(call = m_modem.calls().value(0).section(QLatin1Char(' '), 0, 0)).isEmpty());
        QTRY_COMPARE(state(call), QStringLiteral("1")); // dialling
        QVERIFY(m_modem.setCallState(call, RingingOut, 0));
        QTRY_COMPARE(page()->statusLabel()->text(), QStringLiteral("Ringing…"));
        QVERIFY(m_modem.setCallState(call, Active, Accepted));
        QTRY_COMPARE(m_modem.tones(call), QStringLiteral("123"));
        tap(page()->hangupButton()->button());
        // The number dialled is the part before the pause.
        QTRY_COMPARE(historyText(), QStringLiteral("dialled 0401234567 read"));
    }

    void shouldSayBusyWhenTheCalleeRefuses()
    {
        m_screen->setEndedDelay(60000);
        m_service->RequestCallToContact(CellularAccount, QStringLiteral("0401234567"), 0, QString(),
                                        false);
        QString call;
        QTRY_VERIFY(!(call = m_modem.calls().value(0).section(QLatin1Char(' '), 0, 0)).isEmpty());
        QTRY_COMPARE(state(call), QStringLiteral("1"));
        QVERIFY(m_modem.setCallState(call, Terminated, 5));
        QTRY_COMPARE(page()->mode(), CallScreenPage::Ended);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Busy"));
    }

    void shouldPlaceNothingForARequestGivenUpAtOnce()
    {
        QSignalSpy failed(m_service.data(), &ModemCallUiService::CommandFailed);
        m_service->RequestCallToContact(CellularAccount, QStringLiteral("0401234567"), 0, QString(),
                                        false);
        // The tap comes before the modem answered CreateCall.
        Q_EMIT page()->hangupTapped();
        QTRY_COMPARE(failed.size(), 1);
        QTRY_VERIFY(!m_screen->window()->isVisible());
        QTRY_COMPARE(m_modem.calls(), QStringList());
        QCOMPARE(historyText(), QString());
    }
};

CH_TOUCH_TEST_MAIN(TestModemCallScreen)
#include "tst_modemcallscreen.moc"
