#pragma once

#include <QObject>
#include <QString>

class MApplicationPage;
class MWindow;
namespace CallUi {
class PendingCallRequest;
}

// Common base of the three pages the page manager switches between. Not a widget: it owns an
// application page (scenePage()) and gives the page manager one set of operations.
//
// It is also where every call is placed: call() asks the call-UI service for a call and keeps
// the id the service gives it; the service's notifications for that id (and only that id) reach
// the page's callAnswered(), callEnded(), commandCompleted() and commandFailed() hooks. The
// pending id is dropped by the first matching notification and by refreshCall().
class Page : public QObject
{
    Q_OBJECT
public:
    explicit Page(QObject *parent = nullptr);

    QString pendingCallId() const { return m_pendingCallId; }

public Q_SLOTS:
    virtual MApplicationPage *scenePage() = 0;
    virtual void enterPage() = 0;
    virtual void leavePage() = 0;
    virtual void resetPage() = 0;
    virtual void restorePrestart() = 0;
    virtual void appear(MWindow *window);

protected Q_SLOTS:
    virtual void callAnswered();
    virtual void callEnded();
    virtual void commandCompleted();
    virtual void commandFailed();

public Q_SLOTS:
    void refreshCall();
    void call(QString accountPath, QString accountId, quint32 localContactId, QString contactName,
              bool requestVideo);
    void call(QString accountPath, QString accountId, quint32 localContactId, QString contactName);
    void call(QString accountPath, QString accountId, quint32 localContactId);
    void call(QString accountPath, QString accountId);

private Q_SLOTS:
    void slotPendingCallRequestFinished(CallUi::PendingCallRequest *request);
    void slotCallAnswered(QString uid);
    void slotCallEnded(QString uid);
    void slotCommandCompleted(QString uid);
    void slotCommandFailed(QString uid);

private:
    bool takeIfPending(const QString &uid);

    QString m_pendingCallId;
};
