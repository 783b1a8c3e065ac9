#include "page.h"

#include "calluiapimanager.h"
#include "mapplicationpage.h"
#include "mscenemanager.h"
#include "mwindow.h"
#include "pendingcallrequest.h"

Page::Page(QObject *parent) : QObject(parent)
{
    CallUi::CallUiServiceApi *api = CallUiApiManager::instance()->callUiApi();
    connect(api, SIGNAL(CallAnswered(QString)), this, SLOT(slotCallAnswered(QString)));
    connect(api, SIGNAL(CommandCompleted(QString)), this, SLOT(slotCommandCompleted(QString)));
    connect(api, SIGNAL(CallEnded(QString, int, int, QString)), this, SLOT(slotCallEnded(QString)));
    connect(api, SIGNAL(CommandFailed(QString)), this, SLOT(slotCommandFailed(QString)));
}

void Page::appear(MWindow *window)
{
    MApplicationPage *page = scenePage();
    if (!window || !page)
        return;
    window->sceneManager()->appearSceneWindowNow(page, MSceneWindow::KeepWhenDone);
    page->setFocus(Qt::OtherFocusReason);
}

void Page::callAnswered() {}

void Page::callEnded() {}

void Page::commandCompleted() {}

void Page::commandFailed() {}

void Page::refreshCall()
{
    m_pendingCallId.clear();
}

void Page::call(QString accountPath, QString accountId, quint32 localContactId, QString contactName,
                bool requestVideo)
{
    CallUi::CallUiServiceApi *api = CallUiApiManager::instance()->callUiApi();
    const QString name = localContactId != 0 ? contactName : QString();
    CallUi::PendingCallRequest *request =
        api->RequestCallToContact(accountPath, accountId, localContactId, name, requestVideo);
    connect(request, SIGNAL(finished(CallUi::PendingCallRequest *)), this,
            SLOT(slotPendingCallRequestFinished(CallUi::PendingCallRequest *)));
}

void Page::call(QString accountPath, QString accountId, quint32 localContactId, QString contactName)
{
    call(accountPath, accountId, localContactId, contactName, false);
}

void Page::call(QString accountPath, QString accountId, quint32 localContactId)
{
    call(accountPath, accountId, localContactId, QString());
}

void Page::call(QString accountPath, QString accountId)
{
    call(accountPath, accountId, 0);
}

void Page::slotPendingCallRequestFinished(CallUi::PendingCallRequest *request)
{
    m_pendingCallId = request->callId();
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
    if (takeIfPending(uid))
        callAnswered();
}

void Page::slotCallEnded(QString uid)
{
    if (takeIfPending(uid))
        callEnded();
}

void Page::slotCommandCompleted(QString uid)
{
    if (takeIfPending(uid))
        commandCompleted();
}

void Page::slotCommandFailed(QString uid)
{
    if (takeIfPending(uid))
        commandFailed();
}
