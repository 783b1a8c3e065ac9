#include "dialogtestbench.h"

#include "accountstestdatabase.h"
#include "callhistoryaccountsmanager.h"
#include "callhistoryitem.h"
#include "callhistorylocale.h"
#include "contactsengine.h"
#include "devcalluiclient.h"
#include "mapplicationwindow.h"
#include "mlocale.h"
#include "pagemanager.h"
#include "testsupport.h"

#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QtTest>

using namespace QtContacts;

const QString DialogTestBench::Cellular =
    QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString DialogTestBench::Sip =
    QStringLiteral("/org/freedesktop/Telepathy/Account/sofiasip/sip/office");

DialogTestBench::DialogTestBench() : m_accounts(new AccountsTestDatabase) {}

DialogTestBench::~DialogTestBench()
{
    QMetaObject::invokeMethod(PageManager::instance(), "onAboutToQuit");
    delete m_window;
    if (m_service.state() != QProcess::NotRunning) {
        m_service.terminate();
        m_service.waitForFinished(5000);
    }
    delete m_accounts;
}

bool DialogTestBench::start()
{
    if (!m_accounts->create(
            QStringLiteral("velto-sip"), QStringLiteral("Office"),
            {{QStringLiteral("velto-sip-voip"), QStringLiteral("sofiasip/sip/office")}})) {
        m_error = QStringLiteral("no test account");
        return false;
    }
    // Calls are answered at once and end soon, so that they reach the history quickly.
    m_service.start(
        TestSupport::builtProgram("services/call-ui-dev/call-ui-dev-service"),
        {"--answer-after", QString::number(AnswerAfter), "--end-after", QString::number(EndAfter)});
    if (!TestSupport::waitForBusName(QStringLiteral("com.velto.CallUi"))) {
        m_error = QStringLiteral("the development call-UI service did not start");
        return false;
    }
    m_client = new DevCallUiClient(this);
    m_book = new QContactManager(ContactsEngine::ensureRegistered(), {}, this);
    setLanguage(QStringLiteral("en"));
    m_window = new MApplicationWindow;
    m_window->resize(480, 854);
    PageManager::instance()->setWindow(m_window);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window)) {
        m_error = QStringLiteral("no window");
        return false;
    }
    PageManager::instance()->showCallHistory();
    return true;
}

void DialogTestBench::setLanguage(const QString &language)
{
    MLocale locale(language == QLatin1String("ar") ? QStringLiteral("ar_EG")
                                                   : QStringLiteral("en_GB"));
    locale.installTrCatalog(QStringLiteral("telephony"));
    locale.installTrCatalog(QStringLiteral("call-accounts"));
    MLocale::setDefault(locale);
    QCoreApplication::processEvents();
}

QStringList DialogTestBench::requests() const
{
    return m_client ? m_client->requests() : QStringList();
}

void DialogTestBench::clearRequests()
{
    if (m_client)
        m_client->clearRequests();
}

quint32 DialogTestBench::addContact(const QString &first, const QString &last,
                                    const QList<QPair<QString, int>> &numbers, const QString &voip)
{
    QContact contact;
    QContactName name;
    name.setFirstName(first);
    name.setLastName(last);
    contact.saveDetail(&name);
    for (const auto &n : numbers) {
        QContactPhoneNumber number;
        number.setNumber(n.first);
        if (n.second >= 0)
            number.setSubTypes({n.second});
        else
            number.setContexts(QContactDetail::ContextWork);
        contact.saveDetail(&number);
    }
    if (!voip.isEmpty()) {
        QContactOnlineAccount account;
        account.setAccountUri(voip);
        account.setValue(QContactOnlineAccount__FieldAccountPath, Sip);
        contact.saveDetail(&account);
    }
    if (!m_book->saveContact(&contact))
        return 0;
    return ContactsEngine::toLocalId(contact.id());
}

CommHistory::Event DialogTestBench::call(const QString &account, const QString &remote,
                                         const QList<CommHistory::Event::Contact> &contacts,
                                         bool video)
{
    static int nextId = 1000;
    CommHistory::Event e;
    e.setId(nextId++);
    e.setType(CommHistory::Event::CallEvent);
    e.setDirection(CommHistory::Event::Inbound);
    e.setLocalUid(account);
    e.setRemoteUid(remote);
    e.setStartTime(QDateTime::currentDateTime().addSecs(-60));
    e.setEndTime(QDateTime::currentDateTime());
    e.setIsRead(true);
    e.setContacts(contacts);
    e.setIsVideoCall(video);
    return e;
}

CallHistoryItem *DialogTestBench::row(const CommHistory::Event &event)
{
    auto *item = new CallHistoryItem(nullptr, nullptr);
    refill(item, event);
    return item;
}

void DialogTestBench::refill(CallHistoryItem *row, const CommHistory::Event &event)
{
    auto *cell = new QStandardItem;
    cell->setData(QVariant::fromValue(event), Qt::UserRole);
    m_events.appendRow(cell);
    row->fill(cell->index());
}
