#include "page.h"

#include "accountpaths.h"
#include "calluiapimanager.h"
#include "displaytext.h"
#include "informationbanner.h"
#include "mapplicationpage.h"
#include "mscenemanager.h"
#include "mwindow.h"
#include "pendingcallrequest.h"
#include "phonenumbers.h"

namespace {
// Longest part of an address a banner names; a longer one is cut with an ellipsis.
const int MaxNamedLength = 60;

QString namedInBanner(const QString &number)
{
    QString shown = stripBidiMarks(number);
    if (shown.size() > MaxNamedLength) {
        int cut = MaxNamedLength;
        if (shown.at(cut - 1).isHighSurrogate())
            --cut;
        shown = shown.left(cut) + QChar(0x2026);
    }
    return remoteForDisplay(shown, false);
}
} // namespace

Page::Page(QObject *parent) : QObject(parent)
{
    CallUi::CallUiServiceApi *api = CallUiApiManager::instance()->callUiApi();
    connect(api, SIGNAL(CallAnswered(QString)), this, SLOT(slotCallAnswered(QString)));
    connect(api, SIGNAL(CommandCompleted(QString)), this, SLOT(slotCommandCompleted(QString)));
    connect(api, SIGNAL(CallEnded(QString, int, int, QString)), this, SLOT(slotCallEnded(QString)));
    connect(api, SIGNAL(CommandFailed(QString)), this, SLOT(slotCommandFailed(QString)));
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(DefaultCallHoldTimeout);
    connect(&m_holdTimer, &QTimer::timeout, this, &Page::releaseCallKeys);
}

void Page::appear(MWindow *window)
{
    MApplicationPage *page = scenePage();
    if (!window || !page)
        return;
    window->sceneManager()->appearSceneWindowNow(page, MSceneWindow::KeepWhenDone);
    page->setFocus(Qt::OtherFocusReason);
}

void Page::setCallHoldTimeout(int ms)
{
    m_holdTimer.setInterval(qMax(1, ms));
}

void Page::callAnswered() {}

void Page::callEnded() {}

void Page::commandCompleted() {}

void Page::commandFailed() {}

void Page::refreshCall()
{
    m_pendingCallId.clear();
    releaseCallKeys();
}

void Page::releaseCallKeys()
{
    m_holdTimer.stop();
    m_inFlightId.clear();
    if (!m_inFlight)
        return;
    m_inFlight = false;
    Q_EMIT callInFlightChanged(false);
}

bool Page::call(QString accountPath, QString accountId, quint32 localContactId, QString contactName,
                bool requestVideo)
{
    Followed what;
    what.number = accountId;
    what.emergency = isEmergencyNumber(accountId);
    // Our own bookkeeping never holds back an emergency call, only a second one.
    if (m_inFlight && (!what.emergency || m_inFlightEmergency))
        return false;
    if (what.emergency) {
        // Whatever account was chosen: only the cellular network reaches the emergency services,
        // and only with a number the modem dials.
        accountPath = cellularAccountPath();
        const QString dialled = emergencyNumberToDial(accountId);
        if (!dialled.isEmpty())
            accountId = dialled;
        requestVideo = false;
    }
    const bool wasInFlight = m_inFlight;
    m_inFlight = true;
    m_inFlightEmergency = what.emergency;
    const quint64 serial = ++m_serial;
    m_inFlightId.clear();
    m_holdTimer.start();
    if (!wasInFlight)
        Q_EMIT callInFlightChanged(true);

    CallUi::CallUiServiceApi *api = CallUiApiManager::instance()->callUiApi();
    const QString name = localContactId != 0 ? contactName : QString();
    CallUi::PendingCallRequest *request =
        api->RequestCallToContact(accountPath, accountId, localContactId, name, requestVideo);
    connect(request, &CallUi::PendingCallRequest::finished, this,
            [this, serial, what](CallUi::PendingCallRequest *r) {
                onRequestFinished(r, serial, what);
            });
    return true;
}

bool Page::call(QString accountPath, QString accountId, quint32 localContactId, QString contactName)
{
    return call(accountPath, accountId, localContactId, contactName, false);
}

bool Page::call(QString accountPath, QString accountId, quint32 localContactId)
{
    return call(accountPath, accountId, localContactId, QString());
}

bool Page::call(QString accountPath, QString accountId)
{
    return call(accountPath, accountId, 0);
}

void Page::onRequestFinished(CallUi::PendingCallRequest *request, quint64 serial,
                             const Followed &what)
{
    // A late answer to an older request does not take the place of the latest one.
    if (serial == m_serial)
        m_pendingCallId = request->callId();
    const bool current = m_inFlight && serial == m_serial;
    if (request->isError() || request->callId().isEmpty()) {
        showFailure(what);
        if (current)
            releaseCallKeys();
        return;
    }
    Followed followed = what;
    followed.uid = request->callId();
    m_followed.append(followed);
    while (m_followed.size() > MaxFollowedRequests)
        m_followed.removeFirst();
    if (current)
        m_inFlightId = followed.uid;
}

bool Page::takeFollowed(const QString &uid, Followed *what)
{
    if (!uid.isEmpty() && uid == m_inFlightId)
        releaseCallKeys();
    for (int i = 0; i < m_followed.size(); ++i) {
        if (m_followed.at(i).uid != uid)
            continue;
        if (what)
            *what = m_followed.at(i);
        m_followed.removeAt(i);
        return true;
    }
    return false;
}

void Page::showFailure(const Followed &what)
{
    const char *id = what.emergency ? "qtn_call_emergency_failed" : "qtn_call_failed";
    showInformationBanner(qtTrId(id).arg(namedInBanner(what.number)));
}

bool Page::takeIfPending(const QString &uid)
{
    if (uid != m_pendingCallId)
        return false;
    m_pendingCallId.clear();
    return true;
}

void Page::slotCallAnswered(QString uid)
{
    takeFollowed(uid);
    if (takeIfPending(uid))
        callAnswered();
}

void Page::slotCallEnded(QString uid)
{
    takeFollowed(uid);
    if (takeIfPending(uid))
        callEnded();
}

void Page::slotCommandCompleted(QString uid)
{
    takeFollowed(uid);
    if (takeIfPending(uid))
        commandCompleted();
}

void Page::slotCommandFailed(QString uid)
{
    Followed what;
    if (takeFollowed(uid, &what))
        showFailure(what);
    if (takeIfPending(uid))
        commandFailed();
}
