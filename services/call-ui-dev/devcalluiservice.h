#pragma once

#include <QDBusContext>
#include <QObject>

#include "callschedule.h"
#include "eventstore.h"

// A call-UI service for development and tests, on a machine with no modem. It owns the bus
// name "com.velto.CallUi", accepts every RequestCallToContact with a fresh call id and then
// emits, for that id, what a real call would: CallAnswered and CallEnded on its schedule, or
// CommandCompleted at once for a call that is neither answered nor ended, or CommandFailed if
// told to refuse calls. Each accepted request is also reported through callRequested(), which
// the development interface relays on the bus as CallRequested, so that tests in other processes
// see exactly what a caller asked for.
// Every call placed is written into the call history store as a dialled call when it ends
// (a call that is never answered nor ended, when the request completes); refused requests are
// not calls and are not written.
class DevCallUiService : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    explicit DevCallUiService(const CallSchedule &schedule, QObject *parent = nullptr);

    // Takes the bus name and publishes the object; false if the bus or the name is not had.
    bool registerOnBus(QString *error);
    // Opens the call history store that calls are written to; false (with the reason) if it
    // cannot be opened, and calls are then not recorded.
    bool openHistory(QString *error);
    CallSchedule schedule() const { return m_schedule; }

public Q_SLOTS:
    QString RequestCallToContact(const QString &accountPath, const QString &accountId,
                                 uint localContactId, const QString &contactName, bool video);
    void SetSchedule(int answerAfter, int endAfter, bool fail);
    void Quit();

Q_SIGNALS:
    void CallAnswered(QString uid);
    void CallEnded(QString uid, int reason, int duration, QString message);
    void CommandCompleted(QString uid);
    void CommandFailed(QString uid);
    void callRequested(const QString &uid, const QString &accountPath, const QString &accountId,
                       uint localContactId, const QString &contactName, bool video);

private:
    void record(const QString &accountPath, const QString &accountId, bool video,
                const QDateTime &start, const QDateTime &end);

    CallSchedule m_schedule;
    CommHistory::EventStore m_history;
    bool m_historyOpen = false;
    int m_nextId = 1;
};
