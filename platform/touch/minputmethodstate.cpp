#include "minputmethodstate.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QPointer>

namespace {
QPointer<MInputMethodState> s_instance;
}

MInputMethodState *MInputMethodState::instance()
{
    if (!s_instance)
        s_instance = new MInputMethodState(QCoreApplication::instance());
    return s_instance;
}

MInputMethodState::MInputMethodState(QObject *parent) : QObject(parent)
{
    if (QInputMethod *im = QGuiApplication::inputMethod()) {
        m_area = im->keyboardRectangle().toRect();
        connect(im, &QInputMethod::keyboardRectangleChanged, this,
                [this, im]() { setInputMethodArea(im->keyboardRectangle().toRect()); });
    }
}

void MInputMethodState::setInputMethodArea(const QRect &area)
{
    if (area == m_area)
        return;
    m_area = area;
    Q_EMIT inputMethodAreaChanged(area);
}
