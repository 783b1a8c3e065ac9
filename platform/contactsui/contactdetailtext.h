#pragma once

#include <QtContacts/QContactDetail>

#include <QList>
#include <QString>

// How the contacts user interface writes a phone number or online-account detail: its value and
// the translated name of its kind (mobile, work, home, fax, other; chat for online accounts).
class ContactDetailText
{
public:
    static QString value(const QtContacts::QContactDetail &detail);
    static QString kind(const QtContacts::QContactDetail &detail);
    // A number or address as shown inside text that may read right to left: an isolated
    // left-to-right run (U+2066 ... U+2069).
    static QString leftToRight(const QString &value);
    // True for the details the user interface lists and calls: phone numbers and online accounts.
    static bool isAddress(const QtContacts::QContactDetail &detail);
    // The types of those details.
    static QList<QtContacts::QContactDetail::DetailType> addressTypes();
};
