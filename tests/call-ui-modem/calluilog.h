#pragma once

#include <QDBusContext>
#include <QObject>
#include <QSet>
#include <QStringList>

// The call-UI notifications of the modem service under test (com.velto.CallUi and
// com.velto.CallUi.Modem on the session bus) as short strings, e.g. "incoming call1 +35850111",
// "answered call1", "ended call1 2"; call ids are shown as call1, call2... in the order they
// first appear. Notifications of a service that was stopped (ignoreSender) are left out: they
// may still be on their way when the next case begins.
class CallUiLog : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    QStringList entries;
    QStringList uids;
    // The ids of incoming calls, in the order they were announced (again when announced again).
    QStringList incoming;

    // Listens to the service on the session bus.
    void listen();
    void clear();
    // Leaves out what the connection with that unique name sends from now on.
    void ignoreSender(const QString &uniqueName) { m_ignored.insert(uniqueName); }
    QString label(const QString &uid);
    QString text() const { return entries.join(QStringLiteral(", ")); }

public Q_SLOTS:
    void onAnswered(const QString &uid);
    void onEnded(const QString &uid, int reason, int, const QString &);
    void onCompleted(const QString &uid);
    void onFailed(const QString &uid);
    void onIncoming(const QString &uid, const QString &number);

private:
    bool ignored() const;

    QSet<QString> m_ignored;
};
