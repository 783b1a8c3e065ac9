#include "devcalluiservice.h"

#include "calluiserviceadaptor.h"
#include "calluiservicenames.h"
#include "devcalluidevelopmentadaptor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDateTime>
#include <QTimer>
#include <cstdio>

DevCallUiService::DevCallUiService(const CallSchedule &schedule, QObject *parent)
    : QObject(parent), m_schedule(schedule)
{
    new CallUi::ServiceAdaptor(this, [this](const QString &accountPath, const QString &accountId,
                                            uint localContactId, const QString &contactName,
                                            bool video) {
        return RequestCallToContact(accountPath, accountId, localContactId, contactName, video);
    });
    new DevCallUiDevelopmentAdaptor(this);
}

bool DevCallUiService::registerOnBus(QString *error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus: ") + bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(CallUi::objectPath(), this, QDBusConnection::ExportAdaptors)) {
        *error = QStringLiteral("cannot publish ") + CallUi::objectPath();
        return false;
    }
    if (!bus.registerService(CallUi::serviceName())) {
        *error = CallUi::serviceName() + QStringLiteral(" is already owned by another process");
        return false;
    }
    return true;
}

bool DevCallUiService::openHistory(QString *error)
{
    m_historyOpen = m_history.open();
    if (!m_historyOpen)
        *error = m_history.errorString();
    return m_historyOpen;
}

void DevCallUiService::record(const QString &accountPath, const QString &accountId, bool video,
                              const QDateTime &start, const QDateTime &end)
{
    if (!m_historyOpen)
        return;
    CommHistory::Event call;
    call.setType(CommHistory::Event::CallEvent);
    call.setDirection(CommHistory::Event::Outbound);
    call.setLocalUid(accountPath);
    call.setRemoteUid(accountId);
    call.setStartTime(start);
    call.setEndTime(end);
    call.setIsVideoCall(video);
    call.setIsRead(true);
    if (!m_history.addEvent(call))
        std::fprintf(stderr, "call-ui-dev-service: the call to %s was not recorded: %s\n",
                     qPrintable(accountId), qPrintable(m_history.errorString()));
}

namespace {
// A real service needs a moment to refuse or complete a request; the caller has its call id
// by then.
const int ResponseDelay = 100;
} // namespace

QString DevCallUiService::RequestCallToContact(const QString &accountPath, const QString &accountId,
                                               uint localContactId, const QString &contactName,
                                               bool video)
{
    const QString uid =
        QStringLiteral("devcall-%1-%2").arg(QCoreApplication::applicationPid()).arg(m_nextId++);
    const CallSchedule s = m_schedule;
    Q_EMIT callRequested(uid, accountPath, accountId, localContactId, contactName, video);
    // Notifications follow the reply, as from a real service.
    if (s.fail || accountId.trimmed().isEmpty()) {
        QTimer::singleShot(ResponseDelay, this, [this, uid]() { Q_EMIT CommandFailed(uid); });
        return uid;
    }
    const QDateTime requested = QDateTime::currentDateTime();
    if (s.answerAfter < 0 && s.endAfter < 0) {
        record(accountPath, accountId, video, requested, requested);
        QTimer::singleShot(ResponseDelay, this, [this, uid]() { Q_EMIT CommandCompleted(uid); });
        return uid;
    }
    if (s.answerAfter >= 0)
        QTimer::singleShot(s.answerAfter, this, [this, uid]() { Q_EMIT CallAnswered(uid); });
    if (s.endAfter >= 0) {
        const int talked = s.answerAfter >= 0 ? qMax(0, s.endAfter - s.answerAfter) / 1000 : 0;
        QTimer::singleShot(s.endAfter, this,
                           [this, uid, talked, s, accountPath, accountId, video, requested]() {
                               // The call's time runs from the answer to the end.
                               const QDateTime ended = QDateTime::currentDateTime();
                               record(accountPath, accountId, video, ended.addSecs(-talked), ended);
                               Q_EMIT CallEnded(uid, s.answerAfter >= 0 ? 0 : 2, talked, QString());
                           });
    }
    return uid;
}

void DevCallUiService::SetSchedule(int answerAfter, int endAfter, bool fail)
{
    m_schedule.answerAfter = answerAfter;
    m_schedule.endAfter = endAfter;
    m_schedule.fail = fail;
}

void DevCallUiService::Quit()
{
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}
