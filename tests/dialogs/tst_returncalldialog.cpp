#include "addmergedialog.h"
#include "avatarwidget.h"
#include "callhistorydialogmanager.h"
#include "callhistoryitem.h"
#include "callhistorypage.h"
#include "callhistoryvoicemail.h"
#include "devcalluiclient.h"
#include "dialogtestbench.h"
#include "displaytext.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mbutton.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mscenemanager.h"
#include "pagemanager.h"
#include "phonenumberformat.h"
#include "returncalldialog.h"
#include "subtitlelabel.h"
#include "testsupport.h"
#include "uricatcher.h"
#include "voicemail.h"

#include <QScopeGuard>
#include <QtTest>

namespace {
const QString VoicemailNo = QStringLiteral("+358401234500");

// A number as dialogs show it: grouped by libphonenumber, an isolated left-to-right run.
QString shown(const QString &number)
{
    return numberForDisplay(number);
}

} // namespace

// The return-call dialogs over real rows, a real address book, the accounts database and the
// development call-UI service on the test's own bus.
class TestReturnCallDialog : public QObject
{
    Q_OBJECT
private:
    DialogTestBench m_bench;
    quint32 m_anna = 0;  // two numbers: a mobile and a work number
    quint32 m_bob = 0;   // one number and a SIP address
    quint32 m_angle = 0; // a name with markup characters
    QList<CallHistoryItem *> m_rows;

    CallHistoryItem *row(const CommHistory::Event &e)
    {
        CallHistoryItem *r = m_bench.row(e);
        m_rows << r;
        return r;
    }

    // Taps the row as a person would (its queued tap handler) and returns the dialog it opened.
    ReturnCallDialog *tap(CallHistoryItem *r)
    {
        r->onClicked();
        const QList<MSceneWindow *> open = CallHistoryDialogManager::instance()->dialogs();
        return open.isEmpty() ? nullptr : qobject_cast<ReturnCallDialog *>(open.last());
    }

    void closeAll()
    {
        CallHistoryDialogManager::instance()->dismissAll();
        QTRY_VERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
        for (MSceneWindow *w : m_bench.window()->sceneManager()->overlays())
            w->dismiss();
        QTRY_VERIFY(m_bench.window()->sceneManager()->overlays().isEmpty());
    }

    MBanner *topBanner()
    {
        const QList<MSceneWindow *> shown = m_bench.window()->sceneManager()->overlays();
        for (int i = shown.size() - 1; i >= 0; --i)
            if (auto *banner = qobject_cast<MBanner *>(shown.at(i)))
                return banner;
        return nullptr;
    }

    QList<CommHistory::Event::Contact> anna()
    {
        return {{m_anna, QStringLiteral("Anna Virtanen")}};
    }
    QList<CommHistory::Event::Contact> bob() { return {{m_bob, QStringLiteral("Bob Smith")}}; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_bench.start(), qPrintable(m_bench.error()));
        m_anna = m_bench.addContact(
            QStringLiteral("Anna"), QStringLiteral("Virtanen"),
            {{QStringLiteral("+358401234567"), 1}, {QStringLiteral("0912345678"), -1}});
        m_bob = m_bench.addContact(QStringLiteral("Bob"), QStringLiteral("Smith"),
                                   {{QStringLiteral("+358409876543"), 1}},
                                   QStringLiteral("sip:bob@example.com"));
        m_angle = m_bench.addContact(QStringLiteral("<b>Eve</b>"), QStringLiteral("&"),
                                     {{QStringLiteral("0405550000"), 1}});
        QVERIFY(m_anna && m_bob && m_angle);
        Voicemail voicemail;
        QCOMPARE(voicemail.setVoicemailNumbers({::VoicemailNumber(VoicemailNo)}),
                 Voicemail::NoError);
        QTRY_VERIFY(CallHistoryVoicemail::instance()->isVoicemailNumber(VoicemailNo));
    }

    void cleanup()
    {
        closeAll();
        // The next test starts with the call keys free, whether or not its call was answered.
        PageManager::instance()->callHistoryPage()->refreshCall();
    }

    void cleanupTestCase() { qDeleteAll(m_rows); }

    void shouldChooseDialogForRow_data()
    {
        QTest::addColumn<CommHistory::Event>("event");
        QTest::addColumn<QString>("dialog");
        const auto two = [this]() {
            return QList<CommHistory::Event::Contact>{{m_anna, QStringLiteral("Anna Virtanen")},
                                                      {m_bob, QStringLiteral("Bob Smith")}};
        };
        CommHistory::Event emergency = DialogTestBench::call(DialogTestBench::Cellular, "112");
        emergency.setIsEmergencyCall(true);
        CommHistory::Event sipEmergency = DialogTestBench::call(DialogTestBench::Sip, "112");
        sipEmergency.setIsEmergencyCall(true);
        const QString sip = DialogTestBench::Sip;
        const QString cell = DialogTestBench::Cellular;
        QTest::newRow("cellular, one contact")
            << DialogTestBench::call(cell, "+358401234567", anna())
            << "ReturnCallDialogKnownContact";
        QTest::newRow("no account counts as cellular")
            << DialogTestBench::call(QString(), "+358401234567", anna())
            << "ReturnCallDialogKnownContact";
        QTest::newRow("cellular, no contact")
            << DialogTestBench::call(cell, "0401111111") << "ReturnCallDialogUnknownContact";
        QTest::newRow("cellular, two contacts")
            << DialogTestBench::call(cell, "0402222222", two()) << "ReturnCallDialogMultiContacts";
        QTest::newRow("voip, two contacts")
            << DialogTestBench::call(sip, "sip:shared@example.com", two())
            << "ReturnCallDialogMultiContacts";
        QTest::newRow("voip address, one contact")
            << DialogTestBench::call(sip, "sip:bob@example.com", bob())
            << "ReturnCallDialogKnownContactVoip";
        QTest::newRow("voip to a phone number, one contact")
            << DialogTestBench::call(sip, "sip:+358409876543@example.com", bob())
            << "ReturnCallDialogKnownContactVoipToCS";
        QTest::newRow("voip user name, no contact")
            << DialogTestBench::call(sip, "alice") << "ReturnCallDialogUnknownContactVoip";
        QTest::newRow("voip to a phone number, no contact")
            << DialogTestBench::call(sip, "sip:0401111111@example.com")
            << "ReturnCallDialogUnknownContactVoipToCS";
        QTest::newRow("emergency") << emergency << "ReturnCallDialogService";
        QTest::newRow("emergency through voip") << sipEmergency << "ReturnCallDialogService";
        QTest::newRow("voicemail")
            << DialogTestBench::call(cell, VoicemailNo) << "ReturnCallDialogService";
        QTest::newRow("voicemail through voip")
            << DialogTestBench::call(sip, VoicemailNo) << "ReturnCallDialogServiceVoipToCS";
        QTest::newRow("voicemail with a contact stays a service")
            << DialogTestBench::call(cell, VoicemailNo, two()) << "ReturnCallDialogService";
        QTest::newRow("private number opens none") << DialogTestBench::call(cell, QString()) << "";
        QTest::newRow("disabled or unknown voip account opens none")
            << DialogTestBench::call("/org/freedesktop/Telepathy/Account/sofiasip/sip/gone",
                                     "alice")
            << "";
    }

    void shouldChooseDialogForRow()
    {
        QFETCH(CommHistory::Event, event);
        QFETCH(QString, dialog);
        ReturnCallDialog *opened = tap(row(event));
        QCOMPARE(QString(opened ? opened->metaObject()->className() : ""), dialog);
        if (opened) {
            QCOMPARE(opened->sceneWindowState(), MSceneWindow::Appeared);
            // The kind it keeps comparing against is the class it is.
            const QMetaEnum kinds = QMetaEnum::fromType<ReturnCallDialog::Type>();
            QCOMPARE(QStringLiteral("ReturnCallDialog") + kinds.valueToKey(opened->dialogKind()),
                     dialog);
        }
    }

    void shouldShowTextsAndIcons_data()
    {
        QTest::addColumn<CommHistory::Event>("event");
        // title | number line | subtitle | side icon | message icon | call style | add button
        QTest::addColumn<QString>("expected");
        const QString sip = DialogTestBench::Sip;
        const QString cell = DialogTestBench::Cellular;
        const QString sms = "icon-m-telephony-content-sms";
        const QString chat = "icon-m-telephony-content-chat";
        const QString pill = "CallHistoryDialogCallButton";
        CommHistory::Event emergency = DialogTestBench::call(cell, "112");
        emergency.setIsEmergencyCall(true);
        QTest::newRow("known contact with two numbers: number and kind")
            << DialogTestBench::call(cell, "+358401234567", anna())
            << QStringList{"Anna Virtanen",
                           shown("+358401234567") + " | Mobile",
                           "",
                           "-",
                           sms,
                           pill,
                           "no"}
                   .join('|');
        QTest::newRow("known contact with one number: number alone")
            << DialogTestBench::call(cell, "+358409876543", bob())
            << QStringList{"Bob Smith", shown("+358409876543"), "", "-", sms, pill, "no"}.join('|');
        QTest::newRow("markup in a name is shown literally")
            << DialogTestBench::call(cell, "0405550000", {{m_angle, "<b>Eve</b> &"}})
            << QStringList{"<b></b>&lt;b&gt;Eve&lt;/b&gt; &amp;",
                           shown("0405550000"),
                           "",
                           "-",
                           sms,
                           pill,
                           "no"}
                   .join('|');
        QTest::newRow("voip contact: address, account icon, chat")
            << DialogTestBench::call(sip, "sip:bob@example.com", bob())
            << QStringList{"Bob Smith", shown("sip:bob@example.com"),
                           "",          "icon-m-service-sip",
                           chat,        pill,
                           "no"}
                   .join('|');
        QTest::newRow("voip video call: video line and account name")
            << DialogTestBench::call(sip, "sip:bob@example.com", bob(), true)
            << QStringList{"Bob Smith",
                           "Video call",
                           "Internet call",
                           "icon-s-telephony-video-call",
                           chat,
                           pill,
                           "no"}
                   .join('|');
        QTest::newRow("voip contact by phone number")
            << DialogTestBench::call(sip, "sip:+358409876543@example.com", bob())
            << QStringList{"Bob Smith", shown("sip:+358409876543@example.com"),
                           "",          "icon-m-service-sip",
                           chat,        pill,
                           "no"}
                   .join('|');
        QTest::newRow("unknown cellular number")
            << DialogTestBench::call(cell, "0401111111")
            << QStringList{shown("0401111111"), "-", "-", "-", sms, pill, "yes"}.join('|');
        QTest::newRow("unknown voip user name is not made a number")
            << DialogTestBench::call(sip, "alice%40home")
            << QStringList{shown("alice%40home"),
                           "Internet call",
                           "-",
                           "icon-m-service-sip",
                           chat,
                           pill,
                           "yes"}
                   .join('|');
        QTest::newRow("unknown voip phone number in display form")
            << DialogTestBench::call(sip, "+358 40 111")
            << QStringList{shown("+358 40 111"),
                           "Internet call",
                           "-",
                           "icon-m-service-sip",
                           chat,
                           pill,
                           "yes"}
                   .join('|');
        QTest::newRow("several contacts: count and sorted names")
            << DialogTestBench::call(cell, "0402222222",
                                     {{m_bob, "Bob Smith"}, {m_anna, "Anna Virtanen"}})
            << QStringList{shown("0402222222"),
                           "2 contacts",
                           "Anna Virtanen, Bob Smith",
                           "-",
                           sms,
                           pill,
                           "no"}
                   .join('|');
        QTest::newRow("emergency: call button alone") << emergency
                                                      << QStringList{"Emergency call",
                                                                     shown("112"),
                                                                     "",
                                                                     "-",
                                                                     "-",
                                                                     "CallHistoryDialogCall2Button",
                                                                     "no"}
                                                             .join('|');
        QTest::newRow("voicemail through voip: account name")
            << DialogTestBench::call(sip, VoicemailNo)
            << QStringList{"Voicemail",
                           shown(VoicemailNo),
                           "Internet call",
                           "icon-m-service-sip",
                           "-",
                           "CallHistoryDialogCall2Button",
                           "no"}
                   .join('|');
    }

    void shouldShowTextsAndIcons()
    {
        QFETCH(CommHistory::Event, event);
        QFETCH(QString, expected);
        CallHistoryItem *r = row(event);
        // Known contacts: the kind of the number comes with the contact from the address book.
        if (r->contacts().size() == 1)
            QTRY_VERIFY(r->numberCount() > 0);
        ReturnCallDialog *d = tap(r);
        QVERIFY(d);
        // Labels take no length variants: the longest is what reaches them.
        const auto text = [](auto *w) { return w ? w->text() : QStringLiteral("-"); };
        const auto image = [](MImageWidget *w) {
            return w && !w->image().isEmpty() ? w->image() : QStringLiteral("-");
        };
        // The second line: the number line of a contact header, the title label of a title
        // header.
        const QString numberLine = d->numberLabel()  ? text(d->numberLabel())
                                   : d->titleLabel() ? text(d->titleLabel())
                                                     : QStringLiteral("-");
        const QString actual =
            QStringList{d->title(),
                        numberLine,
                        text(d->subtitleLabel()),
                        image(d->sideIcon()),
                        d->messageButton() ? d->messageButton()->iconID() : QStringLiteral("-"),
                        d->callButton()->styleName(),
                        d->addContactButton() ? "yes" : "no"}
                .join('|');
        QCOMPARE(actual, expected);
        QCOMPARE(d->callButton()->iconID(), QStringLiteral("icon-m-telephony-call"));
        // Outside text is never read as markup, except the escaped title.
        if (d->numberLabel())
            QCOMPARE(d->numberLabel()->textFormat(), Qt::PlainText);
        if (d->titleLabel())
            QCOMPARE(d->titleLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(d->titleFormat(), d->title().startsWith("<b></b>") ? Qt::RichText : Qt::PlainText);
    }

    void shouldShowPresenceOfVoipContact()
    {
        CallHistoryItem *r =
            row(DialogTestBench::call(DialogTestBench::Sip, "sip:bob@example.com", bob()));
        ReturnCallDialog *d = tap(r);
        QVERIFY(d && d->presenceIcon());
        // No presence known: the icon takes no room.
        QCOMPARE(d->presenceIcon()->styleName(), QStringLiteral("ZeroSizeWidget"));
        // A video call shows no presence at all.
        closeAll();
        d = tap(
            row(DialogTestBench::call(DialogTestBench::Sip, "sip:bob@example.com", bob(), true)));
        QVERIFY(d && !d->presenceIcon());
    }

    void shouldPlaceCallThroughServiceAndCloseAfterward_data()
    {
        QTest::addColumn<CommHistory::Event>("event");
        QTest::addColumn<QString>("request");
        QTest::newRow("known contact: id and name go along")
            << DialogTestBench::call(DialogTestBench::Cellular, "+358401234567", anna())
            << QStringLiteral("+358401234567|pulse|%1|Anna Virtanen").arg(m_anna);
        QTest::newRow("unknown number: no id, no name")
            << DialogTestBench::call(DialogTestBench::Cellular, "0401111111")
            << QStringLiteral("0401111111|pulse|0|");
        QTest::newRow("several contacts: no id, no name")
            << DialogTestBench::call(DialogTestBench::Sip, "sip:shared@example.com",
                                     {{m_anna, "Anna Virtanen"}, {m_bob, "Bob Smith"}})
            << QStringLiteral("sip:shared@example.com|office|0|");
        // Only the cellular network reaches the emergency services.
        CommHistory::Event emergency = DialogTestBench::call(DialogTestBench::Sip, "112");
        emergency.setIsEmergencyCall(true);
        QTest::newRow("emergency number through voip: on cellular")
            << emergency << QStringLiteral("112|pulse|0|");
    }

    void shouldPlaceCallThroughServiceAndCloseAfterward()
    {
        QFETCH(CommHistory::Event, event);
        QFETCH(QString, request);
        m_bench.clearRequests();
        QPointer<ReturnCallDialog> d = tap(row(event));
        QVERIFY(d);
        QSignalSpy finished(d.data(), SIGNAL(finished(int)));
        d->callButton()->click();
        // Two quick taps place one call.
        d->callButton()->click();
        QTRY_COMPARE(m_bench.requests().join(','), request);
        // The dialog stays until its dismiss timer has run, then accepts and goes away.
        QTRY_VERIFY(!d);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), int(MDialog::Accepted));
        QCOMPARE(m_bench.requests().size(), 1);
    }

    void shouldIgnoreTheCallButtonWhileACallIsBeingSetUp()
    {
        CallHistoryPage *history = PageManager::instance()->callHistoryPage();
        QVERIFY(history);
        // Calls that are never answered: only the page frees its keys.
        QVERIFY(DevCallUiClient::setSchedule(600000, 600000, false));
        const auto restore = qScopeGuard([history] {
            DevCallUiClient::setSchedule(DialogTestBench::AnswerAfter, DialogTestBench::EndAfter,
                                         false);
            history->refreshCall();
        });
        m_bench.clearRequests();
        const auto callBack = [this](const char *number) {
            QPointer<ReturnCallDialog> d =
                tap(row(DialogTestBench::call(DialogTestBench::Cellular, number)));
            QVERIFY(d);
            d->callButton()->click();
            QTRY_VERIFY(!d);
        };
        callBack("0401111111");
        QTRY_VERIFY(!history->pendingCallId().isEmpty());
        // Another call back while the first call is being set up places nothing.
        callBack("0402222222");
        QVERIFY(history->isCallInFlight());
        history->refreshCall();
        callBack("0403333333");
        QTRY_COMPARE(m_bench.requests().join(','),
                     QStringLiteral("0401111111|pulse|0|,0403333333|pulse|0|"));
    }

    void shouldRefuseToMessageAddressesOfOtherSchemes_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::newRow("file") << "file:///etc/passwd";
        QTest::newRow("smb share") << "smb://evil.example.com/share";
        QTest::newRow("web page") << "https://evil.example.com/x";
    }

    void shouldRefuseToMessageAddressesOfOtherSchemes()
    {
        QFETCH(QString, remote);
        UriCatcher catcher({"file", "smb", "https"});
        QPointer<ReturnCallDialog> d =
            tap(row(DialogTestBench::call(DialogTestBench::Sip, remote)));
        QVERIFY(d && d->messageButton());
        d->messageButton()->click();
        MBanner *banner = nullptr;
        QTRY_VERIFY((banner = topBanner()));
        QCOMPARE(banner->title(), qtTrId("qtn_call_message_refused"));
        QCOMPARE(catcher.uris, QStringList());
        TestSupport::saveScreenshot(m_bench.window(), QStringLiteral("dialog-message-refused-%1")
                                                          .arg(QTest::currentDataTag())
                                                          .replace(' ', '-'));
    }

    void shouldCloseAtOnceWhenDisplayGoesOff()
    {
        m_bench.clearRequests();
        QPointer<ReturnCallDialog> d =
            tap(row(DialogTestBench::call(DialogTestBench::Cellular, "0401111111")));
        QVERIFY(d);
        // Nothing started: the display going off leaves the dialog alone.
        QMetaObject::invokeMethod(m_bench.window(), "displayExited");
        QCOMPARE(d->sceneWindowState(), MSceneWindow::Appeared);
        QMetaObject::invokeMethod(d.data(), "onVoiceCall");
        QVERIFY(d->isActionPending());
        QMetaObject::invokeMethod(m_bench.window(), "displayExited");
        QCOMPARE(d->sceneWindowState(), MSceneWindow::Disappeared);
        QVERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
        QTRY_VERIFY(!d);
        QTRY_VERIFY(m_bench.requests().contains(QStringLiteral("0401111111|pulse|0|")));
    }

    void shouldStayWithPressedCallWhenRowIsRecycled()
    {
        m_bench.clearRequests();
        CallHistoryItem *r =
            row(DialogTestBench::call(DialogTestBench::Cellular, "+358401234567", anna()));
        QPointer<ReturnCallDialog> d = tap(r);
        QVERIFY(d);
        const int pressed = r->eventId();
        // The list recycles the row for another call while the dialog is open.
        m_bench.refill(r, DialogTestBench::call(DialogTestBench::Cellular, "0409999999"));
        QVERIFY(r->eventId() != pressed);
        QVERIFY(d);
        QVERIFY(!d->item());
        QCOMPARE(d->snapshot().eventId, pressed);
        QCOMPARE(d->title(), QStringLiteral("Anna Virtanen"));
        d->callButton()->click();
        QTRY_COMPARE(m_bench.requests().join(','),
                     QStringLiteral("+358401234567|pulse|%1|Anna Virtanen").arg(m_anna));
    }

    void shouldCloseWhenRowNowNeedsAnotherKind()
    {
        CommHistory::Event e =
            DialogTestBench::call(DialogTestBench::Cellular, "+358401234567", anna());
        CallHistoryItem *r = row(e);
        QPointer<ReturnCallDialog> d = tap(r);
        QVERIFY(d);
        // Same call, the contact renamed: the dialog follows.
        e.setContacts({{m_anna, QStringLiteral("Anna V.")}});
        m_bench.refill(r, e);
        QVERIFY(d);
        QCOMPARE(d->title(), QStringLiteral("Anna V."));
        // Same call, no contact any more: another kind of dialog would be chosen, this one goes.
        e.setContacts({});
        m_bench.refill(r, e);
        QVERIFY(!d || d->sceneWindowState() == MSceneWindow::Disappeared);
        QVERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
    }

    void shouldIgnoreHeaderTapOfEmergencyCall()
    {
        CommHistory::Event e = DialogTestBench::call(DialogTestBench::Cellular, "112");
        e.setIsEmergencyCall(true);
        QPointer<ReturnCallDialog> d = tap(row(e));
        QVERIFY(d && d->contactHeader());
        QMetaObject::invokeMethod(d.data(), "onOpenContactCard");
        QVERIFY(!d->isActionPending());
        QCOMPARE(CallHistoryDialogManager::instance()->dialogs().size(), 1);
    }

    void shouldOfferAddOrMergeForUnknownCaller_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("offered");
        QTest::newRow("cellular number as it stands") << DialogTestBench::Cellular << "0401111111"
                                                      << DialogTestBench::Cellular + "|0401111111";
        QTest::newRow("voip address holding a number becomes a cellular number")
            << DialogTestBench::Sip << "sip:+358401111111@example.com"
            << DialogTestBench::Cellular + "|+358401111111";
        QTest::newRow("voip user name stays on its account")
            << DialogTestBench::Sip << "alice" << DialogTestBench::Sip + "|alice";
    }

    void shouldOfferAddOrMergeForUnknownCaller()
    {
        QFETCH(QString, account);
        QFETCH(QString, remote);
        QFETCH(QString, offered);
        QPointer<ReturnCallDialog> d = tap(row(DialogTestBench::call(account, remote)));
        QVERIFY(d && d->addContactButton());
        d->addContactButton()->click();
        QTRY_VERIFY(!d || d->sceneWindowState() == MSceneWindow::Disappeared);
        const QList<MSceneWindow *> open = CallHistoryDialogManager::instance()->dialogs();
        QCOMPARE(open.size(), 1);
        auto *addMerge = qobject_cast<AddMergeDialog *>(open.first());
        QVERIFY(addMerge);
        QCOMPARE(addMerge->accountPath() + '|' + addMerge->remoteUid(), offered);
        QCOMPARE(addMerge->title(), qtTrId("qtn_call_save_number"));
        QStringList buttons;
        for (MButton *b : addMerge->buttons())
            buttons << b->text();
        QCOMPARE(buttons.join('|'),
                 qtTrId("qtn_call_add_contact") + '|' + qtTrId("qtn_call_merge_contact"));
    }

    // The contact's picture keeps its distance from the number beside it, on whichever side the
    // language puts it.
    void shouldKeepTheAvatarAwayFromTheNumber_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("ar") << "ar";
    }
    void shouldKeepTheAvatarAwayFromTheNumber()
    {
        QFETCH(QString, language);
        DialogTestBench::setLanguage(language);
        const auto restore = qScopeGuard([] { DialogTestBench::setLanguage("en"); });
        CallHistoryItem *r =
            row(DialogTestBench::call(DialogTestBench::Cellular, "+358401234567", anna()));
        QPointer<ReturnCallDialog> d = tap(r);
        QVERIFY(d && d->avatar() && d->numberLabel());
        QTRY_COMPARE(d->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_bench.window(), "dialog-avatar-gap-" + language);
        const QRectF picture = d->avatar()->mapRectToScene(d->avatar()->contentsRect());
        const QRectF number = d->numberLabel()->mapRectToScene(d->numberLabel()->contentsRect());
        const qreal gap =
            language == "ar" ? picture.left() - number.right() : number.left() - picture.right();
        QVERIFY2(gap >= 15.5, qPrintable(QString::number(gap)));
    }

    // Round buttons side by side stand apart, as the call button stands apart from them.
    void shouldKeepRoundButtonsApart_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("ar") << "ar";
    }
    void shouldKeepRoundButtonsApart()
    {
        QFETCH(QString, language);
        DialogTestBench::setLanguage(language);
        const auto restore = qScopeGuard([] { DialogTestBench::setLanguage("en"); });
        QPointer<ReturnCallDialog> d =
            tap(row(DialogTestBench::call(DialogTestBench::Cellular, "0401111111")));
        QVERIFY(d && d->addContactButton() && d->messageButton());
        QTRY_COMPARE(d->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_bench.window(), "dialog-round-buttons-" + language);
        const QRectF add = d->addContactButton()->mapRectToScene(d->addContactButton()->rect());
        const QRectF message = d->messageButton()->mapRectToScene(d->messageButton()->rect());
        const qreal gap =
            language == "ar" ? add.left() - message.right() : message.left() - add.right();
        QVERIFY2(gap >= 12, qPrintable(QString::number(gap)));
        // Both round: as wide as high.
        QCOMPARE(add.width(), add.height());
        QCOMPARE(message.width(), message.height());
    }

    void shouldNotShowContactsSheetOfCallGone()
    {
        // The row's call is not in the history (any more): the sheet of its contacts would be
        // empty.
        QPointer<ReturnCallDialog> d = tap(row(DialogTestBench::call(
            DialogTestBench::Cellular, "0402222222", {{m_anna, "Anna Virtanen"}, {m_bob, "Bob"}})));
        QVERIFY(d && d->contactHeader());
        QMetaObject::invokeMethod(d.data(), "onOpenContactCard");
        QCoreApplication::sendPostedEvents();
        QStringList shown;
        for (MSceneWindow *w : m_bench.window()->sceneManager()->overlays())
            if (w->sceneWindowState() != MSceneWindow::Disappearing &&
                w->sceneWindowState() != MSceneWindow::Disappeared)
                shown << w->metaObject()->className();
        TestSupport::saveScreenshot(m_bench.window(), QStringLiteral("dialog-multicontacts-gone"));
        QCOMPARE(shown.join(','), QString());
        QVERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
    }

    void shouldSaveScreenshotsOfEveryKind_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("ar") << "ar";
    }

    void shouldSaveScreenshotsOfEveryKind()
    {
        QFETCH(QString, language);
        DialogTestBench::setLanguage(language);
        CommHistory::Event emergency = DialogTestBench::call(DialogTestBench::Cellular, "112");
        emergency.setIsEmergencyCall(true);
        const QString sip = DialogTestBench::Sip;
        const QString cell = DialogTestBench::Cellular;
        const QList<QPair<QString, CommHistory::Event>> kinds = {
            {"knowncontact", DialogTestBench::call(cell, "+358401234567", anna())},
            {"knowncontactvoip", DialogTestBench::call(sip, "sip:bob@example.com", bob())},
            {"knowncontactvoiptocs",
             DialogTestBench::call(sip, "sip:+358409876543@example.com", bob())},
            {"unknowncontact", DialogTestBench::call(cell, "0401111111")},
            {"unknowncontactvoip", DialogTestBench::call(sip, "alice")},
            {"unknowncontactvoiptocs", DialogTestBench::call(sip, "sip:0401111111@example.com")},
            {"multicontacts",
             DialogTestBench::call(cell, "0402222222",
                                   {{m_anna, "Anna Virtanen"}, {m_bob, "Bob Smith"}})},
            {"service", emergency},
            {"servicevoiptocs", DialogTestBench::call(sip, VoicemailNo)}};
        for (const auto &kind : kinds) {
            CallHistoryItem *r = row(kind.second);
            if (r->contacts().size() == 1)
                QTRY_VERIFY(r->numberCount() > 0);
            ReturnCallDialog *d = tap(r);
            QVERIFY2(d, qPrintable(kind.first));
            QTest::qWait(50);
            TestSupport::saveScreenshot(m_bench.window(),
                                        QStringLiteral("dialog-%1-%2").arg(kind.first, language));
            closeAll();
        }
        DialogTestBench::setLanguage(QStringLiteral("en"));
    }
};

CH_TOUCH_TEST_MAIN(TestReturnCallDialog)
#include "tst_returncalldialog.moc"
