#pragma once

#include <QString>

// Phone numbers and remote addresses: whether an address is a phone number and what its digits
// are, whether a number is valid, international, an emergency number or a service code, and how
// well two numbers match by their last digits.
//
// A remote address is a call event's remote identifier: a plain number in any written form
// ("+358 40 123 4567", "040-1234567", "*31#0401234567"), a "sip:"/"sips:" URI, or a user name.
// Every function is pure except isEmergencyNumber() and emergencyNumberToDial(), which ask the
// modem's emergency number list (created once per process).
//
// Note: these rules are the program's contract for calling and matching, and are kept as they
// are; numbers are only grouped for display by libphonenumber (PhoneNumberFormat). Where
// libphonenumber would decide better: matching by trailing digits (matchingTailLength) takes
// two numbers of different countries with the same last digits for one, and cannot see that
// "040 1234567" and "+358 40 1234567" are one number once the national prefix is longer than
// the digits compared (its IsNumberMatch() knows country codes and national prefixes);
// isValidNumber() takes any 1 to 20 digits, where libphonenumber knows each region's lengths
// and ranges; isInternationalNumber() sees "00" as the international prefix everywhere, while
// it differs by region ("011" in North America, "00" or "990" elsewhere).

// The dialable number in `address`, or an empty string if it is not a phone number.
// Plain addresses may hold digits, "+", "*", "#", pause and wait characters ("p", "w", "x",
// ","), spaces, "(", ")", "-", "." and "/"; a SIP URI's user part may hold the same except "."
// and "/". A SIP URI's "phone-context=" parameter that is a global number prefix ("+44") is put
// in front of a local number. At least 4 characters must remain after trimming.
QString phoneNumberFromAddress(const QString &address);

// The ASCII digits of `number` before the first pause, wait or extension character, without a
// leading "*31#"/"#31#" (hide or show the caller's identity). With `extract`, the number is
// first taken out of an address by phoneNumberFromAddress().
QString dialDigits(const QString &number, bool extract);

// dialDigits(number, false), or dialDigits(number, true) if that is empty. Only ASCII digits.
QString normalizedNumber(const QString &number);

bool isPhoneNumber(const QString &address);

// A well-formed dialable number: an optional "*31#"/"#31#" and "+", then 1 to 20 digits ("*" and
// "#" count as digits) with separators " ()./-", then optionally two or more characters of
// "0123456789*#pxw," (any case), e.g. a pause and DTMF digits. A lone trailing pause is invalid.
bool isValidNumber(const QString &number);

// The address holds a valid number in international form ("+" or "00" prefix), looking only at
// the part before pauses and after the last "#".
bool isInternationalNumber(const QString &address);

// `number`, or its normalized digits, is one of the modem's emergency numbers or
// "urn:service:sos".
bool isEmergencyNumber(const QString &number);

// The number the modem dials for the emergency number `number`: the listed number it is or whose
// digits it holds ("112", "1-1-2"); for "urn:service:sos" 112, or the modem's first
// number when 112 is not among them. Empty when `number` is no emergency number.
QString emergencyNumberToDial(const QString &number);

// A network service code such as "*#06#": ends with "#" and holds no pause character "p".
bool isServiceCode(const QString &number);

// The count of equal trailing UTF-16 code units of a and b if it is at least 4, else 0.
int matchingTailLength(const QString &a, const QString &b);

// A "sip:"/"sips:" URI with its percent escapes decoded (each escape is one Latin-1 character);
// any other address unchanged.
QString decodeSipUri(const QString &address);
