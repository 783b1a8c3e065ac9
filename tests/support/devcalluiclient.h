#pragma once

#include <QObject>
#include <QStringList>

// The tests' side of the development call-UI service (services/call-ui-dev) on the test's
// session bus: the call requests it got, as it announces them (CallRequested), and the schedule
// of the calls it plays out (SetSchedule). Requests are noted only while the object exists.
class DevCallUiClient : public QObject
{
    Q_OBJECT
public:
    explicit DevCallUiClient(QObject *parent = nullptr);

    // Requests the service got, "remote|account|contact id|name", oldest first; the account is
    // the last part of its path ("pulse" for the cellular account).
    QStringList requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    // How the next calls play out (milliseconds; negative: that step never comes), or refused
    // with CommandFailed; false when the service did not take it.
    static bool setSchedule(int answerAfter, int endAfter, bool fail);

Q_SIGNALS:
    // Each request as it comes, and whether it asked for video.
    void requested(const QString &request, bool video);

private Q_SLOTS:
    void onCallRequested(const QString &uid, const QString &accountPath, const QString &accountId,
                         uint localContactId, const QString &contactName, bool video);

private:
    QStringList m_requests;
};
