#include "missedcallnotifier.h"

#include "addressbookcontactresolver.h"
#include "callscreen.h"
#include "commitnotifier.h"
#include "eventfilter.h"
#include "eventstore.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>

namespace {
const char Service[] = "org.freedesktop.Notifications";
const char Path[] = "/org/freedesktop/Notifications";
const char Interface[] = "org.freedesktop.Notifications";
const char CallBack[] = "call-back";
// The newest missed calls looked through for the last one not read.
const int Newest = 50;
} // namespace

// The store and the address book, used in the notifier's thread only.
class MissedCallNotifier::Reader
{
public:
    Reader(const QString &storePath, const QString &addressBook)
        : m_store(storePath), m_contacts(addressBook)
    {
    }

    Latest read()
    {
        Latest latest;
        const CommHistory::EventFilter missed(CommHistory::EventFilter::Missed, QDateTime());
        if (!m_store.countUnread(missed, &latest.count))
            return Latest();
        QList<CommHistory::Event> newest;
        if (latest.count == 0 || !m_store.events(missed, CommHistory::Event(), Newest, &newest))
            return latest;
        for (const CommHistory::Event &e : newest) {
            if (e.isRead())
                continue;
            latest.number = e.remoteUid();
            const auto contacts = m_contacts.contactsFor(e.localUid(), e.remoteUid());
            if (!contacts.isEmpty())
                latest.name = contacts.first().second;
            break;
        }
        return latest;
    }

private:
    CommHistory::EventStore m_store;
    AddressBookContactResolver m_contacts;
};

MissedCallNotifier::MissedCallNotifier(const QDBusConnection &bus, const QString &storePath,
                                       const QString &addressBook, QObject *parent)
    : QObject(parent), m_bus(bus),
      m_storePath(storePath.isEmpty() ? CommHistory::EventStore::defaultPath() : storePath),
      m_worker(new QObject), m_reader(std::make_shared<Reader>(m_storePath, addressBook))
{
    m_thread.setObjectName(QStringLiteral("MissedCalls"));
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
    m_soon.setSingleShot(true);
    m_soon.setInterval(50);
    connect(&m_soon, &QTimer::timeout, this, &MissedCallNotifier::countNow);
    connect(CommHistory::CommitNotifier::instance(), &CommHistory::CommitNotifier::committed, this,
            [this](const QString &path) {
                if (path == m_storePath)
                    update();
            });
    m_bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Interface),
                  QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(QLatin1String(Service), QLatin1String(Path), QLatin1String(Interface),
                  QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
    update();
}

MissedCallNotifier::~MissedCallNotifier()
{
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void MissedCallNotifier::update()
{
    if (m_busy)
        m_pending = true;
    else
        m_soon.start();
}

void MissedCallNotifier::countNow()
{
    m_busy = true;
    m_pending = false;
    std::shared_ptr<Reader> reader = m_reader;
    // The destructor waits for the thread: `this` outlives the task.
    QMetaObject::invokeMethod(m_worker, [this, reader]() {
        const Latest latest = reader->read();
        QMetaObject::invokeMethod(this, [this, latest]() { show(latest); });
    });
}

void MissedCallNotifier::show(const Latest &latest)
{
    if (latest.count == 0) {
        if (!m_id) {
            finish(0);
            return;
        }
        QDBusMessage close = QDBusMessage::createMethodCall(
            QLatin1String(Service), QLatin1String(Path), QLatin1String(Interface),
            QStringLiteral("CloseNotification"));
        close << m_id;
        m_id = 0;
        m_number.clear();
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(close, m_timeout), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *w) {
                    w->deleteLater();
                    finish(0);
                });
        return;
    }
    const QString caller =
        latest.name.isEmpty() ? CallScreen::numberText(latest.number) : latest.name;
    QStringList actions;
    if (!latest.number.isEmpty())
        actions << QLatin1String(CallBack) << qtTrId("qtn_call_missed_call_back");
    QVariantMap hints;
    hints.insert(QStringLiteral("category"), QStringLiteral("call.unanswered"));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("call-history"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Interface), QStringLiteral("Notify"));
    // The body may be read as markup by the server: outside text is escaped.
    notify << QStringLiteral("call-history") << m_id << QStringLiteral("call-history")
           << qtTrId("qtn_call_missed_notification", latest.count) << caller.toHtmlEscaped()
           << actions << hints << 0;
    const QString number = latest.number;
    const int count = latest.count;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify, m_timeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, number, count](QDBusPendingCallWatcher *w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isError()) {
                    m_id = 0;
                    m_number.clear();
                } else {
                    m_id = reply.value();
                    m_number = number;
                }
                finish(count);
            });
}

void MissedCallNotifier::finish(int count)
{
    m_count = count;
    m_busy = false;
    Q_EMIT updated(count);
    if (m_pending)
        update();
}

void MissedCallNotifier::onActionInvoked(uint id, const QString &action)
{
    if (id && id == m_id && action == QLatin1String(CallBack) && !m_number.isEmpty())
        Q_EMIT callBackRequested(m_number);
}

void MissedCallNotifier::onClosed(uint id, uint)
{
    if (id && id == m_id) {
        m_id = 0;
        m_number.clear();
    }
}
