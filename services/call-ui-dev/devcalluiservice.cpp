#include "devcalluiservice.h"

#include "accountpaths.h"
#include "calluiserviceadaptor.h"
#include "calluiservicenames.h"
#include "devcalluidevelopmentadaptor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>

namespace {
// A real service needs a moment to refuse or complete a request; the caller has its call id
// by then. A placed call reaches the callee's phone as quickly.
const int ResponseDelay = 100;
const int MaxNumberLength = 40;

// CallEnded's reason on the bus: 0 normal, 1 refused or busy, 2 not answered, 3 failed.
int busReason(CallScreenBackend::EndReason reason)
{
    switch (reason) {
    case CallScreenBackend::Normal:
        return 0;
    case CallScreenBackend::Busy:
    case CallScreenBackend::Declined:
        return 1;
    case CallScreenBackend::NoAnswer:
    case CallScreenBackend::Missed:
        return 2;
    case CallScreenBackend::Failed:
        break;
    }
    return 3;
}
} // namespace

DevCallUiService::DevCallUiService(const CallSchedule &schedule, QObject *parent)
    : CallScreenBackend(parent), m_schedule(schedule)
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

void DevCallUiService::record(const Call &c, bool missed, bool read, const QDateTime &start,
                              const QDateTime &end)
{
    if (!m_historyOpen)
        return;
    CommHistory::Event call;
    call.setType(CommHistory::Event::CallEvent);
    call.setDirection(c.direction == Outgoing ? CommHistory::Event::Outbound
                                              : CommHistory::Event::Inbound);
    call.setLocalUid(c.accountPath);
    call.setRemoteUid(c.number);
    call.setStartTime(start);
    call.setEndTime(end);
    call.setIsVideoCall(c.video);
    call.setIsMissedCall(missed);
    call.setIsRead(read);
    if (!m_history.addEvent(call))
        std::fprintf(stderr, "call-ui-dev-service: the call with %s was not recorded: %s\n",
                     qPrintable(c.number), qPrintable(m_history.errorString()));
}

QString DevCallUiService::newId()
{
    return QStringLiteral("devcall-%1-%2").arg(QCoreApplication::applicationPid()).arg(m_nextId++);
}

void DevCallUiService::after(const QString &uid, int ms, const std::function<void()> &step)
{
    auto it = m_calls.find(uid);
    if (it == m_calls.end() || ms < 0)
        return;
    // Steps of a call that ended meanwhile go with it.
    QTimer::singleShot(ms, it->timers, step);
}

void DevCallUiService::setState(const QString &uid, State state)
{
    auto it = m_calls.find(uid);
    if (it == m_calls.end() || it->state == state)
        return;
    it->state = state;
    const bool answered = state == Active && !it->answered.isValid();
    if (answered)
        it->answered = QDateTime::currentDateTime();
    Q_EMIT callStateChanged(uid, state);
    if (answered)
        Q_EMIT CallAnswered(uid);
}

void DevCallUiService::end(const QString &uid, EndReason reason)
{
    auto it = m_calls.find(uid);
    if (it == m_calls.end())
        return;
    const Call call = it.value();
    m_calls.erase(it);
    delete call.timers;
    const QDateTime ended = QDateTime::currentDateTime();
    // The screen first: it never waits for the history's write.
    Q_EMIT callEnded(uid, reason);
    // The call's time runs from the answer to the end, in whole seconds.
    const int talked = call.answered.isValid() ? int(call.answered.secsTo(ended)) : 0;
    if (!call.recorded && reason != Failed) {
        const bool missed = call.direction == Incoming && !call.answered.isValid();
        record(call, missed, reason != Missed, ended.addSecs(-talked), ended);
    }
    // A refused request is no call: CommandFailed said it all.
    if (reason != Failed)
        Q_EMIT CallEnded(uid, busReason(reason), talked, QString());
}

QString DevCallUiService::RequestCallToContact(const QString &accountPath, const QString &accountId,
                                               uint localContactId, const QString &contactName,
                                               bool video)
{
    const QString uid = newId();
    const CallSchedule s = m_schedule;
    Q_EMIT callRequested(uid, accountPath, accountId, localContactId, contactName, video);
    // Notifications follow the reply, as from a real service.
    if (accountId.trimmed().isEmpty()) {
        QTimer::singleShot(ResponseDelay, this, [this, uid]() { Q_EMIT CommandFailed(uid); });
        return uid;
    }
    Call call;
    call.accountPath = accountPath;
    call.number = accountId;
    call.video = video;
    call.timers = new QObject(this);
    m_calls.insert(uid, call);
    // The person sees at once that the call is being placed.
    Q_EMIT callAdded(uid, accountId, Outgoing, Dialing);
    if (s.fail) {
        after(uid, ResponseDelay, [this, uid]() {
            Q_EMIT CommandFailed(uid);
            end(uid, Failed);
        });
        return uid;
    }
    if (s.answerAfter < 0 && s.endAfter < 0) {
        // Neither answered nor ended: written now, the request completes; the screen shows it
        // until the person hangs up.
        const QDateTime now = QDateTime::currentDateTime();
        record(call, false, true, now, now);
        m_calls[uid].recorded = true;
        after(uid, ResponseDelay, [this, uid]() {
            setState(uid, Alerting);
            Q_EMIT CommandCompleted(uid);
        });
        return uid;
    }
    if (s.answerAfter < 0 || s.answerAfter > ResponseDelay)
        after(uid, ResponseDelay, [this, uid]() { setState(uid, Alerting); });
    after(uid, s.answerAfter, [this, uid]() { setState(uid, Active); });
    after(uid, s.endAfter, [this, uid]() {
        const auto it = m_calls.constFind(uid);
        end(uid, it != m_calls.constEnd() && it->answered.isValid() ? Normal : NoAnswer);
    });
    return uid;
}

QString DevCallUiService::Ring(const QString &number, QString *error)
{
    static const QRegularExpression dialable(QStringLiteral("^[+0-9*# ]*$"));
    const QString trimmed = number.trimmed();
    if (trimmed.size() > MaxNumberLength || !dialable.match(trimmed).hasMatch()) {
        *error = QStringLiteral("not a phone number (+, digits, *, # and spaces, at most %1)")
                     .arg(MaxNumberLength);
        return QString();
    }
    const QString uid = newId();
    Call call;
    call.accountPath = cellularAccountPath();
    call.number = trimmed;
    call.direction = Incoming;
    call.state = Ringing;
    call.timers = new QObject(this);
    m_calls.insert(uid, call);
    Q_EMIT callAdded(uid, trimmed, Incoming, Ringing);
    after(uid, m_schedule.ringFor, [this, uid]() { end(uid, Missed); });
    return uid;
}

bool DevCallUiService::EndRemote(const QString &uid)
{
    const auto it = m_calls.constFind(uid);
    if (it == m_calls.constEnd())
        return false;
    if (it->answered.isValid())
        end(uid, Normal);
    else
        end(uid, it->direction == Incoming ? Missed : Busy);
    return true;
}

void DevCallUiService::answer(const QString &id)
{
    const auto it = m_calls.constFind(id);
    if (it != m_calls.constEnd() && it->state == Ringing)
        setState(id, Active);
}

void DevCallUiService::decline(const QString &id)
{
    const auto it = m_calls.constFind(id);
    if (it != m_calls.constEnd() && it->state == Ringing)
        end(id, Declined);
}

void DevCallUiService::hangup(const QString &id)
{
    const auto it = m_calls.constFind(id);
    if (it == m_calls.constEnd())
        return;
    if (it->state == Ringing)
        end(id, Declined);
    else
        end(id, Normal);
}

void DevCallUiService::sendDtmf(const QString &id, const QString &digits)
{
    static const QRegularExpression tones(QStringLiteral("^[0-9*#A-Da-d]+$"));
    const auto it = m_calls.constFind(id);
    if (it != m_calls.constEnd() && it->state == Active && tones.match(digits).hasMatch())
        Q_EMIT tonesSent(id, digits);
}

void DevCallUiService::endAndAnswer(const QString &id)
{
    const auto it = m_calls.constFind(id);
    if (it == m_calls.constEnd() || it->state != Ringing)
        return;
    for (const QString &other : m_calls.keys()) {
        if (other != id && m_calls.value(other).state != Ringing)
            end(other, Normal);
    }
    setState(id, Active);
}

void DevCallUiService::holdAndAnswer(const QString &id)
{
    const auto it = m_calls.constFind(id);
    if (it == m_calls.constEnd() || it->state != Ringing)
        return;
    for (const QString &other : m_calls.keys()) {
        if (other != id && m_calls.value(other).state == Active)
            setState(other, Held);
    }
    setState(id, Active);
}

void DevCallUiService::SetSchedule(int answerAfter, int endAfter, bool fail)
{
    m_schedule.answerAfter = answerAfter;
    m_schedule.endAfter = endAfter;
    m_schedule.fail = fail;
}

void DevCallUiService::callBack(const QString &number)
{
    RequestCallToContact(cellularAccountPath(), number, 0, QString(), false);
}

void DevCallUiService::Quit()
{
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}
