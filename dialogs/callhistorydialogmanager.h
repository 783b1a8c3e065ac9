#pragma once

#include <QList>
#include <QObject>

class MSceneWindow;

// Knows which pop-ups of the application are open. Callers ask hasDialogs() before opening a
// new one, so that only one shows at a time; a page switch or a return to the prestarted state
// dismisses them all. A pop-up leaves the list when it finishes or disappears, whichever comes
// first. Pop-ups are not owned: each is deleted by the framework when it is done.
class CallHistoryDialogManager : public QObject
{
    Q_OBJECT
public:
    static CallHistoryDialogManager *instance();

    void addDialog(MSceneWindow *dialog);
    bool hasDialogs() const { return !m_dialogs.isEmpty(); }
    void dismissAll();
    QList<MSceneWindow *> dialogs() const { return m_dialogs; }

private Q_SLOTS:
    void removeDialog();

private:
    explicit CallHistoryDialogManager(QObject *parent = nullptr);

    QList<MSceneWindow *> m_dialogs;
};
