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
    // True for the details the user interface lists and calls: phone numbers and online accounts.
    static bool isAddress(const QtContacts::QContactDetail &detail);
    // The types of those details.
    static QList<QtContacts::QContactDetail::DetailType> addressTypes();
};
