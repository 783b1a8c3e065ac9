#pragma once

#include <QString>

// Phone numbers grouped for reading by libphonenumber (the numbering plans of every region): a
// stored number as rows, dialogs, the contact card and the number picker show it, and the
// digits being typed on the keypad. Numbers are read in the region of the locale (the
// "/system/locale/region" setting).
//
// A number written with "+" is shown in its international form ("+49 30 123456"), one without
// in its national form ("040 1234567"). Text that libphonenumber does not read as a valid number
// of the region (service codes, short and emergency numbers, addresses, a number of another
// region written without its country code, numbers with pauses) is shown as it was written.
// Display only: what is dialled, copied or matched is the number as stored (phonenumbers.h).
// libphonenumber writes nothing to the program's output: its logger is silenced.
//
// Limits: the region is the locale's, not the SIM's (the modem service does not say which
// country the SIM is from). Results of forDisplay() are kept for the last few thousand numbers.
class PhoneNumberFormat
{
public:
    // The region numbers are read in, as two upper-case letters ("FI").
    static QString region();
    // A stored number as shown (without direction marks or localized digits: see
    // numberForDisplay()).
    static QString forDisplay(const QString &number);
    static QString forDisplay(const QString &number, const QString &region);
    // The characters typed on the keypad as they are grouped while typing.
    static QString asYouType(const QString &typed);
    static QString asYouType(const QString &typed, const QString &region);
};
