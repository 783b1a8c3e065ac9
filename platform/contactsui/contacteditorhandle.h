#pragma once

#include <QObject>
#include <QPointer>

class MSceneWindow;

// The handle of a contact editor or merge picker opened by ContactsGui: it holds the sheet while
// it is shown and reports its outcome once: saved() or cancelled(), then finished(). Its owner
// may dismiss the sheet through sceneWindow(); dropping the handle leaves the sheet as it is.
class ContactEditorHandle : public QObject
{
    Q_OBJECT
public:
    explicit ContactEditorHandle(MSceneWindow *sheet);

    MSceneWindow *sceneWindow() const { return m_sheet; }
    bool isFinished() const { return m_finished; }
    // Reports the outcome (the first call counts).
    void finish(bool saved);

Q_SIGNALS:
    void saved();
    void cancelled();
    void finished();

private:
    QPointer<MSceneWindow> m_sheet;
    bool m_finished = false;
};
