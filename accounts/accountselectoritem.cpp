#include "accountselectoritem.h"

#include "mimagewidget.h"
#include "mlabel.h"
#include "subtitlelabel.h"

#include <QGraphicsGridLayout>

AccountSelectorItem::AccountSelectorItem(QGraphicsItem *parent)
    : MListItem(parent), m_icon(new MImageWidget), m_title(new MLabel),
      m_mark(new MImageWidget(QStringLiteral("icon-m-common-checkmark")))
{
    setStyleName(QStringLiteral("CommonPanelInverted"));
    m_icon->setStyleName(QStringLiteral("CommonMainIcon"));
    m_title->setStyleName(QStringLiteral("CommonTitleInverted"));
    m_title->setTextElide(true);
    m_title->setTextFormat(Qt::PlainText);
    m_subtitle = new SubtitleLabel(nullptr, m_title);
    m_mark->setStyleName(QStringLiteral("AccountSelectorCurrentMark"));
    m_mark->setVisible(false);

    auto *grid = new QGraphicsGridLayout(this);
    const MStyle &s = style();
    grid->setContentsMargins(s.padding.left(), s.padding.top(), s.padding.right(),
                             s.padding.bottom());
    grid->setSpacing(0);
    // Room between the icon and the texts, on the side the texts are in either direction.
    grid->setColumnSpacing(0, s.spacing * 2);
    grid->addItem(m_icon, 0, 0, 2, 1, Qt::AlignCenter);
    grid->addItem(m_title, 0, 1, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addItem(m_subtitle, 1, 1, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addItem(m_mark, 0, 2, 2, 1, Qt::AlignCenter);
    grid->setColumnStretchFactor(1, 1);
}

bool AccountSelectorItem::isCurrent() const
{
    return m_mark->isVisible();
}

void AccountSelectorItem::setCurrent(bool current)
{
    m_mark->setVisible(current);
}
