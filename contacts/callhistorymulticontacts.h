#pragma once

#include "multicontactssheet.h"

namespace CommHistory {
class EventModel;
}

// The sheet that lists the contacts a call's number matched, when there are several, so that the
// user can pick one (whose card opens). It follows the call event in the shared call model and
// closes itself when the event is gone or no longer matches several contacts. One made for an
// event that is gone already is empty from the start (hasContacts() false): it must not be shown.
//
// It is made from the event's id and the row's title rather than from the row itself, because a
// recycled row may show another call by the time the sheet opens.
class CallHistoryMultiContacts : public MultiContactsSheet
{
    Q_OBJECT
public:
    // `model`: the shared call event model (not owned); `fallbackName`: the row's title, shown
    // for contacts without a name and as the sheet's title.
    CallHistoryMultiContacts(CommHistory::EventModel *model, int eventId,
                             const QString &fallbackName);

    int eventId() const { return m_eventId; }
    // Whether the event still matches several contacts (what the sheet lists).
    bool hasContacts() const { return m_hasContacts; }

private Q_SLOTS:
    void updateContacts();

private:
    CommHistory::EventModel *m_model;
    int m_eventId;
    QString m_fallbackName;
    bool m_hasContacts = false;
};
