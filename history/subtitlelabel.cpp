#include "subtitlelabel.h"

#include "mlabel.h"

#include <QGraphicsLinearLayout>

SubtitleLabel::SubtitleLabel(QGraphicsItem *parent, MWidgetController *companion)
    : MWidget(parent), m_companion(companion), m_label(new MLabel)
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setStyleName(QStringLiteral("CommonSubTitleInverted"));
    m_label->setTextElide(true);
    auto *layout = new QGraphicsLinearLayout(Qt::Horizontal, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addItem(m_label);
}

QString SubtitleLabel::text() const
{
    return m_label->text();
}

void SubtitleLabel::setText(const QString &text)
{
    m_label->setText(text);
    updateGeometry();
}

QSizeF SubtitleLabel::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (!m_label->text().isEmpty()) {
        if (m_companion)
            m_companion->setStyleName(QStringLiteral("CommonTitleInverted"));
        return MWidget::sizeHint(which, constraint);
    }
    if (m_companion)
        m_companion->setStyleName(QStringLiteral("CommonSingleTitleInverted"));
    return QSizeF(0, 0);
}
