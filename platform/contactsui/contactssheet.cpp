#include "contactssheet.h"

#include "mbutton.h"
#include "mlabel.h"
#include "mstylablewidget.h"

#include <QGraphicsLinearLayout>

ContactsSheet::ContactsSheet(const QString &title, QGraphicsItem *parent)
    : MSceneWindow(parent), m_title(new MLabel), m_cancel(new MButton(qtTrId("qtn_comm_cancel")))
{
    setStyleName(QStringLiteral("ContactsSheet"));
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *header = new MStylableWidget;
    header->setStyleName(QStringLiteral("ContactsSheetHeader"));
    m_header = new QGraphicsLinearLayout(Qt::Horizontal, header);
    m_header->setContentsMargins(12, 0, 12, 0);
    m_header->setSpacing(12);
    m_cancel->setStyleName(QStringLiteral("ContactsSheetButton"));
    m_title->setStyleName(QStringLiteral("ContactsSheetTitle"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setText(title);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_header->addItem(m_cancel);
    m_header->addItem(m_title);
    m_header->setAlignment(m_cancel, Qt::AlignVCenter);
    // Room on the other side as wide as the button, until an accept button takes it.
    m_balance = new QGraphicsWidget;
    m_balance->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_header->addItem(m_balance);
    balanceHeader();
    layout->addItem(header);

    m_body = new QGraphicsLinearLayout(Qt::Vertical);
    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(0);
    layout->addItem(m_body);
    layout->setStretchFactor(m_body, 1);

    connect(
        m_cancel, &MButton::clicked, this, [this]() { dismiss(); }, Qt::QueuedConnection);
}

void ContactsSheet::balanceHeader()
{
    // Both sides as wide as the wider: the title stands in the middle of the header.
    m_cancel->setMinimumWidth(0);
    qreal side = m_cancel->effectiveSizeHint(Qt::PreferredSize).width();
    if (m_accept) {
        m_accept->setMinimumWidth(0);
        side = qMax(side, m_accept->effectiveSizeHint(Qt::PreferredSize).width());
        m_accept->setMinimumWidth(side);
    } else {
        m_balance->setMinimumSize(side, 0);
        m_balance->setPreferredSize(side, 0);
        m_balance->setMaximumSize(side, 0);
    }
    m_cancel->setMinimumWidth(side);
}

void ContactsSheet::retranslateUi()
{
    MSceneWindow::retranslateUi();
    // Button texts of another language are of another width.
    balanceHeader();
}

QString ContactsSheet::title() const
{
    return m_title->text();
}

MButton *ContactsSheet::acceptButton(const QString &text)
{
    if (!m_accept) {
        m_accept = new MButton(text);
        m_accept->setStyleName(QStringLiteral("ContactsSheetAcceptButton"));
        m_header->removeItem(m_balance);
        m_balance->hide();
        m_header->addItem(m_accept);
        m_header->setAlignment(m_accept, Qt::AlignVCenter);
        balanceHeader();
    }
    return m_accept;
}
