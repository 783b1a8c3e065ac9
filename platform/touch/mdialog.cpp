#include "mdialog.h"

#include "mbutton.h"
#include "mdialogbuttonrow.h"
#include "mlabel.h"

#include <QCoreApplication>
#include <QGraphicsLinearLayout>

MDialog::MDialog(QGraphicsItem *parent)
    : MSceneWindow(parent), m_layout(new QGraphicsLinearLayout(Qt::Vertical)),
      m_title(new MLabel(this))
{
    setStyleName(QStringLiteral("MDialog"));
    setFlag(QGraphicsItem::ItemIsFocusable);
    // Taps on the card must not fall through to the veil, which would close it.
    setAcceptedMouseButtons(Qt::LeftButton);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_title->setStyleName(QStringLiteral("MDialogTitle"));
    m_title->setWordWrap(true);
    // The title takes a row of the layout only while it has a text.
    m_title->hide();
    setLayout(m_layout);
}

MDialog::MDialog(const QString &title, QGraphicsItem *parent) : MDialog(parent)
{
    setTitle(title);
}

QString MDialog::title() const
{
    return m_title->text();
}

bool MDialog::hasTitleRow() const
{
    for (int i = 0; i < m_layout->count(); ++i) {
        if (m_layout->itemAt(i) == m_title)
            return true;
    }
    return false;
}

void MDialog::setTitle(const QString &title)
{
    m_title->setText(title);
    // Whether the title has its row is read from the layout, not from the label's visibility,
    // which is false for every child while the dialog itself is not shown.
    const bool shown = !title.isEmpty();
    m_title->setVisible(shown);
    if (shown && !hasTitleRow())
        m_layout->insertItem(0, m_title);
    else if (!shown && hasTitleRow())
        m_layout->removeItem(m_title);
}

Qt::TextFormat MDialog::titleFormat() const
{
    return m_title->textFormat();
}

void MDialog::setTitleFormat(Qt::TextFormat format)
{
    m_title->setTextFormat(format);
}

QGraphicsWidget *MDialog::centralWidget()
{
    if (!m_central)
        setCentralWidget(new QGraphicsWidget);
    return m_central;
}

void MDialog::setCentralWidget(QGraphicsWidget *widget)
{
    if (m_central == widget)
        return;
    if (m_central) {
        m_layout->removeItem(m_central);
        delete m_central;
    }
    m_central = widget;
    if (widget) {
        const int at = hasTitleRow() ? 1 : 0;
        m_layout->insertItem(at, widget);
    }
}

MButton *MDialog::addButton(const QString &text)
{
    if (!m_buttonRow) {
        m_buttonRow = new MDialogButtonRow;
        m_layout->addItem(m_buttonRow);
    }
    auto *button = new MButton(text);
    button->setStyleName(QStringLiteral("MDialogButton"));
    m_buttonRow->addButton(button);
    m_buttons.append(button);
    connect(
        button, &MButton::clicked, this, [this, button]() { onButtonClicked(button); },
        Qt::QueuedConnection);
    return button;
}

MButton *MDialog::addButton(StandardButton which)
{
    static const char *const ids[] = {"qtn_comm_popup_ok", "qtn_comm_popup_yes",
                                      "qtn_comm_popup_no", "qtn_comm_cancel"};
    const char *id = which == Ok ? ids[0] : which == Yes ? ids[1] : which == No ? ids[2] : ids[3];
    MButton *b = addButton(qtTrId(id));
    m_standard.insert(b, which);
    return b;
}

MButton *MDialog::button(StandardButton which) const
{
    return m_standard.key(which, nullptr);
}

void MDialog::onButtonClicked(MButton *button)
{
    m_clicked = button;
    const StandardButton which = m_standard.value(button, NoStandardButton);
    if (which == Ok || which == Yes)
        accept();
    else if (which == No || which == Cancel)
        reject();
}

void MDialog::accept()
{
    done(Accepted);
}

void MDialog::reject()
{
    done(Rejected);
}

void MDialog::done(int result)
{
    if (m_done)
        return;
    m_done = true;
    m_result = result;
    if (result == Accepted)
        Q_EMIT accepted();
    else if (result == Rejected)
        Q_EMIT rejected();
    Q_EMIT finished(result);
    dismiss();
}

bool MDialog::dismissRequested()
{
    // A dismiss that did not come from done() (tap outside, page switch) is a rejection.
    if (!m_done) {
        m_done = true;
        m_result = Rejected;
        Q_EMIT rejected();
        Q_EMIT finished(Rejected);
    }
    return true;
}
