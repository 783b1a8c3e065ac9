#pragma once

#include "mwidgetcontroller.h"

#include <QImage>
#include <QTimer>

namespace Dialer {

// One key of the dialer: either a digit with the letters printed under it ("2" over "ABC", as
// phone keypads show them) or an icon (call, backspace, add to contacts), drawn in its style.
// While the finger is down the key shows its style's "pressed" mode. A release emits tapped();
// a press held for longPressTime() ms emits longPressed() at once instead (only when long
// presses are enabled), and the release that follows taps nothing. A finger that slides off
// the key cancels it.
//
// Each look (plain and pressed) is drawn once into a picture of its own and then copied, so
// that a press, a release or a page switch repaints pictures, not the key's shape and texts.
// Where the key lies on a plain opaque background (the nearest ancestor that draws one, with
// only containers known to draw nothing in between), the picture is drawn on that colour and
// copied as an opaque block, which costs a fraction of blending a picture with see-through
// corners; elsewhere the picture keeps see-through corners.
class DialerKey : public MWidgetController
{
    Q_OBJECT
public:
    explicit DialerKey(QGraphicsItem *parent = nullptr);

    static int longPressTime() { return 600; }

    QString text() const { return m_text; }
    void setText(const QString &text);
    // The small line under the text ("ABC"); its look is the style "<style>Letters".
    QString letters() const { return m_letters; }
    void setLetters(const QString &letters);
    QString iconID() const { return m_iconId; }
    void setIconID(const QString &iconId);
    bool isLongPressEnabled() const { return m_longPressEnabled; }
    void setLongPressEnabled(bool enabled) { m_longPressEnabled = enabled; }
    bool isDown() const { return m_down; }
    // Lets go of a press without a tap (the page went away under the finger).
    void cancelPress();
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
               QWidget *widget = nullptr) override;

Q_SIGNALS:
    void pressed();
    void tapped();
    void longPressed();

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    // The pressed look has the size of the plain one: a repaint, no new layout.
    void applyStyle() override;
    void resizeEvent(QGraphicsSceneResizeEvent *event) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void ungrabMouseEvent(QEvent *event) override;

private:
    void setDown(bool down);
    void onLongPressTimeout();
    void repaintIfChanged();
    // Forgets the drawn looks (text, icon, size or style changed).
    void dropFaces();

    QString m_text;
    QString m_letters;
    QString m_iconId;
    QTimer m_longPress;
    bool m_longPressEnabled = false;
    bool m_down = false;
    bool m_longPressed = false;
    bool m_changingMode = false;
    // The colour the key lies on, or none when it is not plain and opaque.
    QColor backdrop() const;

    QImage m_faces[2];        // plain, pressed
    QColor m_backdrops[2];    // what each face was drawn on
    bool m_shownDown = false; // the look last painted
    bool m_repaintQueued = false;
};

} // namespace Dialer
