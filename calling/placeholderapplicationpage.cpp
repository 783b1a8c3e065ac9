#include "placeholderapplicationpage.h"

#include "mlabel.h"

#include <QGraphicsLinearLayout>

PlaceholderApplicationPage::PlaceholderApplicationPage(const QString &title, QGraphicsItem *parent)
    : MApplicationPage(parent), m_header(new MLabel(title)), m_body(new MLabel)
{
    setTitle(title);
    setPannable(false);
    m_header->setStyleName(QStringLiteral("CommonHeaderPanel"));
    m_body->setStyleName(QStringLiteral("CommonEmptyStateTitle"));
    m_body->setWordWrap(true);
    m_body->setAlignment(Qt::AlignCenter);
    m_body->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical, centralWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addItem(m_header);
    layout->addItem(m_body);
}

void PlaceholderApplicationPage::setText(const QString &text)
{
    m_body->setText(text);
}

QString PlaceholderApplicationPage::text() const
{
    return m_body->text();
}
