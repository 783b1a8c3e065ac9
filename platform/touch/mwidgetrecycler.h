#pragma once

#include <QHash>
#include <QList>
#include <QString>

class MWidget;

// Keeps list cells that scrolled out of view, by class name, so that a list creates only as
// many cells as it shows at once. At most maxCount() cells are kept per class; more are deleted.
class MWidgetRecycler
{
public:
    MWidgetRecycler() = default;
    ~MWidgetRecycler();
    MWidgetRecycler(const MWidgetRecycler &) = delete;
    MWidgetRecycler &operator=(const MWidgetRecycler &) = delete;

    // Hides the widget and keeps it for reuse.
    void recycle(MWidget *widget);
    // A kept widget of that class (made visible again), or null.
    MWidget *take(const QString &className);
    int count(const QString &className) const;
    int maxCount() const { return m_max; }
    void setMaxCount(int max) { m_max = max; }

private:
    QHash<QString, QList<MWidget *>> m_widgets;
    int m_max = 64;
};
