#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <memory>

// The desktop notification of missed calls (org.freedesktop.Notifications, category
// "call.unanswered"): one notification, replaced as the count changes, never a pile. It follows
// the call history store rather than the calls: what counts are the missed calls not read yet,
// so a call the person declined (stored as read) gives none, and when the person has looked at
// the missed calls in the history (they are marked read) the notification is withdrawn.
//
// The summary says how many ("Missed call", "3 missed calls"), the body who called last (the
// address-book name, with the history's matching, else the number; as plain text); a "Call back"
// action, when that caller's number is known, emits callBackRequested() with it for the service
// to place the call. The store is read and the address book searched in a thread of its own, on
// every change the store announces (CommHistory::CommitNotifier, from any process) and on
// update(); the notification server is called asynchronously with a time-out. A notification the
// person closed comes back only with the next change.
class MissedCallNotifier : public QObject
{
    Q_OBJECT
public:
    static const int DefaultTimeout = 5000;

    // The default store and address book, or the files given (tests).
    explicit MissedCallNotifier(const QDBusConnection &bus, const QString &storePath = QString(),
                                const QString &addressBook = QString(), QObject *parent = nullptr);
    ~MissedCallNotifier() override;

    void setTimeout(int ms) { m_timeout = ms; }
    // The missed calls not read yet, as last counted.
    int count() const { return m_count; }
    // The id of the notification shown, 0 for none.
    uint notificationId() const { return m_id; }

public Q_SLOTS:
    // Counts again (soon: changes that come together are counted once).
    void update();

Q_SIGNALS:
    void callBackRequested(const QString &number);
    // The notification was brought in line with `count` missed calls (0: withdrawn).
    void updated(int count);

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    struct Latest
    {
        int count = 0;
        QString number;
        QString name;
    };
    void countNow();
    void show(const Latest &latest);
    void finish(int count);

    class Reader;
    QDBusConnection m_bus;
    QString m_storePath;
    int m_timeout = DefaultTimeout;
    QThread m_thread;
    QObject *m_worker;
    std::shared_ptr<Reader> m_reader;
    QTimer m_soon;
    bool m_busy = false;    // a count or a call to the server is under way
    bool m_pending = false; // and another change came meanwhile
    int m_count = 0;
    uint m_id = 0;
    QString m_number;
};
