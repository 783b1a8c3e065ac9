#pragma once

#include <QGraphicsWidget>
#include <QList>

class MButton;

// The buttons at the foot of a dialog. Side by side, each gets an equal share of the row, as
// long as every text fits its share; else they stand one above the other, each as wide as the
// row, so that no text is cut. Side by side the first button is at the leading edge (the right
// one right to left). The row reports its height for the width it is given (height for width),
// so the dialog is measured with the arrangement it will show.
class MDialogButtonRow : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit MDialogButtonRow(QGraphicsItem *parent = nullptr);

    void addButton(MButton *button);
    QList<MButton *> buttons() const { return m_buttons; }
    // Whether buttons of these texts stand one above the other in a row this wide.
    bool stacksAt(qreal width) const;

    void setGeometry(const QRectF &rect) override;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;

private:
    qreal buttonHeight() const;

    QList<MButton *> m_buttons;
};
