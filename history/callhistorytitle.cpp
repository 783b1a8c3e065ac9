#include "callhistorytitle.h"

#include "mimagewidget.h"
#include "mlabel.h"
#include "mprogressindicator.h"

#include <QGraphicsGridLayout>

CallHistoryTitle::CallHistoryTitle(QGraphicsItem *parent)
    : MListItem(parent), m_label(new MLabel), m_arrow(new MImageWidget),
      m_spinner(new MProgressIndicator(nullptr, QString())), m_layout(new QGraphicsGridLayout)
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setStyleName(QStringLiteral("CommonHeaderInverted"));
    m_label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_arrow->setImage(QStringLiteral("icon-m-textinput-combobox-arrow"));
    m_arrow->setStyleName(QStringLiteral("CommonHeaderRightIcon"));
    m_spinner->setStyleName(QStringLiteral("ZeroSizeWidget"));
    m_spinner->hide();
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addItem(m_label, 0, 0);
    m_layout->addItem(m_arrow, 0, 1, Qt::AlignCenter);
    // The text and its arrow stay together at the left; the rest of the header is empty.
    m_layout->setColumnStretchFactor(2, 1);
    setLayout(m_layout);
}

QString CallHistoryTitle::text() const
{
    return m_label->text();
}

void CallHistoryTitle::setText(const QString &text)
{
    m_label->setText(text);
}

bool CallHistoryTitle::isBusy() const
{
    return m_layout->itemAt(0, 1) == m_spinner;
}

void CallHistoryTitle::setBusy(bool busy)
{
    if (busy == isBusy())
        return;
    QGraphicsLayoutItem *old = m_layout->itemAt(0, 1);
    for (int i = 0; i < m_layout->count(); ++i) {
        if (m_layout->itemAt(i) == old) {
            m_layout->removeAt(i);
            break;
        }
    }
    if (busy) {
        m_spinner->setStyleName(QStringLiteral("CommonViewHeaderSpinner"));
        m_spinner->setUnknownDuration(true);
        m_arrow->setStyleName(QStringLiteral("ZeroSizeWidget"));
        m_arrow->hide();
        m_spinner->show();
        m_layout->addItem(m_spinner, 0, 1, Qt::AlignCenter);
    } else {
        m_arrow->setStyleName(QStringLiteral("CommonHeaderRightIcon"));
        m_spinner->setUnknownDuration(false);
        m_spinner->setStyleName(QStringLiteral("ZeroSizeWidget"));
        m_spinner->hide();
        m_arrow->show();
        m_layout->addItem(m_arrow, 0, 1, Qt::AlignCenter);
    }
}
