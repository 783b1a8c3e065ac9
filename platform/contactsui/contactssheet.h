#pragma once

#include "mscenewindow.h"

class MButton;
class MLabel;
class QGraphicsLinearLayout;

// A full-page sheet of the contacts user interface: a header with a title between a cancel (or
// close) button on the left and an optional accept button on the right (as wide as each other,
// an empty room of that width without accept button: the title stays in the middle), and a
// body below.
// Subclasses fill bodyLayout(). Shown over the page; a tap on the cancel button dismisses it.
class ContactsSheet : public MSceneWindow
{
    Q_OBJECT
public:
    explicit ContactsSheet(const QString &title, QGraphicsItem *parent = nullptr);

    WindowType windowType() const override { return Sheet; }
    QString title() const;
    MLabel *titleLabel() const { return m_title; }
    MButton *cancelButton() const { return m_cancel; }
    // The accept button, made on first use with `text`.
    MButton *acceptButton(const QString &text = QString());

protected:
    QGraphicsLinearLayout *bodyLayout() const { return m_body; }
    void retranslateUi() override;
    // Makes both sides of the header as wide, after a button's text changed.
    void balanceHeader();

private:
    MLabel *m_title;
    MButton *m_cancel;
    MButton *m_accept = nullptr;
    QGraphicsWidget *m_balance = nullptr;
    QGraphicsLinearLayout *m_header;
    QGraphicsLinearLayout *m_body;
};
