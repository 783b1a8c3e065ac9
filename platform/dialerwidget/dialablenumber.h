#pragma once

#include <QString>

namespace Dialer {

// What the keypad keeps of text that reaches it from outside (paste, other programs): the
// characters a number can be dialled with, in the order given.
//
// Kept: digits (any script's decimal digits become "0"-"9"), "+", "*", "#", "," and the pause
// and wait letters "p", "w", "x" (either case) when they stand alone: a letter next to another
// letter belongs to a word ("ext", "tel") and goes with it. Everything else is dropped.
QString dialableCharacters(const QString &text);

// The number as shown to read it: runs of digits split into groups of three from the left (a
// lone last digit joins the group before it, as "040 123 45 67"). Numbers with "*" or "#"
// (service codes) are shown as typed. Only spaces are added; the characters stay as they are.
QString groupedForReading(const QString &number);

} // namespace Dialer
