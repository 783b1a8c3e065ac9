#include "avatarwidget.h"
#include "callscreen.h"
#include "callscreenbutton.h"
#include "callscreenpage.h"
#include "contactsengine.h"
#include "dialerkey.h"
#include "mapplication.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlocale.h"
#include "mwindow.h"
#include "recordingbackend.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QSignalSpy>
#include <QtTest>

using namespace QtContacts;
using Backend = CallScreenBackend;

namespace {
const QString Anna = QStringLiteral("+358 40 123 4567");
const QString Stranger = QStringLiteral("0509876543");
} // namespace

// The call screen on a recording call service and a real address book: what it shows for each
// kind of call and state, and what a tap asks of the service.
class TestCallScreen : public QObject
{
    Q_OBJECT
private:
    RecordingBackend *m_backend = nullptr;
    CallScreen *m_screen = nullptr;

    CallScreenPage *page() { return m_screen->page(); }

    void setLanguage(const QString &name)
    {
        MLocale locale(name);
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
    }

    void tap(QGraphicsWidget *w)
    {
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
        MWindow *window = m_screen->window();
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // Adds a call and waits until the screen shows it, with its caller's name when the address
    // book knows the number.
    void addCall(const QString &id, const QString &number, Backend::Direction direction,
                 Backend::State state, const QString &name = QString())
    {
        Q_EMIT m_backend->callAdded(id, number, direction, state);
        QVERIFY(m_screen->window()->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(m_screen->window()));
        if (!name.isEmpty())
            QTRY_COMPARE(page()->nameLabel()->text(), name);
    }

    void shoot(const QString &name)
    {
        // The avatar's contact is read asynchronously; the picture waits for it.
        QVERIFY(QTest::qWaitForWindowExposed(m_screen->window()));
        QCoreApplication::processEvents();
        TestSupport::saveScreenshot(m_screen->window(), name);
    }

    QString visibleButtons()
    {
        QStringList shown;
        const QList<QPair<QString, QGraphicsWidget *>> buttons{
            {"decline", page()->declineButton()},
            {"answer", page()->answerButton()},
            {"mute", page()->muteButton()},
            {"keypad", page()->keypadButton()},
            {"speaker", page()->speakerButton()},
            {"hangup", page()->hangupButton()},
            {"key5", page()->key(QLatin1Char('5'))},
            {"endAndAnswer", page()->endAndAnswerButton()},
            {"holdAndAnswer", page()->holdAndAnswerButton()},
            {"waitingDecline", page()->waitingDeclineButton()}};
        for (const auto &button : buttons) {
            if (button.second->isVisible())
                shown << button.first;
        }
        return shown.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QContactManager book(ContactsEngine::ensureRegistered());
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Anna"));
        name.setLastName(QStringLiteral("Virtanen"));
        contact.saveDetail(&name);
        QContactPhoneNumber phone;
        phone.setNumber(Anna);
        contact.saveDetail(&phone);
        QVERIFY(book.saveContact(&contact));
        setLanguage(QStringLiteral("en_GB"));
    }

    void init()
    {
        m_backend = new RecordingBackend;
        m_screen = new CallScreen(m_backend);
        m_screen->setEndedDelay(0);
    }

    void cleanup()
    {
        delete m_screen;
        delete m_backend;
    }

    void shouldBeReadyButHiddenWithoutCalls()
    {
        QVERIFY(!m_screen->window()->isVisible());
        QVERIFY(page()->sceneWindowState() == MSceneWindow::Appeared);
        QCOMPARE(m_screen->shownCall(), QString());
    }

    void shouldShowTheCaller_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<bool>("contact");
        QTest::addColumn<QString>("shot");
        // The history's matching: the same number written nationally.
        QTest::newRow("known caller")
            << QStringLiteral("0401234567") << QStringLiteral("Anna Virtanen")
            << QStringLiteral("\u2066040 123 45 67\u2069") << true
            << QStringLiteral("callscreen-ringing-known");
        QTest::newRow("unknown caller")
            << Stranger << QStringLiteral("\u2066050 987 65 43\u2069") << QString() << false
            << QStringLiteral("callscreen-ringing-unknown");
        QTest::newRow("private number")
            << QString() << QStringLiteral("Private number") << QString() << false
            << QStringLiteral("callscreen-ringing-private");
        QTest::newRow("outside text stays plain")
            << QStringLiteral("<b>12</b>") << QStringLiteral("\u2066<b>12</b>\u2069") << QString()
            << false << QString();
    }
    void shouldShowTheCaller()
    {
        QFETCH(QString, number);
        QFETCH(QString, title);
        QFETCH(QString, subtitle);
        QFETCH(bool, contact);
        QFETCH(QString, shot);
        addCall(QStringLiteral("c1"), number, Backend::Incoming, Backend::Ringing,
                contact ? title : QString());
        QCOMPARE(page()->mode(), CallScreenPage::Ringing);
        QCOMPARE(page()->nameLabel()->text(), title);
        QCOMPARE(page()->nameLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(page()->numberLabel()->text(), subtitle);
        QCOMPARE(page()->numberLabel()->isVisible(), !subtitle.isEmpty());
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Incoming call"));
        QCOMPARE(visibleButtons(), QStringLiteral("decline answer"));
        if (contact)
            QTRY_VERIFY(!page()->avatar()->initials().isEmpty());
        if (!shot.isEmpty())
            shoot(shot);
    }

    void shouldHandTapsToTheService_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("requests");
        QTest::newRow("answer") << int(Backend::Ringing) << "answer"
                                << "answer(c1)";
        QTest::newRow("decline") << int(Backend::Ringing) << "decline"
                                 << "decline(c1)";
        QTest::newRow("hang up a call") << int(Backend::Active) << "hangup"
                                        << "hangup(c1)";
        QTest::newRow("give up a call being placed") << int(Backend::Dialing) << "hangup"
                                                     << "hangup(c1)";
        QTest::newRow("tone on an active call") << int(Backend::Active) << "5"
                                                << "dtmf(c1,5)";
        QTest::newRow("no tone before the answer") << int(Backend::Alerting) << "5"
                                                   << "";
    }
    void shouldHandTapsToTheService()
    {
        QFETCH(int, state);
        QFETCH(QString, button);
        QFETCH(QString, requests);
        addCall(QStringLiteral("c1"), Stranger, Backend::Outgoing, Backend::State(state));
        QGraphicsWidget *target = nullptr;
        if (button == QLatin1String("answer"))
            target = page()->answerButton()->button();
        else if (button == QLatin1String("decline"))
            target = page()->declineButton()->button();
        else if (button == QLatin1String("hangup"))
            target = page()->hangupButton()->button();
        if (target) {
            tap(target);
        } else {
            tap(page()->keypadButton()->button());
            QTRY_VERIFY(page()->isKeypadOpen());
            tap(page()->key(button.at(0)));
        }
        QTRY_COMPARE(m_backend->requests.join(QLatin1Char(' ')), requests);
        // The tones sent are listed above the keys.
        QCOMPARE(page()->tonesLabel()->text(), requests.startsWith("dtmf") ? button : QString());
    }

    void shouldShowTheStateOfACall()
    {
        addCall(QStringLiteral("c1"), Stranger, Backend::Outgoing, Backend::Dialing);
        QCOMPARE(page()->mode(), CallScreenPage::InCall);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Calling…"));
        QCOMPARE(visibleButtons(), QStringLiteral("mute keypad speaker hangup"));
        Q_EMIT m_backend->callStateChanged(QStringLiteral("c1"), Backend::Alerting);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("Ringing…"));
        Q_EMIT m_backend->callStateChanged(QStringLiteral("c1"), Backend::Active);
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("\u2066\u202d0:00\u202c\u2069"));
        // The talk time counts on.
        QTRY_COMPARE_WITH_TIMEOUT(page()->statusLabel()->text(),
                                  QStringLiteral("\u2066\u202d0:01\u202c\u2069"), 3000);
        shoot(QStringLiteral("callscreen-incall"));
    }

    void shouldKeepHangupInReachWithTheKeypadOpen()
    {
        addCall(QStringLiteral("c1"), Anna, Backend::Incoming, Backend::Active,
                QStringLiteral("Anna Virtanen"));
        tap(page()->keypadButton()->button());
        QTRY_VERIFY(page()->isKeypadOpen());
        QVERIFY(page()->keypadButton()->isChecked());
        QCOMPARE(visibleButtons(), QStringLiteral("mute keypad speaker hangup key5"));
        for (const QChar key : QStringLiteral("12#"))
            tap(page()->key(key));
        QTRY_COMPARE(m_backend->requests.join(QLatin1Char(' ')),
                     QStringLiteral("dtmf(c1,1) dtmf(c1,2) dtmf(c1,#)"));
        QCOMPARE(page()->tonesLabel()->text(), QStringLiteral("12#"));
        // Every key lies inside the window, and the hang-up button below the keys.
        const QRectF window(QPointF(0, 0), m_screen->window()->size());
        const QRectF hangup =
            page()->hangupButton()->mapRectToScene(page()->hangupButton()->rect());
        const QRectF hash =
            page()->key(QLatin1Char('#'))->mapRectToScene(page()->key(QLatin1Char('#'))->rect());
        QVERIFY(window.contains(hangup));
        QVERIFY(hash.bottom() <= hangup.top());
        shoot(QStringLiteral("callscreen-keypad"));
        tap(page()->hangupButton()->button());
        QTRY_VERIFY(m_backend->requests.endsWith(QStringLiteral("hangup(c1)")));
    }

    void shouldStartEveryCallWithMuteAndSpeakerOff()
    {
        addCall(QStringLiteral("c1"), Anna, Backend::Outgoing, Backend::Active,
                QStringLiteral("Anna Virtanen"));
        tap(page()->muteButton()->button());
        tap(page()->speakerButton()->button());
        QTRY_VERIFY(page()->muteButton()->isChecked());
        QTRY_VERIFY(page()->speakerButton()->isChecked());
        shoot(QStringLiteral("callscreen-muted-speaker"));
        Q_EMIT m_backend->callEnded(QStringLiteral("c1"), Backend::Normal);
        addCall(QStringLiteral("c2"), Anna, Backend::Outgoing, Backend::Dialing);
        QVERIFY(!page()->muteButton()->isChecked());
        QVERIFY(!page()->speakerButton()->isChecked());
    }

    void shouldOfferThreeChoicesForASecondCall_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("request");
        QTest::newRow("end and answer") << "endAndAnswer"
                                        << "endAndAnswer(c2)";
        QTest::newRow("hold and answer") << "holdAndAnswer"
                                         << "holdAndAnswer(c2)";
        QTest::newRow("decline") << "waitingDecline"
                                 << "decline(c2)";
    }
    void shouldOfferThreeChoicesForASecondCall()
    {
        QFETCH(QString, button);
        QFETCH(QString, request);
        addCall(QStringLiteral("c1"), Stranger, Backend::Outgoing, Backend::Active);
        addCall(QStringLiteral("c2"), Anna, Backend::Incoming, Backend::Ringing);
        QTRY_COMPARE(page()->waitingLabel()->text(), QStringLiteral("Anna Virtanen"));
        QCOMPARE(m_screen->shownCall(), QStringLiteral("c1"));
        QCOMPARE(visibleButtons(), QStringLiteral("mute keypad speaker hangup endAndAnswer "
                                                  "holdAndAnswer waitingDecline"));
        if (button == QLatin1String("endAndAnswer"))
            shoot(QStringLiteral("callscreen-waiting"));
        tap(button == QLatin1String("endAndAnswer")    ? page()->endAndAnswerButton()
            : button == QLatin1String("holdAndAnswer") ? page()->holdAndAnswerButton()
                                                       : page()->waitingDeclineButton());
        QTRY_COMPARE(m_backend->requests.join(QLatin1Char(' ')), request);
    }

    void shouldShowTheHeldCallUnderTheActiveOne()
    {
        addCall(QStringLiteral("c1"), Stranger, Backend::Outgoing, Backend::Active);
        addCall(QStringLiteral("c2"), Anna, Backend::Incoming, Backend::Ringing, QString());
        Q_EMIT m_backend->callStateChanged(QStringLiteral("c1"), Backend::Held);
        Q_EMIT m_backend->callStateChanged(QStringLiteral("c2"), Backend::Active);
        QTRY_COMPARE(page()->nameLabel()->text(), QStringLiteral("Anna Virtanen"));
        QCOMPARE(m_screen->shownCall(), QStringLiteral("c2"));
        QCOMPARE(page()->heldLabel()->text(), QStringLiteral("On hold: \u2066050 987 65 43\u2069"));
        QVERIFY(!page()->isWaitingShown());
        // The held call comes back on the screen when the other one ends.
        Q_EMIT m_backend->callEnded(QStringLiteral("c2"), Backend::Normal);
        QCOMPARE(m_screen->shownCall(), QStringLiteral("c1"));
        QCOMPARE(page()->statusLabel()->text(), QStringLiteral("On hold"));
        QVERIFY(!page()->heldLabel()->isVisible());
    }

    void shouldSayWhyACallEnded_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QString>("said"); // empty: closes at once
        QTest::newRow("busy") << int(Backend::Busy) << "Busy";
        QTest::newRow("no answer") << int(Backend::NoAnswer) << "No answer";
        QTest::newRow("failed") << int(Backend::Failed) << "Call failed";
        QTest::newRow("hung up") << int(Backend::Normal) << "";
        QTest::newRow("missed") << int(Backend::Missed) << "";
        QTest::newRow("declined") << int(Backend::Declined) << "";
    }
    void shouldSayWhyACallEnded()
    {
        QFETCH(int, reason);
        QFETCH(QString, said);
        m_screen->setEndedDelay(60000);
        QSignalSpy visibility(m_screen, &CallScreen::visibilityChanged);
        addCall(QStringLiteral("c1"), Stranger, Backend::Outgoing, Backend::Alerting);
        Q_EMIT m_backend->callEnded(QStringLiteral("c1"), Backend::EndReason(reason));
        QCOMPARE(m_screen->window()->isVisible(), !said.isEmpty());
        if (said.isEmpty())
            return;
        QCOMPARE(page()->mode(), CallScreenPage::Ended);
        QCOMPARE(page()->statusLabel()->text(), said);
        QCOMPARE(visibleButtons(), QString());
        QCOMPARE(m_screen->shownCall(), QString());
        if (reason == Backend::Busy)
            shoot(QStringLiteral("callscreen-ended-busy"));
        // A moment later the screen closes.
        m_screen->setEndedDelay(10);
        Q_EMIT m_backend->callAdded(QStringLiteral("c2"), Stranger, Backend::Outgoing,
                                    Backend::Dialing);
        QCOMPARE(page()->mode(), CallScreenPage::InCall);
        Q_EMIT m_backend->callEnded(QStringLiteral("c2"), Backend::EndReason(reason));
        QVERIFY(m_screen->window()->isVisible());
        QTRY_VERIFY(!m_screen->window()->isVisible());
        QCOMPARE(visibility.size(), 2);
    }

    void shouldNameACallerWhoseNumberCameLate()
    {
        addCall(QStringLiteral("c1"), QString(), Backend::Incoming, Backend::Ringing);
        QCOMPARE(page()->nameLabel()->text(), QStringLiteral("Private number"));
        Q_EMIT m_backend->callNumberChanged(QStringLiteral("c1"), QStringLiteral("0401234567"));
        QTRY_COMPARE(page()->nameLabel()->text(), QStringLiteral("Anna Virtanen"));
        QCOMPARE(page()->numberLabel()->text(), QStringLiteral("\u2066040 123 45 67\u2069"));
    }

    void shouldIgnoreUnknownAndRepeatedCalls()
    {
        Q_EMIT m_backend->callStateChanged(QStringLiteral("nope"), Backend::Active);
        Q_EMIT m_backend->callEnded(QStringLiteral("nope"), Backend::Busy);
        QVERIFY(!m_screen->window()->isVisible());
        addCall(QStringLiteral("c1"), Stranger, Backend::Incoming, Backend::Ringing);
        Q_EMIT m_backend->callAdded(QStringLiteral("c1"), Anna, Backend::Outgoing, Backend::Active);
        QCOMPARE(m_screen->calls(), QStringList{QStringLiteral("c1")});
        QCOMPARE(page()->mode(), CallScreenPage::Ringing);
    }

    void shouldLayOutRightToLeftInArabic()
    {
        setLanguage(QStringLiteral("ar_EG"));
        m_screen->window()->retranslate();
        addCall(QStringLiteral("c1"), QStringLiteral("0401234567"), Backend::Incoming,
                Backend::Ringing, QStringLiteral("Anna Virtanen"));
        QTRY_VERIFY(!page()->avatar()->initials().isEmpty());
        shoot(QStringLiteral("callscreen-ringing-known-ar"));
        Q_EMIT m_backend->callEnded(QStringLiteral("c1"), Backend::Missed);
        addCall(QStringLiteral("c2"), Stranger, Backend::Incoming, Backend::Ringing);
        shoot(QStringLiteral("callscreen-ringing-unknown-ar"));
        Q_EMIT m_backend->callEnded(QStringLiteral("c2"), Backend::Missed);
        addCall(QStringLiteral("c3"), QString(), Backend::Incoming, Backend::Ringing);
        shoot(QStringLiteral("callscreen-ringing-private-ar"));
        Q_EMIT m_backend->callStateChanged(QStringLiteral("c3"), Backend::Active);
        shoot(QStringLiteral("callscreen-incall-ar"));
        tap(page()->muteButton()->button());
        tap(page()->speakerButton()->button());
        QTRY_VERIFY(page()->speakerButton()->isChecked());
        shoot(QStringLiteral("callscreen-muted-speaker-ar"));
        tap(page()->keypadButton()->button());
        QTRY_VERIFY(page()->isKeypadOpen());
        tap(page()->key(QLatin1Char('1')));
        tap(page()->key(QLatin1Char('2')));
        QTRY_COMPARE(page()->tonesLabel()->text(), QStringLiteral("12"));
        shoot(QStringLiteral("callscreen-keypad-ar"));
        addCall(QStringLiteral("c4"), Anna, Backend::Incoming, Backend::Ringing);
        QTRY_COMPARE(page()->waitingLabel()->text(), QStringLiteral("Anna Virtanen"));
        shoot(QStringLiteral("callscreen-waiting-ar"));
        m_screen->setEndedDelay(60000);
        Q_EMIT m_backend->callEnded(QStringLiteral("c4"), Backend::Missed);
        Q_EMIT m_backend->callEnded(QStringLiteral("c3"), Backend::Busy);
        QCOMPARE(page()->statusLabel()->text(), qtTrId("qtn_call_screen_busy"));
        shoot(QStringLiteral("callscreen-ended-busy-ar"));
        setLanguage(QStringLiteral("en_GB"));
    }
};

CH_TOUCH_TEST_MAIN(TestCallScreen)
#include "tst_callscreen.moc"
