#pragma once

#include "mpannablewidget.h"

#include <QPointer>

// A pannable window onto one widget taller than the viewport. The widget gets the viewport's
// width and its own preferred height for that width.
class MPannableViewport : public MPannableWidget
{
    Q_OBJECT
public:
    explicit MPannableViewport(QGraphicsItem *parent = nullptr);
    // Deletes the items inside while the viewport is still whole: lists inside follow their
    // viewport and must never reach it half destroyed.
    ~MPannableViewport() override;

    QGraphicsWidget *widget() const { return m_widget; }
    void setWidget(QGraphicsWidget *widget);
    QSizeF panRange() const override;
    // Lays the widget out again after its content changed size.
    void updateWidgetGeometry();

Q_SIGNALS:
    void viewportSizeChanged(const QSizeF &size);

protected:
    void updatePosition(const QPointF &position) override;
    bool contentFits() const override;
    void resizeEvent(QGraphicsSceneResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QGraphicsWidget> m_widget;
};
