#include "mbanner.h"

#include "mlabel.h"

#include <QGraphicsLinearLayout>
#include <QGraphicsSceneMouseEvent>
#include <QTimer>

MBanner::MBanner(QGraphicsItem *parent) : MSceneWindow(parent), m_label(new MLabel)
{
    auto *layout = new QGraphicsLinearLayout(Qt::Vertical);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label->setWordWrap(true);
    layout->addItem(m_label);
    setLayout(layout);
    setAcceptedMouseButtons(Qt::LeftButton);
    connect(this, &MSceneWindow::appeared, this,
            [this]() { QTimer::singleShot(m_timeout, this, [this]() { dismiss(); }); });
}

QString MBanner::title() const
{
    return m_label->text();
}

void MBanner::setTitle(const QString &title)
{
    m_label->setText(title);
}

void MBanner::applyStyle()
{
    // The text takes the banner's look; the banner itself paints the strip.
    m_label->setStyleName(styleName() + QStringLiteral("Text"));
    MSceneWindow::applyStyle();
}

void MBanner::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    event->accept();
}

void MBanner::mouseReleaseEvent(QGraphicsSceneMouseEvent *)
{
    Q_EMIT clicked();
    dismiss();
}
