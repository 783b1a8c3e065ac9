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
    // have is the window's inside, without scroll bars (the program's windows have none).
    QImage image(m_window->maximumViewportSize(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHints(m_window->renderHints());
    m_window->render(&painter, QRectF(image.rect()), image.rect());
}
