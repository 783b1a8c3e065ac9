#include "../accounts/accountstestdatabase.h"
#include "accountselector.h"
#include "addmergedialog.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callmodel.h"
#include "contacteditorhandle.h"
#include "contacteditorsheet.h"
#include "devcalluiclient.h"
#include "dialerkey.h"
#include "dialernumberfield.h"
#include "dialerpage.h"
#include "dialerwidget.h"
#include "displaytext.h"
#include "event.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mlocale.h"
#include "modelmanager.h"
#include "mscenemanager.h"
#include "pagemanager.h"
#include "programwindow.h"
#include "testsupport.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Prefix = QStringLiteral("/org/freedesktop/Telepathy/Account/");
// VoIP accounts: one takes numbers in any form, one only in international form.
const QString LocalVoip = Prefix + QStringLiteral("velto/sip/local");
const QString IntlVoip = Prefix + QStringLiteral("velto/sip/intl");
const QString VoipService = QStringLiteral("velto-sip-voip");
} // namespace

// The dialer page in the program's window, with the development call-UI service, a real
// accounts database and a real history store.
class TestDialerPage : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<AccountsTestDatabase> m_db;
    QProcess m_service;
    DevCallUiClient *m_requests = nullptr;
    MApplicationWindow *m_window = nullptr;
    CommHistory::EventStore m_store;

    PageManager *pm() { return PageManager::instance(); }
    DialerPage *page() { return pm()->dialerPage(); }
    Dialer::DialerWidget *dialer() { return page()->dialerWidget(); }

    void setSchedule(int answer, int end, bool fail)
    {
        QVERIFY(DevCallUiClient::setSchedule(answer, end, fail));
    }

    // The banners now shown, by title, "|"-separated.
    QString banners()
    {
        QStringList titles;
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            if (auto *banner = qobject_cast<MBanner *>(w))
                titles << banner->title();
        return titles.join(QLatin1Char('|'));
    }
    void dismissBanners()
    {
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            if (qobject_cast<MBanner *>(w))
                w->disappear();
        QTRY_COMPARE(banners(), QString());
        // Gone for good, so that the page may show the next one.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }
    void type(const QString &keys)
    {
        for (const QChar c : keys)
            tap(dialer()->key(c));
    }

    void addCall(CommHistory::Event::EventDirection direction, const QString &remote,
                 const QDateTime &end, bool missed = false)
    {
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(direction);
        call.setLocalUid(Cellular);
        call.setRemoteUid(remote);
        call.setStartTime(end.addSecs(-30));
        call.setEndTime(end);
        call.setIsMissedCall(missed);
        call.setIsRead(true);
        QVERIFY(m_store.addEvent(call));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db.reset(new AccountsTestDatabase);
        QVERIFY(m_db->isValid());
        QVERIFY(m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Home"),
                             {{VoipService, QStringLiteral("velto/sip/local")}}));
        const Accounts::AccountId intl =
            m_db->create(QStringLiteral("velto-sip"), QStringLiteral("World"),
                         {{VoipService, QStringLiteral("velto/sip/intl")}});
        QVERIFY(intl);
        QVERIFY(
            m_db->setValue(intl, VoipService, QStringLiteral("acceptLocalPhoneNumbers"), false));

        m_service.setProcessChannelMode(QProcess::ForwardedChannels);
        m_service.start(TestSupport::builtProgram("services/call-ui-dev/call-ui-dev-service"),
                        QStringList());
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi")));
        m_requests = new DevCallUiClient(this);

        QVERIFY(m_store.open());
        m_window = TestSupport::showProgramWindow();
        QVERIFY(m_window);
        pm()->showDialer();
        QTRY_VERIFY(CallHistoryAccountsManager::instance()->account(IntlVoip));
        QVERIFY(!CallHistoryAccountsManager::instance()->acceptsLocalPhoneNumbers(IntlVoip));
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
        m_service.kill();
        m_service.waitForFinished();
    }

    void init()
    {
        pm()->showDialer();
        dismissBanners();
        dialer()->setText(QString());
        page()->accountSelector()->setDefault();
        page()->refreshCall();
        page()->setCallHoldTimeout(Page::DefaultCallHoldTimeout);
        m_requests->clearRequests();
    }

    void shouldDecideWhetherToCall_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("callee");
        // What reaches the service, "remote|account|contact id|name"; empty: nothing.
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("banner");
        const QString none;
        const QString incorrect = QStringLiteral("qtn_call_incorrect_number");
        const QString international = QStringLiteral("qtn_skyp_not_international_format");
        QTest::newRow("emergency on cellular") << Cellular << "112"
                                               << "112|pulse|0|" << none;
        // Only the cellular network reaches the emergency services.
        QTest::newRow("emergency on VoIP needing international form") << IntlVoip << "112"
                                                                      << "112|pulse|0|" << none;
        QTest::newRow("emergency on VoIP accepting local numbers") << LocalVoip << "911"
                                                                   << "911|pulse|0|" << none;
        QTest::newRow("emergency with no account ready") << QString() << "112"
                                                         << "112|pulse|0|" << none;
        QTest::newRow("sos address on cellular") << Cellular << "urn:service:sos"
                                                 << "112|pulse|0|" << none;
        QTest::newRow("service code on cellular") << Cellular << "*#06#"
                                                  << "*#06#|pulse|0|" << none;
        QTest::newRow("national number on cellular") << Cellular << "0401234567"
                                                     << "0401234567|pulse|0|" << none;
        QTest::newRow("21 digits on cellular")
            << Cellular << "012345678901234567890" << none << incorrect;
        QTest::newRow("lone pause on cellular") << Cellular << "0401234567p" << none << incorrect;
        QTest::newRow("SIP address on cellular")
            << Cellular << "sip:anna@example.com" << none << incorrect;
        QTest::newRow("national number on VoIP accepting it") << LocalVoip << "0401234567"
                                                              << "0401234567|local|0|" << none;
        QTest::newRow("national number on VoIP needing international form")
            << IntlVoip << "0401234567" << none << international;
        QTest::newRow("plus form on VoIP needing international form")
            << IntlVoip << "+358401234567"
            << "+358401234567|intl|0|" << none;
        QTest::newRow("00 form on VoIP needing international form")
            << IntlVoip << "00358401234567"
            << "00358401234567|intl|0|" << none;
        QTest::newRow("service code on VoIP needing international form") << IntlVoip << "*100#"
                                                                         << "*100#|intl|0|" << none;
        QTest::newRow("user name on VoIP") << IntlVoip << "anna.k"
                                           << "anna.k|intl|0|" << none;
        QTest::newRow("SIP address on VoIP") << IntlVoip << "sip:anna@example.com"
                                             << "sip:anna@example.com|intl|0|" << none;
    }
    void shouldDecideWhetherToCall()
    {
        QFETCH(QString, account);
        QFETCH(QString, callee);
        QFETCH(QString, request);
        QFETCH(QString, banner);
        setSchedule(600000, 600000, false);
        page()->accountSelector()->setCurrentAccount(account);
        const bool called = !request.isEmpty();
        // A refused number is pressed twice: its banner shows once while it is up.
        for (int i = 0; i < (called ? 1 : 2); ++i)
            QMetaObject::invokeMethod(page(), "slotCallRequested", Q_ARG(QString, callee));
        if (called) {
            QTRY_VERIFY(!page()->pendingCallId().isEmpty());
            QCOMPARE(m_requests->requests().join(QLatin1Char(',')), request);
            QCOMPARE(banners(), QString());
        } else {
            QCOMPARE(banners(), qtTrId(qPrintable(banner)));
            // No request reaches the service.
            QTest::qWait(200);
            QVERIFY(page()->pendingCallId().isEmpty());
            QCOMPARE(m_requests->requests(), QStringList());
        }
    }

    void shouldPlaceOneCallWhileTheFirstIsBeingSetUp_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("number") << "0401234567";
        QTest::newRow("emergency number") << "112";
    }
    void shouldPlaceOneCallWhileTheFirstIsBeingSetUp()
    {
        QFETCH(QString, number);
        setSchedule(600000, 600000, false);
        type(number);
        QSignalSpy holds(page(), &Page::callInFlightChanged);
        tap(dialer()->callKey());
        // The service has taken the request; the call is not answered yet.
        QTRY_VERIFY(!page()->pendingCallId().isEmpty());
        tap(dialer()->callKey());
        tap(dialer()->callKey());
        QVERIFY(page()->isCallInFlight());
        // Once the keys are free (here: the page shown again), the next press calls. Requests
        // reach the service in order: once this one is there, any other would be too.
        page()->refreshCall();
        dialer()->setText(QStringLiteral("0409999999"));
        tap(dialer()->callKey());
        QTRY_VERIFY(m_requests->requests().contains(QStringLiteral("0409999999|pulse|0|")));
        QCOMPARE(m_requests->requests().join(QLatin1Char(',')),
                 QStringLiteral("%1|pulse|0|,0409999999|pulse|0|").arg(number));
        QCOMPARE(TestSupport::joinedFirstArguments(holds), QStringLiteral("true|false|true"));
    }

    void shouldFreeTheCallKeyWhenTheServiceSaysNothing()
    {
        setSchedule(600000, 600000, false);
        page()->setCallHoldTimeout(100);
        type(QStringLiteral("0401234567"));
        tap(dialer()->callKey());
        QVERIFY(page()->isCallInFlight());
        QTRY_VERIFY(!page()->isCallInFlight());
        tap(dialer()->callKey());
        QTRY_COMPARE(m_requests->requests().size(), 2);
        QCOMPARE(m_requests->requests().join(QLatin1Char(',')),
                 QStringLiteral("0401234567|pulse|0|,0401234567|pulse|0|"));
    }

    void shouldNameARefusedCallInABanner_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("banner");
        QTest::newRow("number")
            << Cellular << "0401234567"
            << qtTrId("qtn_call_failed").arg(numberForDisplay(QStringLiteral("0401234567")));
        QTest::newRow("emergency number on VoIP")
            << LocalVoip << "112"
            << qtTrId("qtn_call_emergency_failed").arg(numberForDisplay(QStringLiteral("112")));
    }
    void shouldNameARefusedCallInABanner()
    {
        QFETCH(QString, account);
        QFETCH(QString, number);
        QFETCH(QString, banner);
        setSchedule(-1, -1, true);
        page()->accountSelector()->setCurrentAccount(account);
        type(number);
        tap(dialer()->callKey());
        QTRY_COMPARE(banners(), banner);
        // The refusal frees the key; the number stays to be tried again.
        QVERIFY(!page()->isCallInFlight());
        QCOMPARE(dialer()->text(), number);
        TestSupport::saveScreenshot(
            m_window,
            QStringLiteral("dialer-call-failed-%1")
                .arg(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), '-')));
    }

    void shouldFillInTheLastDialledNumber_data()
    {
        QTest::addColumn<QStringList>("calls"); // oldest first: "<direction>:<remote>"
        QTest::addColumn<QString>("filled");
        QTest::newRow("skips incoming and missed calls")
            << QStringList{"out:+358401111111", "out:0402222222", "in:0403333333",
                           "missed:0404444444"}
            << "0402222222";
        QTest::newRow("number part of a SIP address")
            << QStringList{"out:0402222222", "out:sip:+358405555555@sip.example.com"}
            << "+358405555555";
        QTest::newRow("skips addresses that are not numbers")
            << QStringList{"out:0402222222", "out:sip:anna@sip.example.com", "in:0403333333"}
            << "0402222222";
        QStringList many{"out:0406666666"};
        for (int i = 0; i < 40; ++i)
            many << QStringLiteral("in:04077%1").arg(i, 5, 10, QLatin1Char('0'));
        QTest::newRow("pages across chunks") << many << "0406666666";
        QTest::newRow("nothing dialled") << QStringList{"in:0403333333", "missed:0404444444"} << "";
    }
    void shouldFillInTheLastDialledNumber()
    {
        QFETCH(QStringList, calls);
        QFETCH(QString, filled);
        QVERIFY(m_store.deleteAll());
        const QDateTime start = QDateTime::currentDateTime().addDays(-1);
        for (int i = 0; i < calls.size(); ++i) {
            const QString kind = calls.at(i).section(QLatin1Char(':'), 0, 0);
            const QString remote = calls.at(i).section(QLatin1Char(':'), 1);
            addCall(kind == QLatin1String("out") ? CommHistory::Event::Outbound
                                                 : CommHistory::Event::Inbound,
                    remote, start.addSecs(60 * i), kind == QLatin1String("missed"));
        }
        tap(dialer()->callKey());
        QVERIFY(page()->isLookingUpLastNumber());
        QTRY_VERIFY_WITH_TIMEOUT(!page()->isLookingUpLastNumber(), 10000);
        QCOMPARE(dialer()->text(), filled);
        // A filled-in number is called with the next press.
        QCOMPARE(page()->pendingCallId(), QString());
    }

    void shouldCancelTheFillInWhenTheUserTypes()
    {
        QVERIFY(m_store.deleteAll());
        addCall(CommHistory::Event::Outbound, QStringLiteral("0402222222"),
                QDateTime::currentDateTime());
        tap(dialer()->callKey());
        QVERIFY(page()->isLookingUpLastNumber());
        type(QStringLiteral("9"));
        QTRY_VERIFY_WITH_TIMEOUT(!page()->isLookingUpLastNumber(), 10000);
        QCOMPARE(dialer()->text(), QStringLiteral("9"));
    }

    void shouldFollowTheCallItPlaced_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("pageAfter");
        QTest::newRow("answered: history shown") << 50 << 5000 << int(PageManager::CallHistory);
        QTest::newRow("ended unanswered: number cleared") << -1 << 50 << int(PageManager::Dialer);
    }
    void shouldFollowTheCallItPlaced()
    {
        QFETCH(int, answer);
        QFETCH(int, end);
        QFETCH(int, pageAfter);
        setSchedule(answer, end, false);
        type(QStringLiteral("0401234567"));
        tap(dialer()->callKey());
        QTRY_COMPARE(dialer()->text(), QString());
        QCOMPARE(pm()->currentPageType(), pageAfter);
    }

    void shouldShowTheCallAtTheTopOfTheHistory()
    {
        QVERIFY(m_store.deleteAll());
        setSchedule(50, 150, false);
        type(QStringLiteral("0405550123"));
        tap(dialer()->callKey());
        QTRY_COMPARE(pm()->currentPageType(), int(PageManager::CallHistory));
        CommHistory::CallModel *model = ModelManager::instance()->model();
        QTRY_VERIFY_WITH_TIMEOUT(model->rowCount() > 0, 10000);
        const CommHistory::Event top = model->event(model->index(0, 0));
        QCOMPARE(top.remoteUid(), QStringLiteral("0405550123"));
        QCOMPARE(top.direction(), CommHistory::Event::Outbound);
        TestSupport::saveScreenshot(m_window, "dialer-call-in-history");
    }

    // The number is grouped as libphonenumber groups it while typing, the same way whether typed
    // or handed in (a tel: link); what is dialled stays as typed.
    void shouldGroupTheNumberAsItIsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("fromOutside");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Berlin number from a tel: link") << "+4930123456" << true << "+49 30 123456";
        QTest::newRow("Finnish mobile handed in") << "+358401234567" << true << "+358 40 1234567";
        QTest::newRow("service code typed on the keys") << "*#06#" << false << "*#06#";
    }
    void shouldGroupTheNumberAsItIsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(bool, fromOutside);
        QFETCH(QString, shown);
        pm()->showDialer();
        dialer()->setText(QString());
        if (fromOutside)
            pm()->showDialer(typed);
        else
            type(typed);
        QCOMPARE(dialer()->numberField()->displayedText(), shown);
        QCOMPARE(page()->number(), typed);
        TestSupport::saveScreenshot(
            m_window, "dialer-grouped-" + QString(QTest::currentDataTag()).replace(' ', '-'));
        dialer()->setText(QString());
    }

    void shouldAppendOnlyDialableDigitsFromOutside_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("number");
        QTest::newRow("markup") << "<img src=\"http://evil/a.png\">"
                                << "";
        QTest::newRow("written number") << "+358 (40) 123-4567 ext"
                                        << "+358401234567";
        QTest::newRow("pause") << "0401234567p12"
                               << "0401234567p12";
    }
    void shouldAppendOnlyDialableDigitsFromOutside()
    {
        QFETCH(QString, digits);
        QFETCH(QString, number);
        pm()->showDialer(digits);
        QCOMPARE(page()->number(), number);
    }

    void shouldOfferToSaveTheTypedNumber()
    {
        CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
        type(QStringLiteral("0401234567"));
        tap(dialer()->addContactKey());
        QTRY_COMPARE(dialogs->dialogs().size(), 1);
        auto *dialog = qobject_cast<AddMergeDialog *>(dialogs->dialogs().first());
        QVERIFY(dialog);
        QCOMPARE(dialog->accountPath(), Cellular);
        QCOMPARE(dialog->remoteUid(), QStringLiteral("0401234567"));
        // A second press while the dialog is open opens nothing more.
        Q_EMIT dialer()->requestAddOrMergeWithContact(QStringLiteral("0401234567"));
        QTest::qWait(50);
        QCOMPARE(dialogs->dialogs().size(), 1);
        pm()->showCallHistory();
        QTRY_COMPARE(dialogs->dialogs().size(), 0);

        // With nothing typed, the editor of a new contact opens at once, empty: no number or chat
        // address that would call nothing.
        pm()->showDialer();
        dialer()->setText(QString());
        tap(dialer()->addContactKey());
        QTRY_VERIFY(pm()->contactEditor());
        auto *editor = qobject_cast<ContactEditorSheet *>(pm()->contactEditor()->sceneWindow());
        QVERIFY(editor);
        QCOMPARE(editor->contact().details<QtContacts::QContactPhoneNumber>().size(), 0);
        QCOMPARE(editor->contact().details<QtContacts::QContactOnlineAccount>().size(), 0);
        pm()->showCallHistory();
        QTRY_VERIFY(!pm()->contactEditor());
    }

    void shouldFallBackToCellularWhenLeftEmpty()
    {
        page()->accountSelector()->setCurrentAccount(LocalVoip);
        pm()->showCallHistory();
        pm()->showDialer();
        QCOMPARE(page()->accountSelector()->currentAccountPath(), Cellular);
        // With a number typed the choice stays.
        page()->accountSelector()->setCurrentAccount(LocalVoip);
        type(QStringLiteral("12"));
        pm()->showCallHistory();
        pm()->showDialer();
        QCOMPARE(page()->accountSelector()->currentAccountPath(), LocalVoip);
    }
};

CH_TOUCH_TEST_MAIN(TestDialerPage)
#include "tst_dialerpage.moc"
