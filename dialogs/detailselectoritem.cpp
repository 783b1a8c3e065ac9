#include "detailselectoritem.h"

#include "callhistoryaccountsmanager.h"
#include "displaytext.h"
#include "mimagewidget.h"
#include "mlabel.h"

#include <QEvent>
#include <QGraphicsGridLayout>
#include <QGraphicsLinearLayout>

DetailSelectorItem::DetailSelectorItem(QGraphicsItem *parent)
    : MListItem(parent), m_icon(new MImageWidget), m_typeLabel(new MLabel),
      m_addressLabel(new MLabel), m_presenceIcon(new MImageWidget)
{
    setStyleName(QStringLiteral("CommonPanelInverted"));
    auto *grid = new QGraphicsGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    m_icon->setStyleName(QStringLiteral("DetailSelectorIcon"));
    grid->addItem(m_icon, 0, 0, 2, 1, Qt::AlignCenter);

    auto *firstLine = new QGraphicsLinearLayout(Qt::Horizontal);
    firstLine->setContentsMargins(0, 0, 0, 0);
    firstLine->setSpacing(0);
    m_typeLabel->setTextElide(true);
    m_typeLabel->setTextFormat(Qt::PlainText);
    m_typeLabel->setStyleName(QStringLiteral("CommonSubTitleTopInverted"));
    m_typeLabel->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    firstLine->addItem(m_typeLabel);
    m_presenceIcon->setStyleName(QStringLiteral("ZeroSizeWidget"));
    // Fixed, so that the dot follows the text instead of the middle of the free space.
    m_presenceIcon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    firstLine->addItem(m_presenceIcon);
    firstLine->setAlignment(m_presenceIcon, Qt::AlignVCenter);
    firstLine->addStretch();
    grid->addItem(firstLine, 0, 1);

    m_addressLabel->setTextFormat(Qt::PlainText);
    m_addressLabel->setTextElide(true);
    m_addressLabel->setStyleName(QStringLiteral("CommonTitleBottomInverted"));
    grid->addItem(m_addressLabel, 1, 1);
    grid->setColumnStretchFactor(1, 1);
    setLayout(grid);
}

void DetailSelectorItem::setAccountsManager(CallHistoryAccountsManager *accounts)
{
    m_accounts = accounts;
}

void DetailSelectorItem::setEntry(const DetailEntry &entry)
{
    m_icon->setImage(entry.image);

    QString type = entry.type;
    if (entry.showCredits && m_accounts) {
        const QString credits = m_accounts->accountCredits(entry.accountPath);
        if (!credits.isEmpty())
            type = argWithLengthVariants(QStringLiteral("%1 (%2)"), type, credits);
    }
    m_typeLabel->setText(type);
    m_addressLabel->setText(entry.isPhone ? numberForDisplay(entry.displayName)
                                          : entry.displayName);

    if (!entry.presenceState.isEmpty()) {
        m_presenceIcon->setImage(entry.presenceState);
        m_presenceIcon->setStyleName(QStringLiteral("CallHistoryPresenceIcon"));
    } else {
        m_presenceIcon->setStyleName(QStringLiteral("ZeroSizeWidget"));
    }
    m_entry = entry;
    m_hasEntry = true;
}

void DetailSelectorItem::changeEvent(QEvent *event)
{
    // Digits follow the language: a phone number is drawn again in the new locale's digits.
    if ((event->type() == QEvent::LanguageChange || event->type() == QEvent::LocaleChange) &&
        m_hasEntry && m_entry.isPhone)
        setEntry(m_entry);
    MListItem::changeEvent(event);
}
