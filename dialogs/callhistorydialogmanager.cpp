#include "callhistorydialogmanager.h"

#include "mdialog.h"
#include "mscenewindow.h"

#include <QPointer>

namespace {
QPointer<CallHistoryDialogManager> s_instance;
}

CallHistoryDialogManager *CallHistoryDialogManager::instance()
{
    if (!s_instance)
        s_instance = new CallHistoryDialogManager;
    return s_instance;
}

CallHistoryDialogManager::CallHistoryDialogManager(QObject *parent) : QObject(parent) {}

void CallHistoryDialogManager::addDialog(MSceneWindow *dialog)
{
    if (!dialog)
        return;
    m_dialogs.append(dialog);
    if (qobject_cast<MDialog *>(dialog))
        connect(dialog, SIGNAL(finished(int)), this, SLOT(removeDialog()));
    connect(dialog, SIGNAL(disappeared()), this, SLOT(removeDialog()));
    // A pop-up deleted without disappearing (its owner went away) must not stay listed.
    connect(dialog, &QObject::destroyed, this, [this, dialog]() { m_dialogs.removeAll(dialog); });
}

void CallHistoryDialogManager::dismissAll()
{
    const QList<MSceneWindow *> copy = m_dialogs;
    for (MSceneWindow *dialog : copy) {
        if (m_dialogs.contains(dialog))
            dialog->dismiss();
    }
}

void CallHistoryDialogManager::removeDialog()
{
    auto *dialog = qobject_cast<MSceneWindow *>(sender());
    if (dialog)
        m_dialogs.removeAll(dialog);
}
