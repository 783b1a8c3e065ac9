#pragma once

#include <QObject>
#include <QRect>

// Where the virtual keyboard covers the window (an empty rectangle while it is closed, and
// always on a desktop with a hardware keyboard), with a signal when that changes.
class MInputMethodState : public QObject
{
    Q_OBJECT
public:
    static MInputMethodState *instance();
    QRect inputMethodArea() const { return m_area; }
    // The input method (or a test) reports a new keyboard area.
    void setInputMethodArea(const QRect &area);

Q_SIGNALS:
    void inputMethodAreaChanged(const QRect &area);

private:
    explicit MInputMethodState(QObject *parent);
    QRect m_area;
};
