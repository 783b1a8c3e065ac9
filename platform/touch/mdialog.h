#pragma once

#include "mscenewindow.h"

class MButton;
class MDialogButtonRow;
class MLabel;
class QGraphicsLinearLayout;

// A pop-up card over the dimmed page: an optional title, a central widget and a row of buttons
// (MDialogButtonRow: equal widths side by side, stacked when a text would not fit).
// accept(), reject() and done() report the result through accepted()/rejected() and
// finished(int), then dismiss the dialog. A tap outside the card rejects it.
class MDialog : public MSceneWindow
{
    Q_OBJECT
public:
    enum DialogCode { Rejected = 0, Accepted = 1 };
    enum StandardButton {
        NoStandardButton = 0,
        Ok = 0x00000400,
        Yes = 0x00004000,
        No = 0x00010000,
        Cancel = 0x00400000
    };

    explicit MDialog(QGraphicsItem *parent = nullptr);
    MDialog(const QString &title, QGraphicsItem *parent = nullptr);

    WindowType windowType() const override { return Dialog; }
    QString title() const;
    void setTitle(const QString &title);
    // How the title text is read: plain text, rich text (markup the caller built with every
    // outside piece escaped), or guessed from the text (the default).
    Qt::TextFormat titleFormat() const;
    void setTitleFormat(Qt::TextFormat format);
    QGraphicsWidget *centralWidget();
    void setCentralWidget(QGraphicsWidget *widget);
    // Adds a button to the button row; a standard one accepts (Ok, Yes) or rejects (No, Cancel).
    MButton *addButton(const QString &text);
    MButton *addButton(StandardButton which);
    MButton *button(StandardButton which) const;
    QList<MButton *> buttons() const { return m_buttons; }
    MButton *clickedButton() const { return m_clicked; }
    int result() const { return m_result; }

public Q_SLOTS:
    void accept();
    void reject();
    virtual void done(int result);

Q_SIGNALS:
    void accepted();
    void rejected();
    void finished(int result);

protected:
    bool dismissRequested() override;

private:
    bool hasTitleRow() const;
    void onButtonClicked(MButton *button);

    QGraphicsLinearLayout *m_layout;
    MDialogButtonRow *m_buttonRow = nullptr;
    MLabel *m_title;
    QGraphicsWidget *m_central = nullptr;
    QList<MButton *> m_buttons;
    QHash<MButton *, StandardButton> m_standard;
    MButton *m_clicked = nullptr;
    int m_result = Rejected;
    bool m_done = false;
};
