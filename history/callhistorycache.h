#pragma once

#include "callhistorycacheitem.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QTimer>

class CallHistoryContact;
class CallHistoryContactsManager;
class CallHistoryLocale;
class MList;

namespace CommHistory {
class Event;
class EventModel;
} // namespace CommHistory

// Keeps, per call event, the parts of a call history row that are costly to compute (the time
// text and the contact details that need the address book), so that scrolling needs neither
// date formatting nor contact look-ups.
//
// It fills itself in the background from the top of the call event model downwards, at most 20
// events per tick with 150 ms between ticks (300 ms in a prestarted process), and not at all
// while the list is panned. A row that needs an item before the fill reached it gets it built at
// once. The contact details of an event with exactly one matched contact come from its contact
// record; one that is not resolved yet leaves its item waiting (pending) until the record
// reports it, while the fill goes on.
//
// It holds a bounded number of items (maxItems(), MaxItems by default), so that scrolling
// through a long history does not keep an item for every row passed: the fill covers the top
// maxItems() rows only, and once a quarter more were built on demand, the items used least
// recently go (those waiting for their contact stay). A row whose item went gets a new one when
// it asks again.
//
// Any change reported by the call event model (model ready, data changed, rows removed, events
// committed) empties the cache and restarts the fill, so cached text never outlives the event
// data it was built from; the locale service empties it when the time formats change.
class CallHistoryCache : public QObject
{
    Q_OBJECT
public:
    enum { BatchSize = 20, TickMs = 150, PrestartedTickMs = 300, MaxItems = 500 };

    // The application's cache, over the shared call event model and with the application's
    // contacts manager, created on first use.
    static CallHistoryCache *instance();
    // Whether instance() has been created (and not destroyed).
    static bool exists();

    // A cache over `model`, formatting with `locale` and taking contact details from the records
    // of `contacts` (none: no contact details). Nothing is owned.
    CallHistoryCache(CommHistory::EventModel *model, CallHistoryLocale *locale,
                     CallHistoryContactsManager *contacts, QObject *parent = nullptr);
    ~CallHistoryCache() override;

    // The item of the event, built at once when missing; null when the model has no such event.
    QSharedPointer<CallHistoryCacheItem> cacheItem(int eventId);
    void setContactInfo(int eventId, CallHistoryContact::NumberType numberType,
                        CallHistoryContact::PresenceCode presence, int numberCount);
    // Pauses filling while `list` is panned.
    void watchList(MList *list);
    // How many items the cache keeps (at least BatchSize), for the next fill and items built.
    void setMaxItems(int items);
    int maxItems() const { return m_maxItems; }

    // Inspection: the items held, those waiting for their contact, the next row to fill (-1:
    // finished) and whether a tick is due.
    bool contains(int eventId) const { return m_items.contains(eventId); }
    int count() const { return m_items.size(); }
    bool isPending(int eventId) const { return m_pending.contains(eventId); }
    int pendingCount() const { return m_pending.size(); }
    int position() const { return m_position; }
    bool isPaused() const { return m_paused; }
    bool isFilling() const { return m_timer.isActive(); }
    int tickInterval() const;

    // Takes the contact details of the item's event from `contact`, then lets the record go.
    void fillFromContact(CallHistoryCacheItem *item, CallHistoryContact *contact);

public Q_SLOTS:
    void clear(int id = -1);
    void onListPanningStarted();
    void onListPanningStopped();
    void onPopulateTimeout();

private:
    QSharedPointer<CallHistoryCacheItem> buildItem(const CommHistory::Event &event);
    CommHistory::Event eventById(int eventId) const;
    void restartFill();
    void startTimer();
    void releaseContact(CallHistoryCacheItem *item, CallHistoryContact *contact);
    void dropPending(int eventId);
    // The rows the fill covers: the top maxItems() of the model.
    int fillEnd() const;
    // Lets the least recently used items go once a quarter more than maxItems() are held.
    void trim();

    struct Entry
    {
        QSharedPointer<CallHistoryCacheItem> item;
        quint64 lastUse = 0;
    };

    CommHistory::EventModel *m_model;
    CallHistoryLocale *m_locale;
    QPointer<CallHistoryContactsManager> m_contacts;
    QHash<int, Entry> m_items;
    // Counts the uses of items, to tell which was used least recently.
    quint64 m_uses = 0;
    int m_maxItems = MaxItems;
    QMap<int, QSharedPointer<CallHistoryCacheItem>> m_pending;
    // The contact record each pending item waits for (its reference is held).
    QMap<int, QPointer<CallHistoryContact>> m_pendingContacts;
    bool m_paused = false;
    int m_position = -1;
    QTimer m_timer;
};
