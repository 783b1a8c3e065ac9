#pragma once

#include <QString>

// Texts as shown: numbers in the locale's digits and reading left to right, and translations
// with length variants. A translation may hold several variants of one text, longest first,
// separated by U+009C; a label shows the longest that fits.

// `number` grouped for reading (PhoneNumberFormat: by libphonenumber, text it cannot read as a
// number as written), in the default locale's native digits, as an isolated left-to-right run
// (between U+2066 left-to-right isolate and U+2069 pop directional isolate), so that it reads left
// to right in every language and whatever text stands around it; a number without letters also
// inside a left-to-right override (U+202D ... U+202C), so that groups of Arabic-Indic digits
// keep their order. Display only: what is copied or dialled is the bare number.
QString numberForDisplay(const QString &number);

// Outside text (a name, an account name) as an isolated run in its own direction (U+2068 first
// strong isolate ... U+2069): a name in Latin letters inside Arabic text keeps its place.
QString ownDirectionRun(const QString &text);

// `text` as an isolated left-to-right run (unchanged when empty or already one): an address or a
// number inside text that may read right to left.
QString leftToRightRun(const QString &text);

// The text before the first U+009C (if that is not the first character), else the whole text.
QString firstLengthVariant(const QString &text);

// The text after the last U+009C, else the whole text.
QString lastLengthVariant(const QString &text);

// `pattern` (with the placeholders %1 and %2) filled with the first variants of a and b, then
// U+009C, then `pattern` filled with their last variants: a two-variant text. Placeholders inside
// a or b are left as they are.
QString argWithLengthVariants(const QString &pattern, const QString &a, const QString &b);

// True for an empty or null text.
bool isEmptyText(const QString &text);

// `text` without the bidirectional control characters U+200F, U+200E, U+202D, U+202E, U+202A,
// U+202B, U+202C and the isolates U+2066 to U+2069.
QString stripBidiMarks(QString text);

// A remote identifier as a row or dialog shows it: without bidirectional control characters,
// then in display form (numberForDisplay) when the call went through the cellular account or the
// text holds only number characters (digits, "#", "p", "w", "x", ",", space, "/", "(", ")", ".",
// "-", "*", "+"; "p", "w" and "x" in either case); otherwise as it stands.
QString remoteForDisplay(const QString &remote, bool cellular);
