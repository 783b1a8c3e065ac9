#pragma once

#include <QLockFile>
#include <QObject>
#include <QScopedPointer>
#include <QString>
#include <QThread>
#include <QTimer>

class EdsAddressBooks;
class EdsMirror;

// Keeps the mirror of EDS's address books for a process (see EdsMirror): a thread of its own runs
// libebook (EdsAddressBooks) and the mirror, so that neither EDS's answers nor the mirror's writes
// ever wait in the caller's thread. What the person must know (a write EDS refused) and the
// mirror's state are told in the caller's thread.
//
// One process of the session keeps a mirror file at a time: start() takes a lock beside the file;
// while another process holds it, the service tries again every lockRetryInterval ms, so a second
// program or tool leaves the work to the first one and takes over when it ends.
//
// instance() is the program's, on the default mirror file; the program starts it when the chosen
// address book is EDS's (ContactsSource).
//
// Limits: start() once; the service stops with its destruction (work in flight is written again
// at the next start).
class EdsContactsService : public QObject
{
    Q_OBJECT
public:
    enum { LockRetryInterval = 10000 };

    static EdsContactsService *instance();

    // A service for the mirror file (empty: ContactsSource::mirrorDatabasePath()).
    explicit EdsContactsService(const QString &mirrorFile = QString(), QObject *parent = nullptr);
    ~EdsContactsService() override;

    void start();
    bool isStarted() const { return m_started; }
    // Whether this process keeps the mirror now (it holds the lock).
    bool isMirroring() const { return m_context != nullptr; }
    // Why the mirror cannot be kept (a file that cannot be opened, no GLib main context).
    QString errorString() const { return m_error; }
    // How long EDS is waited for again after it went away (tests shorten it); before start().
    void setRetryDelay(int msecs) { m_retryDelay = msecs; }

Q_SIGNALS:
    // EDS refused what the person wrote to the contact named contactName.
    void writeRefused(const QString &contactName, const QString &reason);
    // The mirror has nothing left to read or write for now.
    void idle();
    void availabilityChanged(bool available);
    void failed(const QString &error);

private:
    void tryStart();

    QString m_file;
    QScopedPointer<QLockFile> m_lock;
    QThread m_thread;
    QObject *m_context = nullptr; // lives in m_thread, parent of the books and the mirror
    QTimer m_lockRetry;
    QString m_error;
    int m_retryDelay = 1000;
    bool m_started = false;
};
