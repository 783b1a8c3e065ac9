#ifndef VCARDCODEC_H
#define VCARDCODEC_H

#include <QtContacts/QContact>

#include <QByteArray>
#include <QList>
#include <QString>

namespace ContactsEngine {

// Reads and writes contacts as vCard 3.0 or 4.0 text (2.1 is read too). Beside what QtVersit maps
// (names, TEL with its types, IMPP, UID, PHOTO, ...), online accounts carry their calling account
// in IMPP parameters and presence has a property of its own:
//   IMPP;X-ACCOUNT-PATH=/org/.../account;X-CAPABILITIES=AudioCalls,VideoCalls:sip:bob@example.com
//   X-PRESENCE;X-STATE=available;X-TIMESTAMP=2026-12-07T09:00:00Z;X-ACCOUNT=sip:bob@example.com:At
//   work
// X-STATE is one of unknown, available, hidden, busy, away, extendedaway, offline; the presence is
// linked to the online account with that address.
//
// Limits: input must be UTF-8 (or ASCII) text of at most maximumInputSize bytes with at most
// maximumContacts cards, nested at most maximumNesting levels deep (a vCard 2.1 AGENT holds a card
// in a card); anything else, any card QtVersit cannot read, and two cards with the same UID refuse
// the whole input with a message and return no contacts (a UID names one contact, and which card
// should win cannot be told). Pictures are kept as URLs only.
class VCardCodec
{
public:
    enum Version { VCard30, VCard40 };

    static const int maximumInputSize = 8 * 1024 * 1024;
    static const int maximumContacts = 20000;
    static const int maximumNesting = 8;

    // The contacts of the input, or none and an error message.
    static QList<QtContacts::QContact> importContacts(const QByteArray &input, QString *error);
    // The contacts as vCard text; contacts with nothing to write are left out.
    static QByteArray exportContacts(const QList<QtContacts::QContact> &contacts, Version version);
};

} // namespace ContactsEngine

#endif // VCARDCODEC_H
