#include "windowrehearsal.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>

WindowRehearsal::WindowRehearsal(QGraphicsView *window, const std::function<bool()> &ready,
                                 QObject *parent)
    : QObject(parent), m_window(window), m_ready(ready)
{
}

void WindowRehearsal::request()
{
    if (m_done || m_requested)
        return;
    m_requested = true;
    QMetaObject::invokeMethod(this, &WindowRehearsal::rehearse, Qt::QueuedConnection);
}

void WindowRehearsal::rehearse()
{
    m_requested = false;
    if (m_done || !m_window || m_window->isVisible() || !m_ready())
        return;
    m_done = true;
    // The layouts that the last changes asked for come first: the rows are painted where the
    // frame on screen will have them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // A window never shown has not yet fitted its viewport to its size: the viewport it will
    // have is the window's inside, without scroll bars (the program's windows have none). It is
    // painted in bands into one small image, so that the rehearsal never holds a frame's worth
    // of pixels.
    const QSize size = m_window->maximumViewportSize();
    const int band = qMin(size.height(), BandHeight);
    if (size.isEmpty())
        return;
    QImage image(size.width(), band, QImage::Format_ARGB32_Premultiplied);
    for (int top = 0; top < size.height(); top += band) {
        const QRect source(0, top, size.width(), qMin(band, size.height() - top));
        QPainter painter(&image);
        painter.setRenderHints(m_window->renderHints());
        m_window->render(&painter, QRectF(QPointF(), source.size()), source);
    }
}
