#include "mdialogbuttonrow.h"

#include "mbutton.h"

#include <QWidget>

namespace {
// Room around and between the buttons.
const QMarginsF Margins(16, 12, 16, 16);
const qreal Spacing = 12;
} // namespace

MDialogButtonRow::MDialogButtonRow(QGraphicsItem *parent) : QGraphicsWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void MDialogButtonRow::addButton(MButton *button)
{
    button->setParentItem(this);
    m_buttons.append(button);
    updateGeometry();
}

qreal MDialogButtonRow::buttonHeight() const
{
    qreal height = 0;
    for (MButton *b : m_buttons)
        height = qMax(height, b->effectiveSizeHint(Qt::PreferredSize).height());
    return height;
}

bool MDialogButtonRow::stacksAt(qreal width) const
{
    const int n = m_buttons.size();
    if (n < 2)
        return false;
    const qreal share = (width - Margins.left() - Margins.right() - Spacing * (n - 1)) / n;
    for (MButton *b : m_buttons) {
        if (b->effectiveSizeHint(Qt::PreferredSize).width() > share)
            return true;
    }
    return false;
}

QSizeF MDialogButtonRow::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MaximumSize)
        return QSizeF(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (m_buttons.isEmpty())
        return QSizeF(0, 0);
    qreal widest = 0, sideBySide = Spacing * (m_buttons.size() - 1);
    for (MButton *b : m_buttons) {
        const qreal w = b->effectiveSizeHint(Qt::PreferredSize).width();
        widest = qMax(widest, w);
        sideBySide += w;
    }
    const qreal margins = Margins.left() + Margins.right();
    qreal width = constraint.width() > 0     ? constraint.width()
                  : which == Qt::MinimumSize ? widest + margins
                                             : sideBySide + margins;
    const int rows = stacksAt(width) ? m_buttons.size() : 1;
    const qreal height =
        Margins.top() + Margins.bottom() + rows * buttonHeight() + (rows - 1) * Spacing;
    return QSizeF(width, height);
}

void MDialogButtonRow::setGeometry(const QRectF &rect)
{
    const bool stackedBefore = stacksAt(size().width());
    QGraphicsWidget::setGeometry(rect);
    const int n = m_buttons.size();
    if (n == 0)
        return;
    const QRectF inner = QRectF(QPointF(0, 0), size()).marginsRemoved(Margins);
    const qreal height = buttonHeight();
    const bool stacked = stacksAt(size().width());
    const qreal share = stacked ? inner.width() : (inner.width() - Spacing * (n - 1)) / n;
    for (int i = 0; i < n; ++i) {
        QRectF r(inner.left() + (stacked ? 0 : i * (share + Spacing)),
                 inner.top() + (stacked ? i * (height + Spacing) : 0), share, height);
        // Leading to trailing: the first button at the right, right to left.
        if (layoutDirection() == Qt::RightToLeft)
            r.moveLeft(size().width() - r.right());
        m_buttons.at(i)->setGeometry(r);
    }
    // A row that turned to stacked (or back) needs another height than it was given.
    if (stacked != stackedBefore && size().height() != sizeHint(Qt::PreferredSize, size()).height())
        updateGeometry();
}
