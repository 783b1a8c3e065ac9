#include "accountstestdatabase.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorylocale.h"
#include "mlocale.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QString Prefix = QStringLiteral("/org/freedesktop/Telepathy/Account/");
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Voip = QStringLiteral("velto-sip-voip");
const QString Chat = QStringLiteral("velto-sip-chat");
const QString Talk = QStringLiteral("google-talk");

// "path:displayName" of each record, in the given order.
QString describe(const QList<CallHistoryAccount *> &records)
{
    QStringList parts;
    for (const CallHistoryAccount *r : records)
        parts << r->path().mid(Prefix.size()) + QLatin1Char(':') + r->displayName();
    return parts.join(QLatin1Char(' '));
}
} // namespace

// A registry whose database reads fail `failures` times with `error` (a reader of the WAL
// database cannot be locked out for real).
class BusyDatabaseManager : public CallHistoryAccountsManager
{
public:
    using CallHistoryAccountsManager::CallHistoryAccountsManager;
    int failures = 0;
    int reads = 0;
    Accounts::Error::ErrorType error = Accounts::Error::DatabaseLocked;

protected:
    Accounts::Account *readAccount(Accounts::AccountId id,
                                   Accounts::Error::ErrorType *error) override
    {
        ++reads;
        if (failures > 0) {
            --failures;
            *error = this->error;
            return nullptr;
        }
        return CallHistoryAccountsManager::readAccount(id, error);
    }
};

// The registry over a private accounts database, changed as a settings application would.
class TestCallHistoryAccountsManager : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void shouldHoldOnlyCellularWithoutAccounts();
    void shouldMakeOneRecordPerServiceWithTelepathyUid();
    void shouldReadServiceSettings_data();
    void shouldReadServiceSettings();
    void shouldRefreshRecordInPlaceOnUpdate();
    void shouldFollowDisabling_data();
    void shouldFollowDisabling();
    void shouldRemoveEveryServiceOfARemovedAccount();
    void shouldSortCellularFirstThenByServiceThenByName();
    void shouldListCellularFirstWhateverItsName();
    void shouldFilterByEnabledTelAndCellular_data();
    void shouldFilterByEnabledTelAndCellular();
    void shouldAnswerLookups_data();
    void shouldAnswerLookups();
    void shouldOfferVideoOnlyOnGoogle_data();
    void shouldOfferVideoOnlyOnGoogle();
    void shouldFollowTheUriSchemesKey();
    void shouldRetryWhileTheDatabaseIsBusy_data();
    void shouldRetryWhileTheDatabaseIsBusy();

private:
    CallHistoryAccountsManager *makeManager();
    bool waitForRecords(int count);

    QScopedPointer<AccountsTestDatabase> m_db;
    CallHistoryLocale *m_locale = nullptr;
    CallHistoryAccountsManager *m_manager = nullptr;
    QList<Accounts::AccountId> m_created;
};

void TestCallHistoryAccountsManager::initTestCase()
{
    m_db.reset(new AccountsTestDatabase);
    QVERIFY(m_db->isValid());
    m_locale = new CallHistoryLocale(CallHistoryLocale::Clock(), this);
    m_locale->locale()->setRegion(QStringLiteral("en_GB"));
    m_locale->locale()->installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(*m_locale->locale());
}

void TestCallHistoryAccountsManager::init()
{
    m_manager = nullptr;
    m_created.clear();
}

void TestCallHistoryAccountsManager::cleanup()
{
    delete m_manager;
    m_manager = nullptr;
    for (Accounts::AccountId id : qAsConst(m_created))
        m_db->remove(id);
}

CallHistoryAccountsManager *TestCallHistoryAccountsManager::makeManager()
{
    m_manager = new CallHistoryAccountsManager(m_locale);
    return m_manager;
}

bool TestCallHistoryAccountsManager::waitForRecords(int count)
{
    return QTest::qWaitFor([&] { return m_manager->accounts(false, false, true).size() == count; },
                           5000);
}

void TestCallHistoryAccountsManager::shouldHoldOnlyCellularWithoutAccounts()
{
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(describe(manager->accounts(false, false, true)),
             QStringLiteral("pulse/tel/pulse:Phone"));
    QVERIFY(manager->accounts(false, false, false).isEmpty());
    QCOMPARE(manager->defaultAccountPath(true, true, true), Cellular);
    QCOMPARE(manager->defaultAccountPath(true, true, false), QString());
    QVERIFY(manager->hasAccounts(true, true, true, false));
    QVERIFY(!manager->hasAccounts(true, true, true, true));
    QVERIFY(!manager->hasAccounts(false, false, false, false));

    CallHistoryAccount *cellular = manager->account(Cellular);
    QVERIFY(cellular);
    QCOMPARE(cellular->accountId(), 0u);
    QCOMPARE(cellular->serviceName(), QStringLiteral("Phone"));
    QCOMPARE(cellular->iconName(), QStringLiteral("icon-m-telephony-second-call"));
    QVERIFY(cellular->supportsTelUri());
    QVERIFY(cellular->acceptLocalPhoneNumbers());
    QVERIFY(cellular->enabled());
    QVERIFY(cellular->protocol().isEmpty());
    QVERIFY(cellular->providerName().isEmpty());
    QVERIFY(cellular->creditsText().isEmpty());
}

void TestCallHistoryAccountsManager::shouldMakeOneRecordPerServiceWithTelepathyUid()
{
    CallHistoryAccountsManager *manager = makeManager();
    QSignalSpy changed(manager, SIGNAL(accountsChanged()));

    // One uid already a full path, one to be prefixed; a service without uid gives no record.
    const Accounts::AccountId both =
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Work"),
                     {{Voip, Prefix + QStringLiteral("sofiasip/sip/work0")},
                      {Chat, QStringLiteral("sofiasip/sip/work1")}});
    const Accounts::AccountId none =
        m_db->create(QStringLiteral("google"), QStringLiteral("Nobody"), {{Talk, QString()}});
    QVERIFY(both && none);
    m_created << both << none;

    QVERIFY(waitForRecords(3));
    QCOMPARE(describe(manager->accounts(false, false, false)),
             QStringLiteral("sofiasip/sip/work0:Work sofiasip/sip/work1:Work"));
    QCOMPARE(manager->account(Prefix + QStringLiteral("sofiasip/sip/work0"))->accountId(), both);
    QCOMPARE(manager->account(Prefix + QStringLiteral("sofiasip/sip/work1"))->accountId(), both);
    QVERIFY(changed.count() >= 2);
    QVERIFY(manager->accountsDbAccount(both));
    QVERIFY(!manager->accountsDbAccount(both + 100));

    // Records are read at construction too.
    delete m_manager;
    manager = makeManager();
    QCOMPARE(manager->accounts(false, false, true).size(), 3);
}

void TestCallHistoryAccountsManager::shouldReadServiceSettings_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("serviceName");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("telUri");
    QTest::addColumn<bool>("localNumbers");
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QString>("background");

    QTest::newRow("sip calls") << Voip << "velto-sip"
                               << "qtn_acc_service_internet_call"
                               << "icon-m-service-sip"
                               << "sip" << true << true << "icon-m-service-sip"
                               << "#1d6fb8";
    QTest::newRow("sip chat") << Chat << "velto-sip"
                              << "qtn_acc_service_sip_chat"
                              << "icon-m-service-sip-chat"
                              << "sip" << false << false << ""
                              << "";
    QTest::newRow("google talk") << Talk << "google"
                                 << "qtn_acc_service_google_talk"
                                 << "icon-m-service-google-talk"
                                 << "jabber" << false << false << ""
                                 << "";
}

void TestCallHistoryAccountsManager::shouldReadServiceSettings()
{
    QFETCH(QString, service);
    QFETCH(QString, provider);
    QFETCH(QString, serviceName);
    QFETCH(QString, icon);
    QFETCH(QString, protocol);
    QFETCH(bool, telUri);
    QFETCH(bool, localNumbers);
    QFETCH(QString, logo);
    QFETCH(QString, background);

    const Accounts::AccountId id =
        m_db->create(provider, QStringLiteral("Mine"), {{service, QStringLiteral("cm/p/mine")}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    const CallHistoryAccount *r = manager->account(Prefix + QStringLiteral("cm/p/mine"));
    QVERIFY(r);
    QCOMPARE(r->displayName(), QStringLiteral("Mine"));
    QCOMPARE(r->providerName(), provider);
    QCOMPARE(r->serviceName(), serviceName);
    QCOMPARE(r->iconName(), icon);
    QCOMPARE(r->protocol(), protocol);
    QCOMPARE(r->supportsTelUri(), telUri);
    QCOMPARE(r->acceptLocalPhoneNumbers(), localNumbers);
    QCOMPARE(r->logoGraphic(), logo);
    QCOMPARE(r->backgroundColor(), background);
    QVERIFY(r->enabled());
    QVERIFY(!r->tpAccount());
}

void TestCallHistoryAccountsManager::shouldRefreshRecordInPlaceOnUpdate()
{
    const Accounts::AccountId id = m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Old"),
                                                {{Voip, QStringLiteral("cm/p/a")}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    CallHistoryAccount *record = manager->account(Prefix + QStringLiteral("cm/p/a"));
    QVERIFY(record);
    QSignalSpy changed(manager, SIGNAL(accountsChanged()));

    QVERIFY(m_db->setDisplayName(id, QStringLiteral("New")));
    QVERIFY(m_db->setValue(id, Voip, QStringLiteral("protocol"), QStringLiteral("sips")));
    // Read once at creation only.
    QVERIFY(m_db->setValue(id, Voip, QStringLiteral("dialer-logo-graphic"), QStringLiteral("x")));
    QVERIFY(QTest::qWaitFor([&] { return record->protocol() == QLatin1String("sips"); }, 5000));

    QCOMPARE(manager->account(Prefix + QStringLiteral("cm/p/a")), record);
    QCOMPARE(record->displayName(), QStringLiteral("New"));
    QCOMPARE(record->logoGraphic(), QStringLiteral("icon-m-service-sip"));
    QVERIFY(!changed.isEmpty());
    QCOMPARE(manager->accounts(false, false, false).size(), 1);
}

void TestCallHistoryAccountsManager::shouldFollowDisabling_data()
{
    QTest::addColumn<QString>("disabledService");
    QTest::addColumn<bool>("callsEnabled");
    QTest::addColumn<bool>("chatEnabled");
    QTest::newRow("whole account, services still enabled") << QString() << false << false;
    QTest::newRow("one service") << Chat << true << false;
}

void TestCallHistoryAccountsManager::shouldFollowDisabling()
{
    QFETCH(QString, disabledService);
    QFETCH(bool, callsEnabled);
    QFETCH(bool, chatEnabled);

    const Accounts::AccountId id =
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Home"),
                     {{Voip, QStringLiteral("cm/p/calls")}, {Chat, QStringLiteral("cm/p/chat")}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(manager->accounts(true, false, false).size(), 2);

    QVERIFY(m_db->setEnabled(id, disabledService, false));
    const QString calls = Prefix + QStringLiteral("cm/p/calls");
    const QString chat = Prefix + QStringLiteral("cm/p/chat");
    QVERIFY(QTest::qWaitFor([&] { return !manager->hasAccount(chat, true); }, 5000));
    QCOMPARE(manager->hasAccount(calls, true), callsEnabled);
    QCOMPARE(manager->account(chat)->enabled(), chatEnabled);
    QVERIFY(manager->hasAccount(chat, false));
    QCOMPARE(manager->accounts(true, false, false).size(), callsEnabled ? 1 : 0);
    QCOMPARE(manager->accounts(false, false, false).size(), 2);

    // A registry made afterwards reads the same state.
    delete m_manager;
    manager = makeManager();
    QCOMPARE(manager->hasAccount(calls, true), callsEnabled);
    QCOMPARE(manager->hasAccount(chat, true), chatEnabled);
}

void TestCallHistoryAccountsManager::shouldRemoveEveryServiceOfARemovedAccount()
{
    const Accounts::AccountId id =
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Gone"),
                     {{Voip, QStringLiteral("cm/p/one")}, {Chat, QStringLiteral("cm/p/two")}});
    const Accounts::AccountId other = m_db->create(
        QStringLiteral("velto-sip"), QStringLiteral("Kept"), {{Voip, QStringLiteral("cm/p/kept")}});
    QVERIFY(id && other);
    m_created << other;
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(manager->accounts(false, false, true).size(), 4);
    // The creation notifications are still on their way; each refreshes the records.
    QTest::qWait(300);
    QSignalSpy changed(manager, SIGNAL(accountsChanged()));

    QVERIFY(m_db->remove(id));
    QVERIFY(waitForRecords(2));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(describe(manager->accounts(false, false, true)),
             QStringLiteral("pulse/tel/pulse:Phone cm/p/kept:Kept"));
    QVERIFY(!manager->accountsDbAccount(id));
    QVERIFY(!manager->hasAccount(Prefix + QStringLiteral("cm/p/one"), false));
}

void TestCallHistoryAccountsManager::shouldSortCellularFirstThenByServiceThenByName()
{
    // Service names: "qtn_acc_service_google_talk" < "qtn_acc_service_internet_call" <
    // "qtn_acc_service_sip_chat"; the code-unit order puts "Zed" before "bob".
    const QList<Accounts::AccountId> ids = {
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("bob"),
                     {{Voip, QStringLiteral("s/b/calls")}, {Chat, QStringLiteral("s/b/chat")}}),
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Zed"),
                     {{Voip, QStringLiteral("s/z/calls")}}),
        m_db->create(QStringLiteral("google"), QStringLiteral("Amy"),
                     {{Talk, QStringLiteral("g/a/talk")}})};
    QVERIFY(!ids.contains(0));
    m_created << ids;
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(describe(manager->accounts(false, false, true)),
             QStringLiteral("pulse/tel/pulse:Phone g/a/talk:Amy s/z/calls:Zed s/b/calls:bob "
                            "s/b/chat:bob"));
    QCOMPARE(manager->defaultAccountPath(false, false, false), Prefix + QStringLiteral("g/a/talk"));
    QCOMPARE(manager->defaultAccountPath(false, true, false), Prefix + QStringLiteral("s/z/calls"));
}

void TestCallHistoryAccountsManager::shouldListCellularFirstWhateverItsName()
{
    const Accounts::AccountId id = m_db->create(QStringLiteral("google"), QStringLiteral("Amy"),
                                                {{Talk, QStringLiteral("g/a/talk")}});
    QVERIFY(id);
    m_created << id;
    // In Arabic the cellular account's name sorts after every service name of the database.
    MLocale arabic(QStringLiteral("ar_EG"));
    arabic.installTrCatalog(QStringLiteral("telephony"));
    MLocale::setDefault(arabic);
    CallHistoryAccountsManager *manager = makeManager();
    MLocale::setDefault(*m_locale->locale());
    const QList<CallHistoryAccount *> withVideo = manager->accounts(true, false, true);
    QCOMPARE(withVideo.size(), 2);
    QVERIFY(withVideo.at(1)->serviceName() < withVideo.at(0)->serviceName());
    QCOMPARE(withVideo.at(0)->path(), Cellular);
}

void TestCallHistoryAccountsManager::shouldFilterByEnabledTelAndCellular_data()
{
    QTest::addColumn<bool>("enabledOnly");
    QTest::addColumn<bool>("telOnly");
    QTest::addColumn<bool>("includeCellular");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("multiple");

    QTest::newRow("everything")
        << false << false << true
        << "pulse/tel/pulse:Phone s/off/calls:Off s/on/calls:On s/on/chat:On" << true;
    QTest::newRow("enabled") << true << false << true
                             << "pulse/tel/pulse:Phone s/on/calls:On s/on/chat:On" << true;
    QTest::newRow("enabled, phone numbers")
        << true << true << true << "pulse/tel/pulse:Phone s/on/calls:On" << true;
    QTest::newRow("enabled, phone numbers, no cellular")
        << true << true << false << "s/on/calls:On" << false;
    QTest::newRow("phone numbers, no cellular")
        << false << true << false << "s/off/calls:Off s/on/calls:On" << true;
}

void TestCallHistoryAccountsManager::shouldFilterByEnabledTelAndCellular()
{
    QFETCH(bool, enabledOnly);
    QFETCH(bool, telOnly);
    QFETCH(bool, includeCellular);
    QFETCH(QString, expected);
    QFETCH(bool, multiple);

    const Accounts::AccountId on =
        m_db->create(QStringLiteral("velto-sip"), QStringLiteral("On"),
                     {{Voip, QStringLiteral("s/on/calls")}, {Chat, QStringLiteral("s/on/chat")}});
    const Accounts::AccountId off = m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Off"),
                                                 {{Voip, QStringLiteral("s/off/calls")}});
    QVERIFY(on && off);
    m_created << on << off;
    QVERIFY(m_db->setEnabled(off, QString(), false));

    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(describe(manager->accounts(enabledOnly, telOnly, includeCellular)), expected);
    QCOMPARE(manager->hasAccounts(enabledOnly, telOnly, includeCellular, true), multiple);
    QVERIFY(manager->hasAccounts(enabledOnly, telOnly, includeCellular, false));
    QCOMPARE(manager->defaultAccountPath(enabledOnly, telOnly, includeCellular),
             Prefix + expected.section(QLatin1Char(':'), 0, 0));
}

void TestCallHistoryAccountsManager::shouldAnswerLookups_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("serviceName");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("logo");
    QTest::addColumn<QString>("background");
    QTest::addColumn<bool>("localNumbers");
    QTest::addColumn<bool>("cellular");
    QTest::addColumn<bool>("known");

    QTest::newRow("cellular") << Cellular << "Phone"
                              << "Phone"
                              << "icon-m-telephony-second-call"
                              << ""
                              << ""
                              << "" << true << true << true;
    QTest::newRow("sip") << Prefix + "s/l/calls"
                         << "Look"
                         << "Internet call"
                         << "icon-m-service-sip"
                         << "sip"
                         << "icon-m-service-sip"
                         << "#1d6fb8" << true << false << true;
    QTest::newRow("unknown") << Prefix + "s/l/none"
                             << ""
                             << ""
                             << ""
                             << ""
                             << ""
                             << "" << false << false << false;
    QTest::newRow("empty path") << QString() << ""
                                << ""
                                << ""
                                << ""
                                << ""
                                << "" << false << false << false;
}

void TestCallHistoryAccountsManager::shouldAnswerLookups()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, serviceName);
    QFETCH(QString, icon);
    QFETCH(QString, protocol);
    QFETCH(QString, logo);
    QFETCH(QString, background);
    QFETCH(bool, localNumbers);
    QFETCH(bool, cellular);
    QFETCH(bool, known);

    const Accounts::AccountId id = m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Look"),
                                                {{Voip, QStringLiteral("s/l/calls")}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(manager->accountName(path), name);
    QCOMPARE(manager->accountServiceName(path), serviceName);
    QCOMPARE(manager->accountIcon(path), icon);
    QCOMPARE(manager->accountProtocol(path), protocol);
    QCOMPARE(manager->accountLogo(path), logo);
    QCOMPARE(manager->accountBackgroundColor(path), background);
    QCOMPARE(manager->accountCredits(path), QString());
    QCOMPARE(manager->acceptsLocalPhoneNumbers(path), localNumbers);
    QCOMPARE(manager->isCellularEntry(path), cellular);
    QCOMPARE(manager->hasAccount(path, false), known);
    QCOMPARE(manager->hasAccount(path, true), known);
}

void TestCallHistoryAccountsManager::shouldOfferVideoOnlyOnGoogle_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("uid");
    QTest::addColumn<QString>("lookedUp");
    QTest::addColumn<bool>("unavailable");

    QTest::newRow("google") << "google" << Talk << "gabble/jabber/me"
                            << "gabble/jabber/me" << false;
    QTest::newRow("google under a skype path") << "google" << Talk << "spirit/skype/me"
                                               << "spirit/skype/me" << true;
    QTest::newRow("sip") << "velto-sip" << Voip << "sofiasip/sip/me"
                         << "sofiasip/sip/me" << true;
    QTest::newRow("unknown") << "google" << Talk << "gabble/jabber/me"
                             << "gabble/jabber/you" << true;
    QTest::newRow("cellular") << "google" << Talk << "gabble/jabber/me"
                              << "pulse/tel/pulse" << true;
}

void TestCallHistoryAccountsManager::shouldOfferVideoOnlyOnGoogle()
{
    QFETCH(QString, provider);
    QFETCH(QString, service);
    QFETCH(QString, uid);
    QFETCH(QString, lookedUp);
    QFETCH(bool, unavailable);

    const Accounts::AccountId id = m_db->create(provider, QStringLiteral("V"), {{service, uid}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    QCOMPARE(manager->isVideoCallUnavailable(Prefix + lookedUp), unavailable);
}

void TestCallHistoryAccountsManager::shouldFollowTheUriSchemesKey()
{
    const Accounts::AccountId id = m_db->create(QStringLiteral("velto-sip"), QStringLiteral("U"),
                                                {{Voip, QStringLiteral("s/u/calls")}});
    QVERIFY(id);
    m_created << id;
    CallHistoryAccountsManager *manager = makeManager();
    CallHistoryAccount *record = manager->account(Prefix + QStringLiteral("s/u/calls"));
    QVERIFY(record && record->supportsTelUri());

    // More schemes than exactly "tel;" is no longer a phone-number account.
    QVERIFY(
        m_db->setValue(id, Voip, CallHistoryAccount::uriSchemesKey(), QStringLiteral("tel;sip;")));
    QVERIFY(QTest::qWaitFor([&] { return !record->supportsTelUri(); }, 5000));
    QVERIFY(manager->accounts(false, true, false).isEmpty());

    QVERIFY(m_db->setValue(id, Voip, CallHistoryAccount::uriSchemesKey(), QStringLiteral("tel;")));
    QVERIFY(QTest::qWaitFor([&] { return record->supportsTelUri(); }, 5000));
}

void TestCallHistoryAccountsManager::shouldRetryWhileTheDatabaseIsBusy_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("retried");
    QTest::newRow("locked") << int(Accounts::Error::DatabaseLocked) << true;
    QTest::newRow("database error") << int(Accounts::Error::Database) << true;
    QTest::newRow("not found") << int(Accounts::Error::AccountNotFound) << false;
    QTest::newRow("deleted") << int(Accounts::Error::Deleted) << false;
}

void TestCallHistoryAccountsManager::shouldRetryWhileTheDatabaseIsBusy()
{
    QFETCH(int, error);
    QFETCH(bool, retried);

    auto *manager = new BusyDatabaseManager(m_locale);
    m_manager = manager;
    manager->failures = 3;
    manager->error = Accounts::Error::ErrorType(error);
    const Accounts::AccountId id = m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Busy"),
                                                {{Voip, QStringLiteral("s/busy/calls")}});
    QVERIFY(id);
    m_created << id;
    const QString path = Prefix + QStringLiteral("s/busy/calls");

    if (!retried) {
        // Each notification fails once; nothing is queued and nothing retried.
        QVERIFY(QTest::qWaitFor([&] { return manager->reads > 0; }, 5000));
        QVERIFY(!manager->isRetryPending());
        QVERIFY(!manager->hasAccount(path, false));
        return;
    }
    QVERIFY(QTest::qWaitFor([&] { return manager->isRetryPending(); }, 5000));
    QVERIFY(!manager->hasAccount(path, false));
    // The retry pass reads again until the database answers, then stops.
    QVERIFY(QTest::qWaitFor([&] { return manager->hasAccount(path, true); }, 5000));
    QCOMPARE(manager->failures, 0);
    QVERIFY(QTest::qWaitFor([&] { return !manager->isRetryPending(); }, 1000));
    const int reads = manager->reads;
    QTest::qWait(500);
    QCOMPARE(manager->reads, reads);
}

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "C");
    QCoreApplication app(argc, argv);
    TestCallHistoryAccountsManager test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_callhistoryaccountsmanager.moc"
