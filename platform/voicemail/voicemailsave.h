#pragma once

#include "voicemail.h"
#include "voicemailnumber.h"
#include "voicemailstore.h"

#include <QtContacts/QContact>

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace QtContacts {
class QContactAbstractRequest;
class QContactManager;
} // namespace QtContacts

// One set of the voicemail numbers that never waits for the address book
// (Voicemail::startSettingVoicemailNumbers()): what VoicemailStore::setNumbers() does, with the
// voicemail contact read, written and removed by asynchronous requests on a connection to the
// address book, so that the engine's thread does that work (the whole-file check before its
// first write included). The numbers are checked at once. For numbers, the contact is written
// first and the numbers are stored in dconf after it (the contact put back as it was if dconf
// refuses them); for none, dconf is cleared first and the contacts are removed after it. An
// address-book failure keeps the numbers stored and reports AddressBookError.
//
// finished() reports the outcome once, from the event loop; then the object deletes itself. It
// is a child of the address-book connection: sets on one connection run one after another, in
// the order they were started, so that two sets never make a voicemail contact each.
//
// Limits: storing in dconf is a short synchronous call to the dconf service. A set whose
// connection is destroyed ends with it and reports nothing.
class VoicemailSave : public QObject
{
    Q_OBJECT
public:
    // book: the address book (not null); the save becomes its child.
    VoicemailSave(QtContacts::QContactManager *book, const QList<VoicemailNumber> &numbers);

    // Starts the set, after the sets started before it on the same book.
    void start();
    QStringList numbers() const { return m_list; }

Q_SIGNALS:
    // storedValueChanged: the numbers differ from those stored before (dconf tells every client).
    void finished(Voicemail::VoicemailError error, const QString &errorString,
                  bool storedValueChanged);

private:
    void begin();
    void onFetched(const QList<QtContacts::QContact> &existing);
    void removeExtra();
    void contactDone(bool written);
    void restoreContact();
    void finish(Voicemail::VoicemailError error);
    // Runs request on the book; done(ok) once it has finished (ok: without error).
    void run(QtContacts::QContactAbstractRequest *request, const std::function<void(bool)> &done);

    QtContacts::QContactManager *m_book;
    QList<VoicemailNumber> m_numbers;
    VoicemailStore m_store;
    QStringList m_list;
    QtContacts::QContact m_previous;
    QtContacts::QContact m_written;
    QList<QtContacts::QContactId> m_extra;
    QString m_errorString;
    bool m_changed = false;
};
