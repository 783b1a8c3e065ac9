#pragma once

#include <QGraphicsView>

class MDirectPressRouter;
class MSceneManager;

// A top-level window of the touch layer: a graphics view whose scene always matches the
// window's size, with a scene manager that shows pages, dialogs and banners in it.
// Portrait, 480 x 854 by default; the orientation settings are kept for callers that lock it.
class MWindow : public QGraphicsView
{
    Q_OBJECT
public:
    explicit MWindow(QWidget *parent = nullptr);
    ~MWindow() override;

    MSceneManager *sceneManager() const { return m_sceneManager; }
    MDirectPressRouter *pressRouter() const { return m_pressRouter; }
    QSizeF sceneSize() const;
    // Where pages are shown: the whole window less its chrome (a toolbar, in subclasses).
    virtual QRectF pageArea() const;
    bool isOnDisplay() const { return m_onDisplay; }
    // Sends a language change to every widget of the scene.
    void retranslate();
    // Gives the scene's widgets the application's layout direction again.
    void followLayoutDirection();

    int orientationAngle() const { return m_angle; }
    void setOrientationAngle(int angle) { m_angle = angle; }
    bool isOrientationLocked() const { return m_orientationLocked; }
    void setOrientationLocked(bool locked) { m_orientationLocked = locked; }
    bool isOrientationAngleLocked() const { return m_angleLocked; }
    void setOrientationAngleLocked(bool locked) { m_angleLocked = locked; }

Q_SIGNALS:
    void displayEntered();
    void displayExited();
    void switcherEntered();
    void switcherExited();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    // Presses on a page's direct press targets skip the scene's search (MDirectPressRouter).
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Lays out the window's own chrome after a resize.
    virtual void layoutChrome();
    void setOnDisplay(bool onDisplay);

private:
    MSceneManager *m_sceneManager;
    MDirectPressRouter *m_pressRouter;
    int m_angle = 0;
    bool m_orientationLocked = false;
    bool m_angleLocked = false;
    bool m_onDisplay = false;
};
