#pragma once

#include "mscenewindow.h"

#include <QList>
#include <QPointer>

class MPannableViewport;
class QGraphicsLinearLayout;

// A full page of an application window: a title, and a central widget inside a pannable
// viewport. Its content is made by createContent() the first time it is about to appear.
// displayEntered()/displayExited() follow whether the page is really on the screen (shown,
// and its window visible).
class MApplicationPage : public MSceneWindow
{
    Q_OBJECT
public:
    explicit MApplicationPage(QGraphicsItem *parent = nullptr);

    WindowType windowType() const override { return ApplicationPage; }
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    // The page's content container (made on first use).
    QGraphicsWidget *centralWidget();
    void setCentralWidget(QGraphicsWidget *widget);
    MPannableViewport *pannableViewport() const { return m_viewport; }
    bool isPannable() const;
    void setPannable(bool pannable);
    bool isContentCreated() const { return m_contentCreated; }
    bool isOnDisplay() const { return m_onDisplay; }
    // Widgets of this page a press may reach straight, without the scene's search of the items
    // under the finger (the keys of a keypad; see MDirectPressRouter). Each takes every left
    // press it is given, is hit only within its rectangle, and has nothing of the page over or
    // under it but its ancestors.
    void addDirectPressTarget(QGraphicsWidget *target);
    // The direct press target under `scenePos`, or none.
    QGraphicsWidget *directPressTargetAt(const QPointF &scenePos) const;

Q_SIGNALS:
    void displayEntered();
    void displayExited();
    // The language changed: whoever set the page's texts sets them again.
    void languageChanged();

protected:
    // Builds the page's content; called once, before the page first appears.
    virtual void createContent();
    void retranslateUi() override;

private:
    friend class MSceneManager;
    void setOnDisplay(bool onDisplay);
    void ensureContent();

    QString m_title;
    QGraphicsLinearLayout *m_layout;
    MPannableViewport *m_viewport;
    QGraphicsWidget *m_central = nullptr;
    QList<QPointer<QGraphicsWidget>> m_directPressTargets;
    bool m_contentCreated = false;
    bool m_onDisplay = false;
};
