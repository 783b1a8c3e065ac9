#include "../accounts/accountstestdatabase.h"
#include "avatarwidget.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorycontact.h"
#include "callhistorycontactsmanager.h"
#include "callhistorylocale.h"
#include "contactsengine.h"
#include "detailselector.h"
#include "detailselectoritem.h"
#include "detailselectormodel.h"
#include "displaytext.h"
#include "event.h"
#include "eventfilter.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "page.h"
#include "testsupport.h"
#include "voicemailstore.h"

#include <QtContacts/QContactGuid>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QAbstractItemModelTester>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

namespace {
const QString Prefix = QStringLiteral("/org/freedesktop/Telepathy/Account/");
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString WorkSip = Prefix + QStringLiteral("chtest/sip/work");
const QString HomeSip = Prefix + QStringLiteral("chtest/sip/home");
const QString Talk = Prefix + QStringLiteral("gabble/jabber/talk");
const QString Voip = QStringLiteral("velto-sip-voip");

// A page of the program, as the contacts page is: its call() goes to the call-UI service.
class CallingPage : public Page
{
public:
    MApplicationPage *scenePage() override { return &m_page; }
    void enterPage() override {}
    void leavePage() override {}
    void resetPage() override {}
    void restorePrestart() override {}

private:
    MApplicationPage m_page;
};

QString shortPath(const QString &path)
{
    return path == Cellular ? QStringLiteral("cellular") : path.section(QLatin1Char('/'), -1);
}

// "account|first line|address|presence|video" of every row, one row a line.
QString describe(const DetailSelectorModel *model)
{
    QStringList out;
    for (int row = 0; row < model->rowCount(); ++row) {
        const DetailEntry e = model->entry(row);
        out << QStringList{shortPath(e.accountPath), firstLengthVariant(e.type), e.displayName,
                           e.presenceState.section(QLatin1Char('-'), -1),
                           e.isVideoCall ? QStringLiteral("video") : QString()}
                   .join(QLatin1Char('|'));
    }
    return out.join(QLatin1Char('\n'));
}
} // namespace

// The number picker of a contact on the real address book, a real accounts database and the
// development call-UI service: the four passes of its rows, its updates, and the call it places.
class TestDetailSelector : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<AccountsTestDatabase> m_db;
    QTemporaryDir m_flagDir;
    QString m_flag;
    CallHistoryLocale *m_locale = nullptr;
    CallHistoryAccountsManager *m_accounts = nullptr;
    CallHistoryContactsManager *m_contacts = nullptr;
    MApplicationWindow *m_window = nullptr;
    QProcess m_service;
    QList<QContactId> m_saved;

    QContactManager &book()
    {
        static QContactManager manager(ContactsEngine::ensureRegistered());
        return manager;
    }

    void setVideoFlag(bool on)
    {
        if (on) {
            QFile file(m_flag);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QFile::remove(m_flag);
        }
    }

    static void addNumber(QContact *contact, const QString &number, QList<int> contexts,
                          QList<int> subTypes)
    {
        QContactPhoneNumber phone;
        phone.setNumber(number);
        phone.setContexts(contexts);
        phone.setSubTypes(subTypes);
        contact->saveDetail(&phone);
    }

    static void addAccount(QContact *contact, const QString &uri, const QString &path,
                           const QStringList &capabilities, int presence)
    {
        QContactOnlineAccount account;
        account.setAccountUri(uri);
        account.setValue(QContactOnlineAccount__FieldAccountPath, path);
        account.setCapabilities(capabilities);
        if (presence != QContactPresence::PresenceUnknown) {
            account.setLinkedDetailUris(QStringLiteral("presence:") + uri);
            QContactPresence p;
            p.setDetailUri(QStringLiteral("presence:") + uri);
            p.setPresenceState(QContactPresence::PresenceState(presence));
            p.setCustomMessage(QStringLiteral("<b>At the office</b>"));
            contact->saveDetail(&p);
        }
        contact->saveDetail(&account);
    }

    // Anna: a work mobile in international form, a local home number, a talk account with
    // voice, video and presence, a SIP account with voice and video (video not offered there).
    QContact saveAnna()
    {
        QContact anna;
        QContactName name;
        name.setFirstName(QStringLiteral("Anna <i>"));
        name.setLastName(QStringLiteral("Berg"));
        anna.saveDetail(&name);
        addNumber(&anna, QStringLiteral("+358401234567"), {QContactDetail::ContextWork},
                  {QContactPhoneNumber::SubTypeMobile});
        addNumber(&anna, QStringLiteral("0912345678"), {QContactDetail::ContextHome}, {});
        addAccount(&anna, QStringLiteral("anna@talk.example"), Talk,
                   {QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")},
                   QContactPresence::PresenceAvailable);
        addAccount(&anna, QStringLiteral("anna@sip.example"), WorkSip,
                   {QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")},
                   QContactPresence::PresenceUnknown);
        if (!book().saveContact(&anna))
            return QContact();
        m_saved << anna.id();
        return anna;
    }

    QString label(const QString &path) { return m_accounts->accountServiceName(path); }
    QString voipLabel(const QString &name, const QString &path)
    {
        // The account's own name keeps its direction inside text of the other one.
        return QStringLiteral("%1 (%2)").arg(ownDirectionRun(name), label(path));
    }
    static QString kind(const char *id) { return qtTrId(id); }

    // What the four passes list for Anna, with or without video rows.
    QString annaRows(bool video)
    {
        const QString mobile = kind("qtn_comm_type_mobile");
        const QString home = kind("qtn_comm_type_home");
        QStringList rows{
            "cellular|" + mobile + "|+358401234567||",
            "cellular|" + home + "|0912345678||",
            "talk|" + label(Talk) + "|anna@talk.example|online|",
            "work|" + label(WorkSip) + "|anna@sip.example||",
            // Home does not accept local numbers: only the international one.
            "home|" + voipLabel("Home", HomeSip) + " | " + mobile + "|+358401234567||",
            "work|" + voipLabel("Work", WorkSip) + " | " + mobile + "|+358401234567||",
            "work|" + voipLabel("Work", WorkSip) + " | " + home + "|0912345678||",
        };
        if (video)
            rows << "talk|" + label(Talk) + " | " +
                        firstLengthVariant(qtTrId("qtn_call_video_call")) +
                        "|anna@talk.example||video";
        return rows.join(QLatin1Char('\n'));
    }

    // A selector shown in the window, its contact resolved.
    DetailSelector *openSelector(const QContact &contact)
    {
        auto *selector = new DetailSelector(contact, m_contacts, m_accounts);
        selector->appear(m_window, MSceneWindow::DestroyWhenDone);
        if (!QTest::qWaitFor([&] {
                CallHistoryContact *record =
                    m_contacts->cachedContact(ContactsEngine::toLocalId(contact.id()));
                return record && record->isResolved();
            }))
            return nullptr;
        QTest::qWait(50);
        selector->list()->flush();
        return selector;
    }

    MBanner *shownBanner()
    {
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            if (auto *banner = qobject_cast<MBanner *>(w))
                return banner;
        return nullptr;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // The top of the list, then its end (the video row).
    void saveScreenshots(DetailSelector *selector, const QString &name)
    {
        TestSupport::saveScreenshot(m_window, name);
        const QModelIndex last = selector->model()->index(selector->model()->rowCount() - 1);
        selector->list()->scrollTo(last);
        selector->list()->flush();
        QTest::qWait(50);
        TestSupport::saveScreenshot(m_window, name + QStringLiteral("-end"));
        selector->list()->scrollTo(selector->model()->index(0));
    }

    void setLanguage(const QString &name)
    {
        MLocale locale(name);
        locale.installTrCatalog(QStringLiteral("telephony"));
        locale.installTrCatalog(QStringLiteral("call-accounts"));
        MLocale::setDefault(locale);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db.reset(new AccountsTestDatabase);
        QVERIFY(m_db->isValid());
        QVERIFY(m_flagDir.isValid());
        m_flag = m_flagDir.filePath(QStringLiteral("callUIVideoButton"));
        qputenv("CALL_HISTORY_VIDEO_BUTTON_FLAG", QFile::encodeName(m_flag));
        setLanguage(QStringLiteral("en_GB"));

        const Accounts::AccountId work =
            m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Work"),
                         {{Voip, WorkSip.mid(Prefix.size())}});
        const Accounts::AccountId home =
            m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Home"),
                         {{Voip, HomeSip.mid(Prefix.size())}});
        const Accounts::AccountId talk =
            m_db->create(QStringLiteral("google"), QStringLiteral("Talk"),
                         {{QStringLiteral("google-talk"), Talk.mid(Prefix.size())}});
        QVERIFY(work && home && talk);
        QVERIFY(m_db->setValue(home, Voip, QStringLiteral("acceptLocalPhoneNumbers"), false));

        m_locale = new CallHistoryLocale(CallHistoryLocale::Clock(), this);
        m_accounts = new CallHistoryAccountsManager(m_locale, this);
        QTRY_COMPARE(m_accounts->accounts(true, true, false).size(), 2);
        QTRY_VERIFY(m_accounts->hasAccount(Talk, true));
        CallHistoryContactsManager::Timings timings;
        timings.batchWindow = 10;
        timings.changeDebounce = 10;
        m_contacts = new CallHistoryContactsManager({}, timings, this);

        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));

        m_service.setProcessChannelMode(QProcess::ForwardedChannels);
        m_service.start(TestSupport::builtProgram("services/call-ui-dev/call-ui-dev-service"),
                        {QStringLiteral("--answer-after"), QStringLiteral("-1"),
                         QStringLiteral("--end-after"), QStringLiteral("-1")});
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi")));
    }

    void cleanup()
    {
        book().removeContacts(m_saved);
        m_saved.clear();
        setLanguage(QStringLiteral("en_GB"));
    }

    void cleanupTestCase()
    {
        m_service.kill();
        m_service.waitForFinished();
        delete m_window;
    }

    void shouldListEveryWayOfCallingInFourPasses_data()
    {
        QTest::addColumn<bool>("videoFlag");
        QTest::newRow("video flag file present") << true;
        QTest::newRow("no video flag file") << false;
    }
    void shouldListEveryWayOfCallingInFourPasses()
    {
        QFETCH(bool, videoFlag);
        setVideoFlag(videoFlag);
        const QContact anna = saveAnna();
        QVERIFY(!anna.isEmpty());
        QPointer<DetailSelector> selector = openSelector(anna);
        QVERIFY(selector);
        QAbstractItemModelTester tester(selector->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(describe(selector->model()).split(QLatin1Char('\n')),
                 annaRows(videoFlag).split(QLatin1Char('\n')));
        // Outside text reaches the screen as plain text.
        QCOMPARE(selector->nameLabel()->text(), QStringLiteral("Anna <i> Berg"));
        QCOMPARE(selector->subtitleLabel()->text(), QStringLiteral("<b>At the office</b>"));
        QCOMPARE(selector->nameLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(selector->subtitleLabel()->textFormat(), Qt::PlainText);
        auto *first = static_cast<DetailSelectorItem *>(
            selector->list()->cellForIndex(selector->model()->index(0)));
        QVERIFY(first);
        QCOMPARE(first->addressLabel()->text(), numberForDisplay(QStringLiteral("+358401234567")));
        QCOMPARE(first->typeLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(first->addressLabel()->textFormat(), Qt::PlainText);
        auto *talk = static_cast<DetailSelectorItem *>(
            selector->list()->cellForIndex(selector->model()->index(2)));
        QCOMPARE(talk->presenceIcon()->image(), QStringLiteral("icon-s-common-presence-online"));
        QCOMPARE(talk->presenceIcon()->styleName(), QStringLiteral("CallHistoryPresenceIcon"));
        QCOMPARE(first->presenceIcon()->styleName(), QStringLiteral("ZeroSizeWidget"));
        if (videoFlag)
            saveScreenshots(selector, QStringLiteral("detailselector-en"));
        selector->dismiss();
        QTRY_VERIFY(!selector);
    }

    void shouldFollowUpdatesKeepingRowsAndWidgets()
    {
        setVideoFlag(true);
        QContact anna = saveAnna();
        QPointer<DetailSelector> selector = openSelector(anna);
        QVERIFY(selector);
        DetailSelectorModel *model = selector->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QString before = describe(model);
        QList<MWidget *> cells;
        for (int row = 0; row < model->rowCount(); ++row)
            cells << selector->list()->cellForIndex(model->index(row));
        QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);

        // The home number goes, a new number comes, the talk account goes offline-less.
        anna = book().contact(anna.id());
        for (QContactPhoneNumber number : anna.details<QContactPhoneNumber>())
            if (number.number() == QLatin1String("0912345678"))
                anna.removeDetail(&number);
        for (QContactPresence presence : anna.details<QContactPresence>())
            anna.removeDetail(&presence);
        addNumber(&anna, QStringLiteral("+4930123456"), {}, {QContactPhoneNumber::SubTypeFax});
        QVERIFY(book().saveContact(&anna));

        const QString fax = kind("qtn_comm_type_fax");
        QString expected = before;
        expected.replace(QStringLiteral("|online|"), QStringLiteral("||"));
        expected += "\ncellular|" + fax + "|+4930123456||" + "\nhome|" +
                    voipLabel("Home", HomeSip) + " | " + fax + "|+4930123456||" + "\nwork|" +
                    voipLabel("Work", WorkSip) + " | " + fax + "|+4930123456||";
        QTRY_COMPARE(describe(model), expected);
        QCOMPARE(removed.count(), 0);
        QCOMPARE(reset.count(), 0);
        QCOMPARE(inserted.count(), 3);
        selector->list()->flush();
        for (int row = 0; row < cells.size(); ++row)
            QCOMPARE(selector->list()->cellForIndex(model->index(row)), cells.at(row));
        auto *talk = static_cast<DetailSelectorItem *>(cells.at(2));
        QCOMPARE(talk->presenceIcon()->styleName(), QStringLiteral("ZeroSizeWidget"));

        // An update that leaves nothing to call is ignored: the list stays as it is.
        const QString kept = describe(model);
        QContact empty = book().contact(anna.id());
        for (QContactPhoneNumber number : empty.details<QContactPhoneNumber>())
            empty.removeDetail(&number);
        for (QContactOnlineAccount account : empty.details<QContactOnlineAccount>())
            empty.removeDetail(&account);
        QVERIFY(book().saveContact(&empty));
        QTRY_VERIFY(m_contacts->cachedContact(ContactsEngine::toLocalId(anna.id()))
                        ->contact()
                        .details<QContactPhoneNumber>()
                        .isEmpty());
        QVERIFY(selector);
        QCOMPARE(describe(model), kept);
        selector->dismiss();
    }

    void shouldPlaceTheChosenCallThroughTheCallUiService_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expectedCall");
        QTest::newRow("cellular number") << 0 << "cellular +358401234567 Anna <i> Berg audio";
        QTest::newRow("number over a VoIP account") << 6 << "work 0912345678 Anna <i> Berg audio";
        QTest::newRow("video row") << 7 << "talk anna@talk.example Anna <i> Berg video";
    }
    void shouldPlaceTheChosenCallThroughTheCallUiService()
    {
        QFETCH(int, row);
        QFETCH(QString, expectedCall);
        setVideoFlag(true);
        const QContact anna = saveAnna();
        QPointer<DetailSelector> selector = openSelector(anna);
        QVERIFY(selector);
        CallingPage page;
        connect(selector, &DetailSelector::call, &page,
                QOverload<QString, QString, quint32, QString, bool>::of(&Page::call));
        QSignalSpy calls(selector.data(), &DetailSelector::call);
        const QDateTime placed = QDateTime::currentDateTime().addSecs(-1);

        selector->list()->scrollTo(selector->model()->index(row));
        selector->list()->flush();
        MWidget *cell = nullptr;
        QTRY_VERIFY((cell = selector->list()->cellForIndex(selector->model()->index(row))));
        tap(cell);
        QTRY_COMPARE(calls.count(), 1);
        const QList<QVariant> args = calls.takeFirst();
        QCOMPARE(args.at(2).toUInt(), ContactsEngine::toLocalId(anna.id()));
        QCOMPARE(
            QStringList({shortPath(args.at(0).toString()), args.at(1).toString(),
                         args.at(3).toString(),
                         args.at(4).toBool() ? QStringLiteral("video") : QStringLiteral("audio")})
                .join(' '),
            expectedCall);
        // The tap closed the dialog.
        QTRY_VERIFY(!selector);

        // The service placed that call and wrote it into the history store.
        CommHistory::EventStore store;
        QVERIFY(store.open());
        const QString address = args.at(1).toString();
        CommHistory::Event written;
        QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                     QList<CommHistory::Event> events;
                                     store.events(CommHistory::EventFilter(), CommHistory::Event(),
                                                  50, &events);
                                     for (const CommHistory::Event &e : events) {
                                         if (e.remoteUid() == address && e.startTime() >= placed) {
                                             written = e;
                                             return true;
                                         }
                                     }
                                     return false;
                                 }()),
                                 10000);
        QCOMPARE(
            QStringList({shortPath(written.localUid()), written.remoteUid(),
                         written.isVideoCall() ? QStringLiteral("video") : QStringLiteral("audio")})
                .join(' '),
            QStringList({shortPath(args.at(0).toString()), address,
                         args.at(4).toBool() ? QStringLiteral("video") : QStringLiteral("audio")})
                .join(' '));
    }

    // A contact's address on an account the phone does not have (an address book brought from
    // elsewhere): the row says so, in place of the account's icon and name, and is not called.
    void shouldShowAndNotCallAnAddressOnAMissingAccount()
    {
        setVideoFlag(true);
        QContact carla;
        QContactName name;
        name.setFirstName(QStringLiteral("Carla"));
        carla.saveDetail(&name);
        addAccount(&carla, QStringLiteral("carla@voip.example"), Prefix + "sofiasip/sip/account0",
                   {QStringLiteral("AudioCalls"), QStringLiteral("VideoCalls")},
                   QContactPresence::PresenceBusy);
        QVERIFY(book().saveContact(&carla));
        m_saved << carla.id();
        QPointer<DetailSelector> selector = openSelector(carla);
        QVERIFY(selector);
        QCOMPARE(describe(selector->model()),
                 "account0|" + qtTrId("qtn_call_account_missing") + "|carla@voip.example||");
        auto *row = static_cast<DetailSelectorItem *>(
            selector->list()->cellForIndex(selector->model()->index(0)));
        QVERIFY(row);
        QCOMPARE(row->icon()->image(), QStringLiteral("icon-m-telephony-account-missing"));
        TestSupport::saveScreenshot(m_window, QStringLiteral("detailselector-missing-account"));
        QSignalSpy calls(selector.data(), &DetailSelector::call);
        tap(row);
        MBanner *banner = nullptr;
        QTRY_VERIFY((banner = shownBanner()));
        QCOMPARE(banner->title(), qtTrId("qtn_call_account_missing_info"));
        QCOMPARE(calls.count(), 0);
        QCOMPARE(selector->sceneWindowState(), MSceneWindow::Appeared);
        selector->dismiss();
        banner->dismiss();
        QTRY_VERIFY(!selector);
    }

    // The header shows the contact as the contacts list does (initials, centred beside them),
    // and each row's icon keeps its distance from its texts, in both directions.
    void shouldLookLikeTheContactsList_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en_GB";
        QTest::newRow("ar") << "ar_EG";
    }
    void shouldLookLikeTheContactsList()
    {
        QFETCH(QString, language);
        setLanguage(language);
        const bool rtl = language.startsWith("ar");
        QContact dan;
        QContactName name;
        name.setFirstName(QStringLiteral("Dan"));
        name.setLastName(QStringLiteral("Berg"));
        dan.saveDetail(&name);
        addNumber(&dan, QStringLiteral("0401624635"), {}, {QContactPhoneNumber::SubTypeMobile});
        QVERIFY(book().saveContact(&dan));
        m_saved << dan.id();
        QPointer<DetailSelector> selector = openSelector(dan);
        QVERIFY(selector);
        QTRY_COMPARE(selector->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_window, "detailselector-look-" + language.left(2));
        QCOMPARE(selector->avatar()->initials(), QStringLiteral("DB"));
        const QRectF avatar = selector->avatar()->mapRectToScene(selector->avatar()->rect());
        const QRectF title = selector->nameLabel()->mapRectToScene(selector->nameLabel()->rect());
        QVERIFY2(
            qAbs(title.center().y() - avatar.center().y()) <= 1,
            qPrintable(QStringLiteral("%1 %2").arg(title.center().y()).arg(avatar.center().y())));
        auto *row = static_cast<DetailSelectorItem *>(
            selector->list()->cellForIndex(selector->model()->index(0)));
        QVERIFY(row);
        const QRectF icon = row->icon()->mapRectToScene(row->icon()->contentsRect());
        const QRectF text = row->addressLabel()->mapRectToScene(row->addressLabel()->rect());
        const qreal gap = rtl ? icon.left() - text.right() : text.left() - icon.right();
        QVERIFY2(gap >= 12, qPrintable(QString::number(gap)));
        selector->dismiss();
        QTRY_VERIFY(!selector);
    }

    void shouldCloseWhenTheContactHasNothingToCall()
    {
        QContact nobody;
        QContactName name;
        name.setFirstName(QStringLiteral("Nobody"));
        nobody.saveDetail(&name);
        addAccount(&nobody, QStringLiteral("chat@only.example"), Talk, {QStringLiteral("TextChat")},
                   QContactPresence::PresenceUnknown);
        QVERIFY(book().saveContact(&nobody));
        m_saved << nobody.id();
        QPointer<DetailSelector> selector = new DetailSelector(nobody, m_contacts, m_accounts);
        QSignalSpy dismissed(selector.data(), &MSceneWindow::dismissed);
        selector->appear(m_window, MSceneWindow::DestroyWhenDone);
        QCOMPARE(selector->model()->rowCount(), 0);
        QTRY_COMPARE(dismissed.count(), 1);
        QTRY_VERIFY(!selector);
    }

    void shouldShowTheVoicemailContactWithItsImage()
    {
        QContact voicemail;
        QContactGuid guid;
        guid.setGuid(QLatin1String(VoicemailStore::voicemailContactGUID));
        voicemail.saveDetail(&guid);
        QContactName name;
        name.setFirstName(QStringLiteral("Voicemail"));
        voicemail.saveDetail(&name);
        addNumber(&voicemail, QStringLiteral("+358401112222"), {}, {});
        QVERIFY(book().saveContact(&voicemail));
        m_saved << voicemail.id();
        QPointer<DetailSelector> selector = openSelector(voicemail);
        QVERIFY(selector);
        QCOMPARE(selector->avatar()->image(), QStringLiteral("icon-m-telephony-contact-voicemail"));
        selector->dismiss();
    }

    void shouldLayOutRightToLeftInArabic()
    {
        setVideoFlag(true);
        setLanguage(QStringLiteral("ar_EG"));
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
        const QContact anna = saveAnna();
        QPointer<DetailSelector> selector = openSelector(anna);
        QVERIFY(selector);
        auto *first = static_cast<DetailSelectorItem *>(
            selector->list()->cellForIndex(selector->model()->index(0)));
        QVERIFY(first);
        // Arabic digits, kept left to right.
        QCOMPARE(first->addressLabel()->text(), numberForDisplay(QStringLiteral("+358401234567")));
        QVERIFY(first->addressLabel()->text().contains(QChar(0x0664)));
        saveScreenshots(selector, QStringLiteral("detailselector-ar"));
        selector->dismiss();
        QTRY_VERIFY(!selector);
    }
};

CH_TOUCH_TEST_MAIN(TestDetailSelector)
#include "tst_detailselector.moc"
