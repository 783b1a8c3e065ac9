#pragma once

#include "contactsengine.h"
#include "mwidget.h"

#include <QList>
#include <QPair>

class ContactListRow;
class MPannableViewport;
class QGraphicsLinearLayout;

// A pannable list of a few contacts (avatar and name), optionally filtered by a text that must
// occur in the name (case-insensitive). A tap on a row emits contactPicked() with its id, queued,
// so that the tap has finished before the receiver acts.
//
// Limits: every row is made and laid out, and each avatar reads its contact: for the handful of
// contacts that share a number (MultiContactsSheet). A whole address book goes in a
// ContactPickerList, which makes rows only for what is on screen.
class ContactListWidget : public MWidget
{
    Q_OBJECT
public:
    typedef QPair<QContactLocalId, QString> Entry;

    explicit ContactListWidget(QGraphicsItem *parent = nullptr);

    void setContacts(const QList<Entry> &contacts);
    void setFilter(const QString &filter);
    // The rows now shown (those that pass the filter), in order.
    QList<ContactListRow *> visibleRows() const;

Q_SIGNALS:
    void contactPicked(QContactLocalId id);

private:
    MPannableViewport *m_viewport;
    QGraphicsWidget *m_content;
    QGraphicsLinearLayout *m_rows;
    QList<ContactListRow *> m_all;
    QString m_filter;
};
