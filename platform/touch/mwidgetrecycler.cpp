#include "mwidgetrecycler.h"

#include "mwidget.h"

MWidgetRecycler::~MWidgetRecycler()
{
    for (const QList<MWidget *> &list : qAsConst(m_widgets))
        qDeleteAll(list);
}

void MWidgetRecycler::recycle(MWidget *widget)
{
    if (!widget)
        return;
    QList<MWidget *> &list = m_widgets[QString::fromLatin1(widget->metaObject()->className())];
    if (list.size() >= m_max) {
        delete widget;
        return;
    }
    widget->hide();
    list.append(widget);
}

MWidget *MWidgetRecycler::take(const QString &className)
{
    auto it = m_widgets.find(className);
    if (it == m_widgets.end() || it->isEmpty())
        return nullptr;
    MWidget *w = it->takeLast();
    w->show();
    return w;
}

int MWidgetRecycler::count(const QString &className) const
{
    return m_widgets.value(className).size();
}
