#pragma once

#include "mwidgetcontroller.h"

#include <QHash>
#include <QPixmap>

namespace Dialer {

// The pill under the number that names the account a call goes out on: the account's logo,
// its name and, for accounts with a balance, the credits, on the account's own background
// colour when it has one. A drop-down arrow shows when there is another account to choose;
// a tap then emits clicked(). All texts are drawn as plain text.
class DialerAccountButton : public MWidgetController
{
    Q_OBJECT
public:
    static const int MaxDecodedLogos = 8;

    explicit DialerAccountButton(QGraphicsItem *parent = nullptr);

    // `logo` is an icon id of the theme or the path of an image file; empty for none. A file is
    // read and scaled once per path and size and kept (the last MaxDecodedLogos of them): a file
    // that changes under the same path shows as it was first read.
    void setAccount(const QString &name, const QString &credits, const QString &logo,
                    const QString &backgroundColor, bool hasChoice);
    void setCredits(const QString &credits);
    QString name() const { return m_name; }
    QString credits() const { return m_credits; }
    QString logo() const { return m_logo; }
    QColor backgroundColor() const { return m_background; }
    bool hasChoice() const { return m_hasChoice; }

Q_SIGNALS:
    void clicked();

protected:
    void drawBackground(QPainter *painter, const QStyleOptionGraphicsItem *option) const override;
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    QPixmap logoPixmap() const;
    // The widths of the parts drawn: logo, name, credits and arrow, with their gaps.
    qreal contentWidth() const;

    // Logo files as read and scaled, by size and path (a null pixmap for a file that could not
    // be read, so that it is not tried again on every paint).
    mutable QHash<QString, QPixmap> m_decodedLogos;
    QString m_name;
    QString m_credits;
    QString m_logo;
    QColor m_background;
    bool m_hasChoice = false;
};

} // namespace Dialer
