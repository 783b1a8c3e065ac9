#pragma once

#include "mwidget.h"

class MButton;
class MLabel;

// A round button of the call screen with its caption under it ("Answer", "Mute"): the button
// named by its style and icon id, the caption in "CallScreenCaption". A checkable one (mute,
// speaker, keypad) shows its checked state in its style's checked colours; its state is set by
// the screen from what it knows (the audio daemon's report), a tap only asks for a change.
class CallScreenButton : public MWidget
{
    Q_OBJECT
public:
    CallScreenButton(const QString &styleName, const QString &iconId,
                     QGraphicsItem *parent = nullptr);

    MButton *button() const { return m_button; }
    QString caption() const;
    void setCaption(const QString &caption);
    bool isChecked() const;
    void setChecked(bool checked);
    // A checkable button does not change its look on a tap: tapped() says what was asked.
    void setCheckable(bool checkable);

Q_SIGNALS:
    // For a checkable button, `checked` is the state asked for (the opposite of the shown one).
    void tapped(bool checked);

private:
    MButton *m_button;
    MLabel *m_caption;
};
