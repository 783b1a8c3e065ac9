#include "modemcalluiservice.h"

#include "callerfilter.h"
#include "callhistoryrecorder.h"
#include "calljournal.h"
#include "emergencynumbers.h"
#include "modemmanagerobjects.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>

using Cellular::ModemManagerObjects;

namespace {
// The number to hand the modem, and the tones to send once the call is answered: visual
// separators dropped; then an optional leading "+" and 1 to 40 of the digits and "*#" a keypad
// dials; then, from a pause character ("p", "w", "x", ",", either case) on, up to 40 tones and
// pauses. Empty when accountId is not such a number.
QString dialString(const QString &accountId, QString *tones)
{
    QString s = accountId.left(200);
    s.remove(QRegularExpression(QStringLiteral("[\\s\\-\\.\\(\\)/]")));
    static const QRegularExpression valid(
        QStringLiteral("^(\\+?[0-9*#]{1,40})([pwx,][0-9*#pwx,]{0,39})?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = valid.match(s);
    if (!match.hasMatch())
        return QString();
    *tones = match.captured(2).toLower();
    return match.captured(1);
}

bool isPause(QChar c)
{
    return c == QLatin1Char('p') || c == QLatin1Char('w') || c == QLatin1Char('x') ||
           c == QLatin1Char(',');
}

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

void complain(const QString &what)
{
    std::fprintf(stderr, "call-ui-modem-service: %s\n", qPrintable(what));
}

// What a failed Start (its error, "name: message") says of the call's end, as a ModemCalls
// reason. ModemManager 1.20 fails it with Connection.NoDialtone for each of the modem's BUSY,
// NO ANSWER, NO CARRIER and NO DIALTONE results of the dial, which cannot be told apart: busy
// is the likeliest. A newer one may say Busy or NoAnswer. Anything else is an error.
int reasonOfFailedStart(const QString &error)
{
    const QString connection = QStringLiteral("org.freedesktop.ModemManager1.Error.Connection.");
    if (error.startsWith(connection + QLatin1String("NoDialtone:")) ||
        error.startsWith(connection + QLatin1String("Busy:")))
        return ModemCalls::RefusedOrBusy;
    if (error.startsWith(connection + QLatin1String("NoAnswer:")))
        return ModemCalls::ReasonUnknown;
    return ModemCalls::Error;
}
} // namespace

ModemCallUiService::ModemCallUiService(ModemManagerObjects *objects, CallJournal *journal,
                                       CallHistoryRecorder *recorder,
                                       Cellular::EmergencyNumbers *emergency, QObject *parent)
    : CallScreenBackend(parent), m_objects(objects), m_calls(objects), m_journal(journal),
      m_recorder(recorder), m_emergency(emergency), m_retry([this] { return writeOwed(); })
{
    connect(objects, &ModemManagerObjects::listed, this, &ModemCallUiService::onListed);
    connect(objects, &ModemManagerObjects::ownerChanged, this, &ModemCallUiService::onOwnerChanged);
    connect(objects, &ModemManagerObjects::modemAdded, this, &ModemCallUiService::onModemChanged);
    connect(objects, &ModemManagerObjects::modemChanged, this, &ModemCallUiService::onModemChanged);
    connect(objects, &ModemManagerObjects::modemRemoved, this, &ModemCallUiService::onModemRemoved);
    connect(&m_calls, &ModemCalls::callAdded, this, &ModemCallUiService::onCallAdded);
    connect(&m_calls, &ModemCalls::callDeleted, this, &ModemCallUiService::onCallDeleted);
    connect(&m_calls, &ModemCalls::stateChanged, this, &ModemCallUiService::onStateChanged);
    connect(&m_calls, &ModemCalls::numberChanged, this, &ModemCallUiService::onNumberChanged);
    if (objects->isListed())
        QTimer::singleShot(0, this, &ModemCallUiService::onListed);
}

void ModemCallUiService::setRetryDelay(int firstMs)
{
    m_retry.setDelays(firstMs, firstMs * 256);
}

QString ModemCallUiService::cellularAccount()
{
    return QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
}

QString ModemCallUiService::newUid()
{
    // Unique across restarts of the service too: calls taken up again keep their ids.
    return QStringLiteral("modemcall-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(now())
        .arg(m_nextId++);
}

QString ModemCallUiService::keyOf(const QString &callPath) const
{
    return CallRecord::keyOf(m_objects->owner(), callPath);
}

QString ModemCallUiService::keyOfUid(const QString &uid) const
{
    for (const CallRecord &r : m_journal->records())
        if (r.uid == uid && m_followed.contains(r.key()))
            return r.key();
    return QString();
}

bool ModemCallUiService::isEmergency(const QString &number) const
{
    return m_emergency && !number.isEmpty() && m_emergency->numbers().contains(number);
}

void ModemCallUiService::screen(CallRecord *r)
{
    if (!m_filter || !m_filter->blocks(r->number))
        return;
    r->blocked = true;
    const QString uid = r->uid;
    m_calls.hangup(r->callPath, [uid](const QString &error) {
        if (!error.isEmpty())
            complain(QStringLiteral("blocked call %1 not hung up: %2").arg(uid, error));
    });
}

bool ModemCallUiService::store(const CallRecord &record)
{
    return noteJournal(m_journal->put(record));
}

bool ModemCallUiService::noteJournal(bool written)
{
    if (!written) {
        // Said once for a run of failures; the calls go on, their records kept in memory.
        if (!m_journalFailing)
            complain(m_journal->errorString() +
                     QStringLiteral("; the calls are followed all the same, and the journal is "
                                    "written as soon as it can be"));
        m_journalFailing = true;
        m_retry.failed();
    } else if (m_journalFailing && !m_journal->isDirty()) {
        m_journalFailing = false;
        complain(QStringLiteral("%1 is written again").arg(m_journal->path()));
    }
    // A call the journal cannot hold is still followed; a restart while it lasts loses it.
    if (m_journal->leftOut() > m_leftOutReported)
        complain(QStringLiteral("calls followed but left out of %1 (more than it holds, or not "
                                "readable back), lost to a restart while they last: %2")
                     .arg(m_journal->path())
                     .arg(m_journal->leftOut()));
    m_leftOutReported = m_journal->leftOut();
    return written;
}

void ModemCallUiService::failLater(const QString &uid, const QString &why,
                                   CallScreenBackend::EndReason shown)
{
    complain(QStringLiteral("call %1 not placed: %2").arg(uid, why));
    m_givenUp.remove(uid);
    m_tones.remove(uid);
    // After the reply that hands out the id.
    QTimer::singleShot(0, this, [this, uid, shown] {
        Q_EMIT CommandFailed(uid);
        if (m_shown.remove(uid))
            Q_EMIT callEnded(uid, shown);
    });
}

void ModemCallUiService::show(const CallRecord &r, int modemState)
{
    CallScreenBackend::State state;
    switch (modemState) {
    case ModemCalls::Dialing:
        state = Dialing;
        break;
    case ModemCalls::RingingOut:
        state = Alerting;
        break;
    case ModemCalls::RingingIn:
    case ModemCalls::Waiting:
        state = Ringing;
        break;
    case ModemCalls::Active:
        state = Active;
        break;
    case ModemCalls::Held:
        state = Held;
        break;
    default:
        return;
    }
    // A blocked caller's call never reaches the screen: no ring, no sound, no notification.
    if (r.blocked)
        return;
    if (m_shown.contains(r.uid)) {
        Q_EMIT callStateChanged(r.uid, state);
        return;
    }
    m_shown.insert(r.uid);
    Q_EMIT callAdded(r.uid, r.number, r.direction == CallRecord::Outgoing ? Outgoing : Incoming,
                     state);
}

void ModemCallUiService::onCall(
    const QString &id, const char *what,
    const std::function<void(const CallRecord &, ModemCalls::Callback)> &how)
{
    const QString key = keyOfUid(id);
    if (key.isEmpty())
        return;
    const CallRecord r = m_journal->record(key);
    if (r.endedMs > 0 || r.recorded)
        return;
    const QString name = QLatin1String(what);
    how(r, [id, name](const QString &error) {
        if (!error.isEmpty())
            complain(QStringLiteral("call %1: %2 not done: %3").arg(id, name, error));
    });
}

void ModemCallUiService::answer(const QString &id)
{
    onCall(id, "answer", [this](const CallRecord &r, ModemCalls::Callback done) {
        m_calls.accept(r.callPath, done);
    });
}

void ModemCallUiService::decline(const QString &id)
{
    const QString key = keyOfUid(id);
    if (key.isEmpty())
        return;
    CallRecord r = m_journal->record(key);
    if (r.direction == CallRecord::Incoming && r.answeredMs == 0 && !r.declined) {
        // Seen and turned down: missed, but read.
        r.declined = true;
        store(r);
    }
    hangup(id);
}

void ModemCallUiService::hangup(const QString &id)
{
    if (keyOfUid(id).isEmpty()) {
        // A request not yet a call on the modem: it is not placed.
        if (m_shown.contains(id))
            m_givenUp.insert(id);
        return;
    }
    onCall(id, "hang up", [this](const CallRecord &r, ModemCalls::Callback done) {
        m_calls.hangup(r.callPath, done);
    });
}

void ModemCallUiService::sendDtmf(const QString &id, const QString &digits)
{
    static const QRegularExpression tones(QStringLiteral("^[0-9*#A-Da-d]{1,32}$"));
    if (!tones.match(digits).hasMatch())
        return;
    onCall(id, "tones", [this, digits](const CallRecord &r, ModemCalls::Callback done) {
        m_calls.sendDtmf(r.callPath, digits, done);
    });
}

void ModemCallUiService::endAndAnswer(const QString &id)
{
    onCall(id, "end and answer", [this](const CallRecord &r, ModemCalls::Callback done) {
        m_calls.hangupAndAccept(r.modemPath, done);
    });
}

void ModemCallUiService::holdAndAnswer(const QString &id)
{
    onCall(id, "hold and answer", [this](const CallRecord &r, ModemCalls::Callback done) {
        m_calls.holdAndAccept(r.modemPath, done);
    });
}

void ModemCallUiService::sendTones(const QString &uid, const QString &tones)
{
    if (tones.isEmpty() || keyOfUid(uid).isEmpty())
        return;
    if (isPause(tones.at(0))) {
        QTimer::singleShot(m_tonePause, this, [this, uid, tones] { sendTones(uid, tones.mid(1)); });
        return;
    }
    int end = 0;
    while (end < tones.size() && !isPause(tones.at(end)))
        ++end;
    sendDtmf(uid, tones.left(end));
    sendTones(uid, tones.mid(end));
}

void ModemCallUiService::callBack(const QString &number)
{
    RequestCallToContact(cellularAccount(), number, 0, QString(), false);
}

QString ModemCallUiService::RequestCallToContact(const QString &accountPath,
                                                 const QString &accountId, uint localContactId,
                                                 const QString &contactName, bool video)
{
    Q_UNUSED(localContactId);
    Q_UNUSED(contactName);
    // A modem places voice calls only; a video request is placed as a voice call.
    Q_UNUSED(video);
    const QString uid = newUid();
    // The person sees at once that the call is on its way.
    m_shown.insert(uid);
    Q_EMIT callAdded(uid, accountId.trimmed().left(CallRecord::MaxTextLength), Outgoing, Dialing);
    if (m_objects->isListed()) {
        place(uid, accountPath, accountId);
    } else if (m_waiting.size() < 16) {
        m_waiting.append(
            [this, uid, accountPath, accountId] { place(uid, accountPath, accountId); });
    } else {
        failLater(uid, QStringLiteral("too many requests while the modems are not known yet"));
    }
    return uid;
}

void ModemCallUiService::place(const QString &uid, const QString &accountPath,
                               const QString &accountId)
{
    if (m_givenUp.contains(uid)) {
        failLater(uid, QStringLiteral("given up before it was placed"), CallScreenBackend::Normal);
        return;
    }
    if (!accountPath.isEmpty() && accountPath != cellularAccount()) {
        failLater(uid, QStringLiteral("not the cellular account"));
        return;
    }
    QString tones;
    const QString number = dialString(accountId, &tones);
    if (number.isEmpty()) {
        failLater(uid, QStringLiteral("not a phone number"));
        return;
    }
    if (!tones.isEmpty())
        m_tones.insert(uid, tones);
    const QStringList modems = m_calls.voiceModems();
    if (modems.isEmpty()) {
        failLater(uid, QStringLiteral("no modem offers voice calls"));
        return;
    }
    const QString modem = modems.first();
    m_calls.create(modem, number,
                   [this, uid, modem, number](const QString &path, const QString &error) {
                       onCreated(uid, modem, number, path, error);
                   });
}

void ModemCallUiService::onCreated(const QString &uid, const QString &modem, const QString &number,
                                   const QString &callPath, const QString &error)
{
    if (!error.isEmpty()) {
        failLater(uid, error);
        return;
    }
    if (!m_calls.hasVoice(modem)) {
        // The modem went before the answer came, and its calls with it: nothing is left to
        // follow, and a record kept now would never end.
        failLater(uid, QStringLiteral("the modem went away"));
        return;
    }
    if (m_givenUp.contains(uid)) {
        // Hung up on the screen before the modem had the call: never started.
        m_calls.remove(modem, callPath);
        failLater(uid, QStringLiteral("given up before it was placed"), CallScreenBackend::Normal);
        return;
    }
    const QString key = keyOf(callPath);
    // CallAdded may have come first and made a record under another id.
    CallRecord r = m_journal->contains(key) ? m_journal->record(key) : CallRecord();
    r.uid = uid;
    r.owner = m_objects->owner();
    r.modemPath = modem;
    r.callPath = callPath;
    r.direction = CallRecord::Outgoing;
    r.number = number;
    r.accountPath = cellularAccount();
    r.emergency = isEmergency(number);
    // Placed whether or not the journal can be written: never a call refused for our own
    // bookkeeping.
    store(r);
    m_unstarted.insert(uid);
    m_starting.insert(key, NoEnd);
    follow(modem, callPath);
    m_calls.start(callPath, [this, uid, key](const QString &error) {
        const int endedAs = m_starting.take(key);
        if (!error.isEmpty())
            complain(QStringLiteral("call %1 not started: %2").arg(uid, error));
        // Nothing left to end: gone, or ended meanwhile (its modem went).
        const CallRecord r = m_journal->record(key);
        if (!m_journal->contains(key) || r.recorded || r.endedMs > 0)
            return;
        // A call that never dialled is a refused request, not a call (CommandFailed).
        if (!error.isEmpty())
            finish(key, reasonOfFailedStart(error), Ended);
        else if (endedAs != NoEnd)
            finish(key, endedAs, Ended);
    });
}

void ModemCallUiService::follow(const QString &modem, const QString &callPath)
{
    const QString key = keyOf(callPath);
    if (m_followed.contains(key))
        return;
    const CallRecord known = m_journal->record(key);
    if (known.recorded || known.endedMs > 0) {
        // Ended before a restart: only the modem's copy is left to tidy, and the history entry
        // to write if it is not yet.
        m_followed.insert(key);
        if (!known.recorded)
            m_retry.failed();
        m_calls.remove(modem, callPath);
        return;
    }
    if (m_fetching >= MaxFetching) {
        // A few calls are read at a time; the others wait. Beyond what may wait (a flood of
        // calls), the modems' lists of calls are looked through again once all are read: a
        // real call is in its modem's list, so none is lost.
        if (m_toFetch.size() < MaxWaitingToFetch) {
            m_followed.insert(key);
            m_toFetch.append({modem, callPath, key});
        } else {
            m_lookAgain = true;
        }
        return;
    }
    m_followed.insert(key);
    fetch(modem, callPath, key);
}

void ModemCallUiService::fetch(const QString &modem, const QString &callPath, const QString &key)
{
    ++m_fetching;
    m_calls.fetch(callPath, [this, modem, callPath, key](bool ok, const ModemCalls::Properties &p) {
        --m_fetching;
        onProperties(modem, callPath, key, ok, p);
        fetchWaiting();
    });
}

void ModemCallUiService::fetchWaiting()
{
    while (m_fetching < MaxFetching && !m_toFetch.isEmpty()) {
        const ToFetch next = m_toFetch.takeFirst();
        if (next.key != keyOf(next.callPath))
            forget(next.key); // ModemManager changed meanwhile: its calls went with it.
        else if (m_followed.contains(next.key))
            fetch(next.modem, next.callPath, next.key);
    }
    if (m_lookAgain && m_fetching == 0 && m_toFetch.isEmpty()) {
        m_lookAgain = false;
        for (const QString &modem : m_calls.voiceModems())
            for (const QString &call : m_calls.calls(modem))
                follow(modem, call);
    }
}

void ModemCallUiService::forget(const QString &key)
{
    m_followed.remove(key);
    m_loaded.remove(key);
    m_changesBeforeLoaded.remove(key);
    m_numberBeforeLoaded.remove(key);
}

void ModemCallUiService::onProperties(const QString &modem, const QString &callPath,
                                      const QString &key, bool ok, const ModemCalls::Properties &p)
{
    if (!m_followed.contains(key))
        return;
    if (!ok || key != keyOf(callPath)) {
        // Cannot be read: the call does not exist (any more), or ModemManager went. It is
        // forgotten; one followed before ends now.
        if (m_journal->contains(key))
            finish(key, ModemCalls::ReasonUnknown, Unreadable);
        else
            forget(key);
        return;
    }
    // A call is noted once it is known to exist: calls that cannot be read take no place.
    CallRecord r;
    if (m_journal->contains(key)) {
        r = m_journal->record(key);
    } else {
        r.uid = newUid();
        r.owner = m_objects->owner();
        r.modemPath = modem;
        r.callPath = callPath;
        r.accountPath = cellularAccount();
    }
    if (r.direction == CallRecord::UnknownDirection)
        r.direction = p.direction;
    // A number that is not usable (empty) never replaces one known before; one given while the
    // properties were on their way is newer than them.
    QString number = m_numberBeforeLoaded.take(key);
    if (number.isEmpty())
        number = p.number;
    if (r.direction != CallRecord::Outgoing && !number.isEmpty())
        r.number = number;
    // A new incoming call ringing: first seen here, before anything announced it. (A call
    // waiting beside another is let be: ending it alone is not something every modem does.)
    if (!m_journal->contains(key) && r.direction == CallRecord::Incoming &&
        p.state == ModemCalls::RingingIn)
        screen(&r);
    store(r);
    m_loaded.insert(key);
    // Changes that came before the answer are older than it.
    for (const auto &change : m_changesBeforeLoaded.take(key))
        applyState(key, change.first, change.second);
    applyState(key, p.state, p.reason);
}

void ModemCallUiService::onStateChanged(const QString &callPath, int oldState, int newState,
                                        int reason)
{
    Q_UNUSED(oldState);
    const QString key = keyOf(callPath);
    if (!m_followed.contains(key))
        return;
    if (!m_loaded.contains(key)) {
        // Direction and number are not known yet: the change waits for them (a few at most).
        QList<QPair<int, int>> &changes = m_changesBeforeLoaded[key];
        if (changes.size() < 16)
            changes.append(qMakePair(newState, reason));
        return;
    }
    applyState(key, newState, reason);
}

void ModemCallUiService::applyState(const QString &key, int state, int reason)
{
    CallRecord r = m_journal->record(key);
    if (r.recorded || r.endedMs > 0)
        return;
    // A modem that cannot list its calls (no +CLCC) has ModemManager take a call as active once
    // it dials, with this reason: the call is placed, not answered.
    if (state == ModemCalls::Active && reason == ModemCalls::OutgoingStarted)
        state = ModemCalls::Dialing;
    switch (state) {
    case ModemCalls::Dialing:
    case ModemCalls::RingingOut:
    case ModemCalls::RingingIn:
    case ModemCalls::Waiting:
        if (r.startedMs == 0) {
            r.startedMs = now();
            m_unstarted.remove(r.uid);
            store(r);
            if (r.direction == CallRecord::Incoming && !r.blocked)
                Q_EMIT callIncoming(r.uid, r.number);
        }
        break;
    case ModemCalls::Active:
    case ModemCalls::Held:
        if (r.answeredMs == 0) {
            r.answeredMs = now();
            if (r.startedMs == 0)
                r.startedMs = r.answeredMs;
            m_unstarted.remove(r.uid);
            store(r);
            Q_EMIT CallAnswered(r.uid);
            // The tones after the pause of the number dialled go once the callee answered.
            const QString tones = m_tones.take(r.uid);
            if (!tones.isEmpty())
                QTimer::singleShot(0, this, [this, uid = r.uid, tones] { sendTones(uid, tones); });
        }
        break;
    case ModemCalls::Terminated:
        if (m_starting.contains(key)) {
            // Start's answer may tell more (busy comes as its error): the end waits for it.
            m_starting.insert(key, reason);
            break;
        }
        if (r.startedMs == 0 && r.direction == CallRecord::Incoming) {
            // An incoming call ends only after it rang: it rang while no one followed it (the
            // service was not running), and is missed as of now.
            r.startedMs = now();
            store(r);
        }
        finish(key, reason, Ended);
        return;
    default:
        break;
    }
    show(r, state);
}

void ModemCallUiService::finish(const QString &key, int reason, End how)
{
    CallRecord r = m_journal->record(key);
    const bool wasFollowed = m_followed.contains(key);
    // A call gone, or one that cannot be read, is no longer followed.
    if (how != Ended)
        forget(key);
    // Ended once: a call whose history write failed is written later, not ended again.
    const bool ending = r.endedMs == 0 && !r.recorded;
    if (ending) {
        r.endedMs = now();
        // Never rang nor dialled: nothing to write.
        if (r.startedMs == 0) {
            r.recorded = true;
            store(r);
        }
    }
    // How it ended, for the bus and the screen.
    // A blocked call was never announced, neither on the bus nor on the screen.
    const bool began = ending && r.startedMs > 0 && !r.blocked;
    int code = r.answeredMs > 0 ? EndNormal : EndNoAnswer;
    QString text;
    if (how == Vanished) {
        code = EndFailed;
        text = QStringLiteral("modem-gone");
    } else if (reason == ModemCalls::RefusedOrBusy) {
        code = EndBusy;
        text = QStringLiteral("refused-or-busy");
    } else if (reason == ModemCalls::Error || reason == ModemCalls::AudioSetupFailed) {
        code = EndFailed;
        text = reason == ModemCalls::Error ? QStringLiteral("error")
                                           : QStringLiteral("audio-setup-failed");
    }
    // The screen first: it never waits for the history's write.
    if (began && m_shown.remove(r.uid)) {
        // A call rung in and not answered is missed, whatever ended it; the person may have
        // declined it.
        CallScreenBackend::EndReason shown = code == EndBusy       ? CallScreenBackend::Busy
                                             : code == EndNoAnswer ? CallScreenBackend::NoAnswer
                                             : code == EndFailed   ? CallScreenBackend::Failed
                                                                   : CallScreenBackend::Normal;
        if (r.direction != CallRecord::Outgoing && r.answeredMs == 0)
            shown = r.declined ? CallScreenBackend::Declined : CallScreenBackend::Missed;
        Q_EMIT callEnded(r.uid, shown);
    }
    if (!r.recorded && !writeHistory(&r, ending))
        m_retry.failed();
    if (began) {
        const int talked =
            r.answeredMs > 0 ? int(qMax<qint64>(0, r.endedMs - r.answeredMs) / 1000) : 0;
        Q_EMIT CallEnded(r.uid, code, talked, text);
        m_tones.remove(r.uid);
    } else if (ending && m_unstarted.remove(r.uid)) {
        // A request of ours failed.
        failLater(r.uid, QStringLiteral("the call did not start"));
    }
    if (how != Ended) {
        // A call not yet in the history stays until it is written.
        if (r.recorded)
            noteJournal(m_journal->remove(key));
    } else if (wasFollowed) {
        m_calls.remove(r.modemPath, r.callPath);
    }
}

bool ModemCallUiService::writeHistory(CallRecord *r, bool first)
{
    // Only a write begun before (by a service that was stopped, or that failed) may have made
    // it to the store.
    const CallRecord write = *r;
    if (!r->writing) {
        r->writing = true;
        store(*r);
    }
    const QString number = r->number.isEmpty() ? QStringLiteral("a withheld number") : r->number;
    QString error;
    if (!m_recorder->record(write, r->endedMs, &error)) {
        if (first)
            complain(QStringLiteral("the call with %1 is not recorded yet: %2; it is written as "
                                    "soon as it can be")
                         .arg(number, error));
        // A write that failed wrote nothing (one transaction): the next is not a repeat, so
        // that calls from one number within a second stay apart.
        r->writing = write.writing;
        store(*r);
        return false;
    }
    if (!first)
        complain(QStringLiteral("the call with %1 is recorded now").arg(number));
    r->writing = false;
    r->recorded = true;
    store(*r);
    return true;
}

bool ModemCallUiService::writeOwed()
{
    // Calls ended and not yet in the history; the store fails alike for all, so the first
    // failure ends the attempt.
    for (CallRecord r : m_journal->records()) {
        if (r.recorded || r.endedMs == 0)
            continue;
        if (!writeHistory(&r, false))
            return false;
        // One no longer followed has nothing left to wait for.
        if (!m_followed.contains(r.key()))
            m_journal->remove(r.key());
    }
    return noteJournal(m_journal->flush());
}

void ModemCallUiService::finishAll(const std::function<bool(const CallRecord &)> &which)
{
    for (const CallRecord &r : m_journal->records())
        if (which(r))
            finish(r.key(), ModemCalls::ReasonUnknown, Vanished);
}

void ModemCallUiService::onOwnerChanged(const QString &oldOwner, const QString &newOwner)
{
    Q_UNUSED(newOwner);
    // ModemManager went away or restarted: its calls went with it.
    finishAll([oldOwner](const CallRecord &r) { return r.owner == oldOwner; });
}

void ModemCallUiService::onListed()
{
    // What the journal holds beyond the calls ModemManager lists ended while the service was not
    // following them.
    QSet<QString> listed;
    for (const QString &modem : m_calls.voiceModems()) {
        for (const QString &call : m_calls.calls(modem)) {
            listed.insert(keyOf(call));
            follow(modem, call);
        }
    }
    finishAll([this, &listed](const CallRecord &r) {
        return !listed.contains(r.key()) && !m_followed.contains(r.key());
    });
    const QList<std::function<void()>> waiting = m_waiting;
    m_waiting.clear();
    for (const auto &request : waiting)
        request();
}

void ModemCallUiService::onModemChanged(const QString &modem)
{
    if (!m_objects->isListed())
        return;
    if (!m_calls.hasVoice(modem)) {
        onModemRemoved(modem);
        return;
    }
    for (const QString &call : m_calls.calls(modem))
        follow(modem, call);
}

void ModemCallUiService::onModemRemoved(const QString &modem)
{
    const QString owner = m_objects->owner();
    finishAll(
        [modem, owner](const CallRecord &r) { return r.modemPath == modem && r.owner == owner; });
}

void ModemCallUiService::onCallAdded(const QString &modem, const QString &callPath)
{
    if (m_objects->isListed())
        follow(modem, callPath);
}

void ModemCallUiService::onCallDeleted(const QString &modem, const QString &callPath)
{
    Q_UNUSED(modem);
    const QString key = keyOf(callPath);
    if (m_journal->contains(key))
        finish(key, ModemCalls::ReasonUnknown, Vanished);
    else
        forget(key);
}

void ModemCallUiService::onNumberChanged(const QString &callPath, const QString &number)
{
    const QString key = keyOf(callPath);
    // A later number that is not usable (too long, not printable) or withdrawn never replaces
    // the last good one, nor is it announced.
    if (!m_followed.contains(key) || number.isEmpty())
        return;
    if (!m_loaded.contains(key)) {
        // Noted with the properties, once they are in.
        m_numberBeforeLoaded.insert(key, number);
        return;
    }
    CallRecord r = m_journal->record(key);
    // The network may give the caller's number after the call appeared. A call that ended keeps
    // the number it ended with, also while its history entry waits to be written.
    if (r.direction != CallRecord::Outgoing && !r.recorded && r.endedMs == 0 &&
        r.number != number) {
        r.number = number;
        store(r);
        if (m_shown.contains(r.uid))
            Q_EMIT callNumberChanged(r.uid, number);
        // Announced already as ringing, without it or with another: announced again.
        if (r.direction == CallRecord::Incoming && r.startedMs > 0 && r.answeredMs == 0 &&
            !r.blocked)
            Q_EMIT callIncoming(r.uid, number);
    }
}
