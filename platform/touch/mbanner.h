#pragma once

#include "mscenewindow.h"

class MLabel;

// A short notice at the top of the window ("InformationBanner" style): shown over the page,
// gone by itself after a few seconds or when tapped.
class MBanner : public MSceneWindow
{
    Q_OBJECT
public:
    explicit MBanner(QGraphicsItem *parent = nullptr);

    WindowType windowType() const override { return Banner; }
    QString title() const;
    void setTitle(const QString &title);
    // How long the banner stays, in milliseconds.
    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }

Q_SIGNALS:
    void clicked();

protected:
    void applyStyle() override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    MLabel *m_label;
    int m_timeout = 3000;
};
