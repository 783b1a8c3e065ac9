#pragma once

#include "mwidgetcontroller.h"

class MWindow;
class MSceneManager;

// Anything a window shows as a whole: an application page, a dialog, a banner. The window's
// scene manager makes it appear and disappear; its deletion policy decides whether it is
// deleted when done (after it has disappeared) or kept for showing again. It is no focus scope:
// a tap gives the keyboard focus straight to the field tapped, whichever window holds it.
class MSceneWindow : public MWidgetController
{
    Q_OBJECT
public:
    enum DeletionPolicy { KeepWhenDone = 0, DestroyWhenDone = 1, DestroyWhenDismissed = 2 };
    enum WindowType { ApplicationPage, Dialog, Sheet, Banner, PlainSceneWindow };
    enum SceneWindowState { Disappeared, Appearing, Appeared, Disappearing };

    explicit MSceneWindow(QGraphicsItem *parent = nullptr);
    ~MSceneWindow() override;

    virtual WindowType windowType() const { return PlainSceneWindow; }
    DeletionPolicy deletionPolicy() const { return m_policy; }
    void setDeletionPolicy(DeletionPolicy policy) { m_policy = policy; }
    SceneWindowState sceneWindowState() const { return m_state; }
    // The manager that shows this window, null while it is not in a window.
    MSceneManager *sceneManager() const;

public Q_SLOTS:
    // Shows the window in `window` (the active application window when null).
    void appear(MWindow *window, MSceneWindow::DeletionPolicy policy = KeepWhenDone);
    void appear(MSceneWindow::DeletionPolicy policy = KeepWhenDone);
    // Hides the window; deletes it if its policy is DestroyWhenDone.
    void disappear();
    // Closes the window as the user would (back, tap outside); deletes it unless KeepWhenDone.
    bool dismiss();

Q_SIGNALS:
    void appearing();
    void appeared();
    void disappearing();
    void disappeared();
    void dismissed();

protected:
    // A shown window whose content changed size is laid out again by its manager.
    void updateGeometry() override;

    // Called on a dismiss request; return false to refuse it.
    virtual bool dismissRequested() { return true; }
    void retranslateUi() override;

private:
    friend class MSceneManager;
    void setSceneWindowState(SceneWindowState state);

    DeletionPolicy m_policy = KeepWhenDone;
    SceneWindowState m_state = Disappeared;
    bool m_relayoutQueued = false;
    int m_language; // the language generation its texts were set in
    MSceneManager *m_manager = nullptr;
};
