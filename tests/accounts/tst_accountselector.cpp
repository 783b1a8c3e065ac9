#include "accountselector.h"
#include "accountselectoritem.h"
#include "accountstestdatabase.h"
#include "callhistoryaccount.h"
#include "callhistoryaccountsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistorylocale.h"
#include "dialeraccountbutton.h"
#include "dialerwidget.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mdialog.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "testsupport.h"
#include "testtelepathyaccounts.h"

#include <TelepathyQt/Account>
#include <TelepathyQt/AccountManager>
#include <TelepathyQt/PendingAccount>
#include <TelepathyQt/PendingOperation>
#include <TelepathyQt/PendingReady>
#include <TelepathyQt/Presence>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QString Voip = QStringLiteral("velto-sip-voip");
const QString Prefix = QStringLiteral("/org/freedesktop/Telepathy/Account/");
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString UriSchemes =
    QStringLiteral("org.freedesktop.Telepathy.Account.Interface.Addressing.DRAFT.URISchemes");

// accountChanged announcements as "cellular,choice,service,name,credits,logo,colour".
QStringList announced(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy) {
        QStringList parts;
        parts << (args.at(0).toBool() ? "cellular" : "voip")
              << (args.at(1).toBool() ? "choice" : "single");
        for (int i = 2; i < args.size(); ++i)
            parts << args.at(i).toString();
        out << parts.join(QLatin1Char(','));
    }
    return out;
}
} // namespace

// The dialer's account choice over a real accounts database, with balances from the tests'
// Telepathy connection manager through mission-control; and the keypad showing it.
class TestAccountSelector : public QObject
{
    Q_OBJECT
private:
    QScopedPointer<AccountsTestDatabase> m_db;
    TestTelepathyAccounts m_telepathy;
    Tp::AccountPtr m_alice;
    Tp::AccountPtr m_bob;
    CallHistoryAccountsManager *m_manager = nullptr;
    MApplicationWindow *m_window = nullptr;
    QString m_credits;

    Tp::AccountPtr createTpAccount(const QString &name, const QVariantMap &parameters)
    {
        Tp::AccountPtr account = m_telepathy.createAccount(name, parameters);
        return account && m_telepathy.setOnline(account, true) ? account : Tp::AccountPtr();
    }

    bool setBalance(int amount, uint scale, const QString &currency)
    {
        return m_telepathy.setBalance(amount, scale, currency);
    }

    QString alice() const { return m_alice->objectPath(); }
    QString bob() const { return m_bob->objectPath(); }

    QStringList labels(QStandardItemModel *model)
    {
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QModelIndex i = model->index(r, 0);
            QString row = i.data().toString();
            if (!i.data(Qt::UserRole).toString().isEmpty())
                row += QStringLiteral(" [") + i.data(Qt::UserRole).toString() + QLatin1Char(']');
            if (i.data(Qt::CheckStateRole).toInt() == Qt::Checked)
                row += QStringLiteral(" *");
            out << row;
        }
        return out;
    }

    void closeDialogs()
    {
        CallHistoryDialogManager::instance()->dismissAll();
        QTRY_VERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db.reset(new AccountsTestDatabase);
        QVERIFY(m_db->isValid());
        MLocale *locale = CallHistoryLocale::instance()->locale();
        locale->setRegion(QStringLiteral("en_GB"));
        locale->installTrCatalog(QStringLiteral("telephony"));
        locale->installTrCatalog(QStringLiteral("call-accounts"));
        MLocale::setDefault(*locale);

        QVERIFY(m_telepathy.start());
        m_alice = createTpAccount(QStringLiteral("Alice"),
                                  {{QStringLiteral("account"), QStringLiteral("alice")},
                                   {QStringLiteral("balance-amount"), 1234},
                                   {QStringLiteral("balance-scale"), 2u},
                                   {QStringLiteral("balance-currency"), QStringLiteral("EUR")}});
        m_bob = createTpAccount(QStringLiteral("Bob"),
                                {{QStringLiteral("account"), QStringLiteral("bob")},
                                 {QStringLiteral("balance"), false}});
        QVERIFY(m_alice && m_bob);

        // Two accounts of one service, one of another service that also calls numbers, and a
        // chat-only one that the dialer leaves out.
        QVERIFY(m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Bob"), {{Voip, bob()}}));
        QVERIFY(
            m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Alice"), {{Voip, alice()}}));
        const Accounts::AccountId carol =
            m_db->create(QStringLiteral("google"), QStringLiteral("Carol"),
                         {{QStringLiteral("google-talk"), QStringLiteral("gabble/jabber/carol")}});
        QVERIFY(carol);
        QVERIFY(m_db->setValue(carol, QStringLiteral("google-talk"), UriSchemes,
                               QStringLiteral("tel;")));
        QVERIFY(m_db->create(QStringLiteral("velto-sip"), QStringLiteral("Chat"),
                             {{QStringLiteral("velto-sip-chat"), QStringLiteral("velto/chat")}}));

        m_manager = new CallHistoryAccountsManager(CallHistoryLocale::instance(), this);
        m_credits =
            CallHistoryLocale::instance()->locale()->formatCurrency(12.34, QStringLiteral("EUR"));
        QVERIFY(QTest::qWaitFor([&] { return m_manager->accountCredits(alice()) == m_credits; },
                                20000));

        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void cleanupTestCase()
    {
        closeDialogs();
        delete m_window;
    }

    void shouldListCallingAccountsWithCreditsAndTheCurrentMarked()
    {
        AccountSelector selector(true, true, m_manager);
        QCOMPARE(selector.currentAccountPath(), Cellular);
        selector.setCurrentAccount(bob());
        selector.showAccountList();
        QVERIFY(selector.accountDialog());
        const QString call = m_manager->accountServiceName(alice());
        const QString talk = m_manager->accountServiceName(Prefix + "gabble/jabber/carol");
        QVERIFY(!call.startsWith(QLatin1String("qtn_")));
        // Cellular first, then by service (as stored), then by name; a service with two
        // accounts names each of them.
        QCOMPARE(labels(selector.accountModel()),
                 QStringList({qtTrId("qtn_call_mobile"), talk,
                              QStringLiteral("Alice (%1) [%2]").arg(call, m_credits),
                              QStringLiteral("Bob (%1) *").arg(call)}));
        closeDialogs();
    }

    void shouldOpenTheListOnceAndPickTheTappedAccount()
    {
        AccountSelector selector(true, true, m_manager);
        QSignalSpy changed(&selector, &AccountSelector::accountChanged);
        selector.showAccountList();
        MDialog *dialog = selector.accountDialog();
        QVERIFY(dialog);
        selector.showAccountList();
        QCOMPARE(selector.accountDialog(), dialog);
        QCOMPARE(CallHistoryDialogManager::instance()->dialogs().size(), 1);
        QTRY_COMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_window, "accountselector-list");

        auto *list = static_cast<MList *>(dialog->centralWidget());
        list->flush();
        MWidget *alicesRow = list->cellForIndex(selector.accountModel()->index(2, 0));
        QVERIFY(alicesRow);
        const QString alicesLabel = selector.accountModel()->item(2)->text();
        QTest::mouseClick(
            m_window->viewport(), Qt::LeftButton, {},
            m_window->mapFromScene(alicesRow->mapToScene(alicesRow->rect().center())));
        QTRY_VERIFY(!selector.accountDialog());
        QCOMPARE(selector.currentAccountPath(), alice());
        QCOMPARE(announced(changed).last(),
                 QStringLiteral("voip,choice,%1,%2,%3,icon-m-service-sip,#1d6fb8")
                     .arg(m_manager->accountServiceName(alice()), alicesLabel, m_credits));
        QVERIFY(!selector.isCellularSelected());
    }

    void shouldForwardCreditsOfTheCurrentAccountOnly()
    {
        AccountSelector selector(true, true, m_manager);
        selector.setCurrentAccount(bob());
        QSignalSpy credits(&selector, &AccountSelector::creditsChanged);
        QVERIFY(setBalance(500, 2, QStringLiteral("EUR")));
        const QString five =
            CallHistoryLocale::instance()->locale()->formatCurrency(5.0, QStringLiteral("EUR"));
        QVERIFY(QTest::qWaitFor([&] { return m_manager->accountCredits(alice()) == five; }, 10000));
        QCoreApplication::processEvents();
        QCOMPARE(credits.size(), 0);
        selector.setCurrentAccount(alice());
        QVERIFY(setBalance(1234, 2, QStringLiteral("EUR")));
        QTRY_COMPARE(credits.size(), 1);
        QCOMPARE(credits.first().first().toString(), m_credits);
    }

    void shouldFallBackToCellularWhenTheCurrentAccountIsRemoved()
    {
        const Accounts::AccountId dave = m_db->create(
            QStringLiteral("velto-sip"), QStringLiteral("Dave"), {{Voip, "velto/sip/dave"}});
        QVERIFY(dave);
        const QString path = Prefix + QStringLiteral("velto/sip/dave");
        QTRY_VERIFY(m_manager->account(path));
        AccountSelector selector(true, true, m_manager);
        selector.setCurrentAccount(path);
        selector.showAccountList();
        QSignalSpy changed(&selector, &AccountSelector::accountChanged);
        QVERIFY(m_db->remove(dave));
        QTRY_COMPARE(selector.currentAccountPath(), Cellular);
        QCOMPARE(announced(changed).last(),
                 QStringLiteral("cellular,choice,%1,,,,").arg(qtTrId("qtn_call_mobile")));
        // The open list closes: its rows no longer match the accounts.
        QTRY_VERIFY(!selector.accountDialog());
    }

    void shouldShowTheAccountOnTheKeypad_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "en";
        QTest::newRow("Arabic") << "ar";
    }
    void shouldShowTheAccountOnTheKeypad()
    {
        QFETCH(QString, language);
        MLocale *locale = CallHistoryLocale::instance()->locale();
        locale->setLanguage(language);
        MLocale::setDefault(*locale);
        QCOMPARE(QGuiApplication::layoutDirection(),
                 language == QLatin1String("ar") ? Qt::RightToLeft : Qt::LeftToRight);

        AccountSelector selector(true, true, m_manager);
        auto *page = new MApplicationPage;
        page->setPannable(false);
        page->setStyleName(QStringLiteral("DialerPage"));
        auto *dialer = new Dialer::DialerWidget(0, &selector);
        page->setCentralWidget(dialer);
        selector.reset();
        m_window->sceneManager()->appearSceneWindowNow(page);
        dialer->setText(QStringLiteral("0401234567"));
        QCOMPARE(dialer->accountButton()->name(), qtTrId("qtn_call_mobile"));
        TestSupport::saveScreenshot(m_window, "dialer-cellular-" + language);

        selector.setCurrentAccount(alice());
        QCOMPARE(dialer->accountButton()->credits(), m_credits);
        dialer->setText(QStringLiteral("+358401234567"));
        TestSupport::saveScreenshot(m_window, "dialer-voip-credits-" + language);

        selector.showAccountList();
        QTRY_COMPARE(selector.accountDialog()->sceneWindowState(), MSceneWindow::Appeared);
        // One name for the account: on the keypad as in the list.
        QStringList listed;
        for (int row = 0; row < selector.accountModel()->rowCount(); ++row)
            listed << selector.accountModel()->item(row)->text();
        QVERIFY2(listed.contains(dialer->accountButton()->name()),
                 qPrintable(dialer->accountButton()->name() + " / " + listed.join('|')));
        TestSupport::saveScreenshot(m_window, "dialer-accounts-" + language);
        closeDialogs();
        delete page;
        locale->setLanguage(QStringLiteral("en"));
        MLocale::setDefault(*locale);
    }
};

CH_TOUCH_TEST_MAIN(TestAccountSelector)
#include "tst_accountselector.moc"
