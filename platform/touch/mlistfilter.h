#pragma once

#include <QObject>
#include <QPointer>

class MList;
class MPannableViewport;
class MTextEdit;

// The search of a list: an editor for the filter text (made on first use) and the pull-down
// gesture that asks for it. When enabled, pulling the list down beyond its top by more than
// pullDistance() pixels emits listPannedUpFromTop(), once per pull.
class MListFilter : public QObject
{
    Q_OBJECT
public:
    explicit MListFilter(MList *list);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int filterMode() const { return m_mode; }
    void setFilterMode(int mode) { m_mode = mode; }
    MTextEdit *editor();
    static qreal pullDistance() { return 40; }

Q_SIGNALS:
    void listPannedUpFromTop();

private:
    friend class MList;
    void setViewport(MPannableViewport *viewport);
    void onPositionChanged();

    MList *m_list;
    QPointer<MPannableViewport> m_viewport;
    QPointer<MTextEdit> m_editor;
    bool m_enabled = false;
    bool m_pulled = false;
    int m_mode = 0;
};
