#pragma once

#include "mwidgetcontroller.h"

class MTextEditLine;

// A one-line text field in its style's look, with a prompt shown while it is empty. Return
// emits returnPressed() instead of starting a new line; focus changes are reported with their
// reason. The text is plain text and never holds a line break. Text longer than the field is
// clipped to it and scrolls sideways to keep the cursor in view; text that fits starts at the
// leading edge of the layout direction.
class MTextEdit : public MWidgetController
{
    Q_OBJECT
public:
    explicit MTextEdit(QGraphicsItem *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    QString prompt() const { return m_prompt; }
    void setPrompt(const QString &prompt);
    // Longest text kept; longer input is cut.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    bool hasEditorFocus() const;

Q_SIGNALS:
    void textChanged();
    void returnPressed();
    void gainedFocus(Qt::FocusReason reason);
    void lostFocus(Qt::FocusReason reason);

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    void applyStyle() override;
    void resizeEvent(QGraphicsSceneResizeEvent *event) override;
    bool sceneEventFilter(QGraphicsItem *watched, QEvent *event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;
    void changeEvent(QEvent *event) override;

private:
    void onContentsChanged();
    void placeText();

    QGraphicsWidget *m_clip;
    MTextEditLine *m_edit;
    qreal m_scroll = 0;
    QString m_prompt;
    QString m_lastText;
    int m_maxLength = 512;
    bool m_installed = false;
};
