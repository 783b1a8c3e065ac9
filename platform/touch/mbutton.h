#pragma once

#include "mwidgetcontroller.h"

// A tappable button with a text and/or an icon id, drawn in its style (pill, circle, tab...).
// A press highlights it; a release inside emits clicked(). A checkable button toggles on each
// click and draws its checked state in the style's accent colour. A tap on a button with a focus
// proxy puts the keyboard focus in the proxy.
class MButton : public MWidgetController
{
    Q_OBJECT
public:
    explicit MButton(QGraphicsItem *parent = nullptr);
    explicit MButton(const QString &text, QGraphicsItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QString iconID() const { return m_iconId; }
    void setIconID(const QString &iconId);
    bool isCheckable() const { return m_checkable; }
    void setCheckable(bool checkable);
    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);
    bool isDown() const { return m_down; }
    // Simulates a tap: press and release (used by keyboard activation and tests).
    void click();

Q_SIGNALS:
    void pressed();
    void released();
    void clicked(bool checked = false);
    void toggled(bool checked);

protected:
    void drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const override;
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void ungrabMouseEvent(QEvent *event) override;

private:
    QString m_text;
    QString m_iconId;
    bool m_checkable = false;
    bool m_checked = false;
    bool m_down = false;
};
