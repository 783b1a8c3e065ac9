#pragma once

#include "mwidgetcontroller.h"

#include <QPixmap>

// An icon from the theme by icon id (tinted with the style's colour unless tinting is off), or a
// given pixmap. Its size is the style's icon size unless set.
class MImageWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit MImageWidget(QGraphicsItem *parent = nullptr);
    explicit MImageWidget(const QString &iconId, QGraphicsItem *parent = nullptr);

    QString image() const { return m_iconId; }
    void setImage(const QString &iconId);
    void setPixmap(const QPixmap &pixmap);
    void setImageSize(const QSizeF &size);
    void setTinted(bool tinted);
    void setTint(const QColor &color);

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;

private:
    QSizeF imageSize() const;

    QString m_iconId;
    QPixmap m_pixmap;
    QSizeF m_size;
    bool m_tinted = true;
    QColor m_tint;
};
