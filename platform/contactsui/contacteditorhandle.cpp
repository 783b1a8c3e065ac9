#include "contacteditorhandle.h"

#include "mscenewindow.h"

ContactEditorHandle::ContactEditorHandle(MSceneWindow *sheet) : m_sheet(sheet)
{
    // A sheet closed in any other way (back, page switch) is a cancellation.
    connect(sheet, &MSceneWindow::disappeared, this, [this]() { finish(false); });
}

void ContactEditorHandle::finish(bool wasSaved)
{
    if (m_finished)
        return;
    m_finished = true;
    if (wasSaved)
        Q_EMIT saved();
    else
        Q_EMIT cancelled();
    Q_EMIT finished();
}
