#pragma once

#include "voicemailnumber.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class MGConfItem;
class VoicemailSave;
namespace QtContacts {
class QContactManager;
} // namespace QtContacts

// The voicemail service's client: reports the phone's voicemail numbers, answering a request and
// after every change (also one made by another process), and sets them. The numbers live in
// dconf (see VoicemailStore for the keys); setting them also keeps the voicemail contact of the
// address book in step.
//
// Every client of every process reports a set whose numbers differ from the stored ones (dconf
// tells them); a set that keeps the numbers (it still rewrites the contact) is reported by the
// clients of the setting process only.
//
// Limits: without a session bus dconf cannot store, so setting fails with StorageError; reading
// still works. Reports come from the event loop.
class Voicemail : public QObject
{
    Q_OBJECT
public:
    enum VoicemailError {
        NoError = 0,
        // A number is empty or not a dialable number, or there are more than
        // VoicemailStore::MaximumNumberCount; nothing was stored.
        InvalidNumberError,
        // dconf did not take the numbers (no session bus, not writable); nothing was stored.
        StorageError,
        // The numbers were stored, but the voicemail contact could not be written.
        AddressBookError,
        // The stored value is not a list of numbers (written by hand); reported as no numbers.
        CorruptDataError
    };
    Q_ENUM(VoicemailError)

    explicit Voicemail(QObject *parent = nullptr);
    ~Voicemail() override;

    // Asks for the numbers; the answer is voicemailNumbers(), from the event loop.
    virtual void requestVoicemailNumbers();

    // Stores numbers (the first is the preferred one; duplicates are dropped) and writes the
    // voicemail contact; an empty list clears both. Every client then reports the change. It
    // waits for the address book (its own connection, which checks the whole file before its
    // first write): for tools and tests; a user interface starts the set instead.
    virtual VoicemailError setVoicemailNumbers(const QList<VoicemailNumber> &numbers);
    // The same set without waiting for the address book: the voicemail contact is written by
    // asynchronous requests on addressBook(), then the numbers are stored. The returned set
    // reports its outcome once with VoicemailSave::finished(), from the event loop, and deletes
    // itself; errorString() follows it. Every client is told as after setVoicemailNumbers().
    // Sets on one address book run one after another.
    VoicemailSave *startSettingVoicemailNumbers(const QList<VoicemailNumber> &numbers);
    // The address book that started sets write (not owned); by default the process's connection
    // to the default book, made on first use. Null goes back to that one.
    QtContacts::QContactManager *addressBook() const;
    void setAddressBook(QtContacts::QContactManager *book);
    // Makes number the preferred (first) voicemail number, keeping the others after it.
    VoicemailError setPreferredVoicemailNumber(const QString &number);

    // The numbers as stored now, read synchronously.
    QList<VoicemailNumber> currentNumbers(VoicemailError *error = nullptr) const;
    // A sentence describing the last error of a set operation.
    QString errorString() const { return m_errorString; }

Q_SIGNALS:
    void voicemailNumbers(const QList<VoicemailNumber> &numbers, Voicemail::VoicemailError error);
    void voicemailNumbersChanged(const QList<VoicemailNumber> &numbers,
                                 Voicemail::VoicemailError error);

private Q_SLOTS:
    void answerRequest();
    void onStoredValueChanged();
    void reportChange();

private:
    // Tells every client of this process (a set that dconf does not announce).
    static void reportToThisProcess();

    MGConfItem *m_numbers;
    QPointer<QtContacts::QContactManager> m_addressBook;
    bool m_changeScheduled = false;
    QString m_errorString;
};

Q_DECLARE_METATYPE(Voicemail::VoicemailError)
