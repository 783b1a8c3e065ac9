#pragma once

#include "mwidgetcontroller.h"

#include <QTimer>

// A busy spinner (unknown duration: a turning arc) or a progress bar (a known share done).
class MProgressIndicator : public MWidgetController
{
    Q_OBJECT
public:
    static const QString spinnerType;
    static const QString barType;

    explicit MProgressIndicator(QGraphicsItem *parent = nullptr,
                                const QString &viewType = QString());

    QString viewType() const { return m_viewType; }
    void setViewType(const QString &type);
    bool unknownDuration() const { return m_unknown; }
    void setUnknownDuration(bool unknown);
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const { return m_value; }

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    void updateTimer();

    QString m_viewType;
    bool m_unknown = false;
    int m_min = 0, m_max = 100, m_value = 0;
    int m_angle = 0;
    QTimer m_timer;
};
