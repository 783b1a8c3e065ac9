#pragma once

#include <QObject>
#include <QStringList>

// The call-UI notifications of the modem service under test (com.velto.CallUi and
// com.velto.CallUi.Modem on the session bus) as short strings, e.g. "incoming call1 +35850111",
// "answered call1", "ended call1 2"; call ids are shown as call1, call2... in the order they
// first appear.
class CallUiLog : public QObject
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
    QString label(const QString &uid);
    QString text() const { return entries.join(QStringLiteral(", ")); }

public Q_SLOTS:
    void onAnswered(const QString &uid);
    void onEnded(const QString &uid, int reason, int, const QString &);
    void onCompleted(const QString &uid);
    void onFailed(const QString &uid);
    void onIncoming(const QString &uid, const QString &number);
};
