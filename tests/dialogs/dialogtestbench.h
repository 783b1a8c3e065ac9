#pragma once

#include "event.h"

#include <QtContacts/QContactManager>

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStandardItemModel>
#include <QStringList>

class AccountsTestDatabase;
class CallHistoryItem;
class DevCallUiClient;
class MApplicationWindow;

// What the dialog tests share: a shown main window with its pages, a VoIP account ("Office",
// velto-sip), the development call-UI service in its own process (whose CallRequested signals are
// collected as short strings), the address book, and rows filled from call events.
class DialogTestBench : public QObject
{
    Q_OBJECT
public:
    static const QString Cellular;
    static const QString Sip;

    DialogTestBench();
    ~DialogTestBench() override;

    // Sets everything up; false (with the reason in error()) when something is missing.
    bool start();
    QString error() const { return m_error; }
    MApplicationWindow *window() const { return m_window; }
    QtContacts::QContactManager *addressBook() const { return m_book; }

    // A contact saved into the address book; its local id (0 on failure). numbers: (number,
    // sub-type) pairs; a sub-type of -1 gives a work number.
    quint32 addContact(const QString &first, const QString &last,
                       const QList<QPair<QString, int>> &numbers, const QString &voip = QString());

    // A call event as the store would give it.
    static CommHistory::Event call(const QString &account, const QString &remote,
                                   const QList<CommHistory::Event::Contact> &contacts = {},
                                   bool video = false);
    // A row (not in a list) filled from `event`; the bench keeps the event's model.
    CallHistoryItem *row(const CommHistory::Event &event);
    // Refills `row` with `event`.
    void refill(CallHistoryItem *row, const CommHistory::Event &event);

    // Requests the service got, "remote|account|contact id|name", oldest first.
    QStringList requests() const;
    void clearRequests();
    // The service's side of the test: its requests as they come, and its schedule.
    DevCallUiClient *service() const { return m_client; }
    // The schedule the bench starts the service with: calls answered at once and ended soon.
    static const int AnswerAfter = 50;
    static const int EndAfter = 100;

    // Switches the program's language (and layout direction): "en" or "ar".
    static void setLanguage(const QString &language);

private:
    QString m_error;
    AccountsTestDatabase *m_accounts;
    MApplicationWindow *m_window = nullptr;
    QtContacts::QContactManager *m_book = nullptr;
    QProcess m_service;
    QStandardItemModel m_events;
    DevCallUiClient *m_client = nullptr;
};
