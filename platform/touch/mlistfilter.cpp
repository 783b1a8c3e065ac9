#include "mlistfilter.h"

#include "mlist.h"
#include "mpannableviewport.h"
#include "mtextedit.h"

MListFilter::MListFilter(MList *list) : QObject(list), m_list(list)
{
    setViewport(list->viewport());
}

void MListFilter::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

MTextEdit *MListFilter::editor()
{
    if (!m_editor)
        m_editor = new MTextEdit;
    return m_editor;
}

void MListFilter::setViewport(MPannableViewport *viewport)
{
    if (m_viewport == viewport)
        return;
    if (m_viewport)
        disconnect(m_viewport, nullptr, this, nullptr);
    m_viewport = viewport;
    if (viewport) {
        connect(viewport, &MPannableWidget::positionChanged, this, &MListFilter::onPositionChanged);
        connect(viewport, &MPannableWidget::panningStopped, this, [this]() { m_pulled = false; });
    }
}

void MListFilter::onPositionChanged()
{
    if (!m_enabled || !m_viewport)
        return;
    const qreal y = m_viewport->position().y();
    if (y < -pullDistance() && !m_pulled) {
        m_pulled = true;
        Q_EMIT listPannedUpFromTop();
    } else if (y >= 0 && !m_viewport->isPanning()) {
        m_pulled = false;
    }
}
