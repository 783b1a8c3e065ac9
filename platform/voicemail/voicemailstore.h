#pragma once

#include "voicemail.h"
#include "voicemailnumber.h"

#include <QtContacts/QContact>
#include <QtContacts/QContactFilter>
#include <QtContacts/QContactId>

#include <QList>
#include <QMap>
#include <QString>
#include <QVariant>

// Where the voicemail numbers and the voicemail contact are kept, and how they are written.
//
// Keys (dconf):
// - numbersKey "/apps/telephony/voicemail/numbers": string array, the voicemail numbers as
//   entered, the preferred one first. Other programs may write it too (`dconf write
//   /apps/telephony/voicemail/numbers "['+358401234567']"`); they then leave the contact alone.
//
// The voicemail contact is the address-book contact whose GUID is voicemailContactGUID: named
// contactName, with one phone number per voicemail number. Setting numbers creates or updates
// it; clearing them removes it.
//
// A set writes the contact first and the numbers after it, so that a process told of new numbers
// finds the contact written; if the numbers cannot be stored, the contact is put back as it was.
// An address-book failure is reported as AddressBookError, with the numbers stored all the same
// (they matter more than the contact).
//
// Limits: use from one thread at a time. Setting the numbers they already are writes nothing to
// dconf, so other processes are not told (the contact is rewritten all the same).
class VoicemailStore
{
public:
    static const char voicemailContactGUID[];
    static const char numbersKey[];
    static const char contactName[];
    // The longest number accepted, and the most numbers.
    static const int MaximumNumberLength = 64;
    static const int MaximumNumberCount = 16;

    // The default address book, or the book that the engine parameters name.
    explicit VoicemailStore(
        const QMap<QString, QString> &addressBookParameters = QMap<QString, QString>());

    // The stored numbers; error (if given) says whether the stored value was readable.
    QList<VoicemailNumber> numbers(Voicemail::VoicemailError *error = nullptr) const;
    // See Voicemail::setVoicemailNumbers(). storedValueChanged (if given) tells whether the numbers
    // differ from those stored before, i.e. whether dconf tells every client.
    Voicemail::VoicemailError setNumbers(const QList<VoicemailNumber> &numbers,
                                         bool *storedValueChanged = nullptr);
    QString errorString() const { return m_errorString; }

    // The steps of a set, for VoicemailSave, which writes the contact without blocking:
    // - the numbers to store (trimmed, repeats dropped) into list, or InvalidNumberError (with
    //   errorString()) when one is not acceptable;
    Voicemail::VoicemailError checkNumbers(const QList<VoicemailNumber> &numbers,
                                           QStringList *list);
    // - list into dconf (none: the key unset) unless it holds those numbers already; changed
    //   tells whether it was written. False, with errorString(), when dconf refused.
    bool storeNumbers(const QStringList &list, bool *changed);
    // - what finds the voicemail contacts, and those of them that go when numbers are set;
    static QtContacts::QContactFilter contactFilter();
    static QList<QtContacts::QContactId> extraContacts(const QList<QtContacts::QContact> &existing,
                                                       const QStringList &numbers);
    // - the error string of a contact that could not be written to the book of these parameters.
    static QString contactNotWritten(const QMap<QString, QString> &addressBookParameters);

    // The numbers of a stored dconf value (a string array, or a single string): trimmed, empty
    // entries, repeats and entries longer than MaximumNumberLength dropped, at most
    // MaximumNumberCount kept (any process may write the key). Another type gives no numbers and
    // CorruptDataError.
    static QList<VoicemailNumber> parseStored(const QVariant &value,
                                              Voicemail::VoicemailError *error);

    // A number a user may set: after trimming, 1 to MaximumNumberLength characters of digits
    // (any script), "+", "*", "#", pause and wait characters ("p", "w", "x", ",") and the
    // separators " ()-./", with at least one digit.
    static bool isAcceptableNumber(const QString &number);

    // The contact that stands for the numbers, based on existing (which keeps its id and its
    // other details).
    static QtContacts::QContact voicemailContact(const QStringList &numbers,
                                                 const QtContacts::QContact &existing);

private:
    // Writes (or, for no numbers, removes) the voicemail contact; previous receives the contact as
    // it was (empty if there was none).
    bool writeContact(const QStringList &numbers, QtContacts::QContact *previous);
    void restoreContact(const QtContacts::QContact &previous);

    QMap<QString, QString> m_addressBookParameters;
    QString m_errorString;
};
