#pragma once

#include "mstylablewidget.h"

#include <QTimer>

class MButton;
class MTextEdit;
class QGraphicsGridLayout;

// The search field above the call list: the list's filter editor with a search button, which
// turns into a clear button while there is text. An empty field asks to be hidden
// (hideRequest()) 5 seconds after it was shown or lost the focus, unless the user is typing in
// it; a field with text never hides by itself. Return closes the keyboard.
class SearchTextEdit : public MStylableWidget
{
    Q_OBJECT
public:
    SearchTextEdit(MTextEdit *editor, QGraphicsItem *parent = nullptr);

    MTextEdit *editor() const { return m_editor; }
    MButton *searchButton() const { return m_search; }
    MButton *clearButton() const { return m_clear; }
    bool isHideTimerActive() const { return m_hideTimer.isActive(); }
    void setSearchVisible(bool visible);
    void clearText();

Q_SIGNALS:
    void hideRequest();

private Q_SLOTS:
    void onGainedFocus();
    void onLostFocus();
    void onTextChanged();
    void onClearClicked();
    void onReturnPressed();

protected:
    void retranslateUi() override;

private:
    void swapButton(MButton *in, MButton *out);

    MTextEdit *m_editor;
    MButton *m_search;
    MButton *m_clear;
    QGraphicsGridLayout *m_layout;
    QTimer m_hideTimer;
};
