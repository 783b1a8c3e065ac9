#pragma once

#include <QString>

// Reads the number out of a "tel:" URI (RFC 3966) handed to the program by a link or another
// program: "tel:+358-40-123 4567", "tel:0401234;phone-context=+358", "tel:%2B35840...". The
// scheme is matched in any letter case; percent escapes are decoded; visual separators
// ("-", ".", "(", ")") and spaces are dropped; parameters after the first ";" are dropped (the
// number is kept as written, not combined with its phone-context). What remains must be a
// dialable number ("+" and digits, or digits, "*" and "#") that the number helpers accept;
// anything else gives an empty string. The dialer applies its own length limit.
class TelUri
{
public:
    static bool isTelUri(const QString &text);
    // The dialable number of a "tel:" URI, or an empty string if it holds none.
    static QString number(const QString &uri);
};
