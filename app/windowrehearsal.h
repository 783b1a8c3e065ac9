#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QGraphicsView;

// Paints a window that waits hidden (a process started in the background) once into a
// throw-away image, band by band, as its first frame on screen would be painted, so that
// showing it later only shows and paints: the icons are drawn into the theme's pixmap cache, the
// rows' texts shaped, the glyphs of their fonts rasterised into the shared glyph caches, and the
// code of the paint path loaded and bound. What stays afterwards is what the first frame on
// screen would have kept anyway (caches); the image, a band of the window, goes at once.
//
// Limits: it rehearses once, at the next turn of the event loop after request() finds `ready`
// holding (say, the page with its first rows laid out), and never while the window is visible
// (a real paint does the same then). A window shown before that is not rehearsed at all.
class WindowRehearsal : public QObject
{
    Q_OBJECT
public:
    // The height of the bands the frame is painted in (pixels).
    static constexpr int BandHeight = 128;

    WindowRehearsal(QGraphicsView *window, const std::function<bool()> &ready,
                    QObject *parent = nullptr);

    bool isDone() const { return m_done; }

public Q_SLOTS:
    // Asks for the rehearsal at the next turn of the event loop, if it is still to come.
    void request();

private:
    void rehearse();

    QPointer<QGraphicsView> m_window;
    std::function<bool()> m_ready;
    bool m_requested = false;
    bool m_done = false;
};
