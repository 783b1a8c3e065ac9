#pragma once

#include <QtContacts/QContactDetail>

#include <QList>

#include <QString>
#include <functional>

// How the contacts user interface writes a phone number or online-account detail: its value and
// the translated name of its kind (mobile, work, home, fax, other; chat for online accounts).
class ContactDetailText
{
public:
    static QString value(const QtContacts::QContactDetail &detail);
    static QString kind(const QtContacts::QContactDetail &detail);
    // A number or address as shown inside text that may read right to left: an isolated
    // left-to-right run (U+2066 ... U+2069), for a text without letters also overridden to read
    // left to right (U+202D ... U+202C).
    static QString leftToRight(const QString &value);
    // A phone number as the program shows numbers everywhere (grouped by the formatter set
    // with setNumberFormatter(); as written without one), as an isolated left-to-right run.
    static QString shownNumber(const QString &number);
    // What shows a detail's value: a phone number as shownNumber(), an address as leftToRight().
    static QString shownValue(const QtContacts::QContactDetail &detail);
    // The program's formatting of phone numbers for display (null: as written).
    static void setNumberFormatter(const std::function<QString(const QString &)> &formatter);
    // True for the details the user interface lists and calls: phone numbers and online accounts.
    static bool isAddress(const QtContacts::QContactDetail &detail);
    // The types of those details.
    static QList<QtContacts::QContactDetail::DetailType> addressTypes();
};
