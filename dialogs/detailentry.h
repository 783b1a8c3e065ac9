#pragma once

#include <QString>
#include <QVariantMap>

// One way of calling a contact, as a row of the detail selector: the account to call with, the
// address to call, what the row shows (icon, first line, presence icon) and how (balance
// appended, digits localized, video call), or that its account does not exist.
//
// The selector's model keeps each entry as a property map with fixed keys (toMap()), which the
// row widget and the tap handler read back (fromMap()); missing keys read as empty or false.
struct DetailEntry
{
    QString accountPath;
    QString image;
    // May hold two length variants separated by U+009C.
    QString type;
    // The second line, and the number or account URI to call.
    QString displayName;
    // Icon id of the presence icon; empty for none.
    QString presenceState;
    bool showCredits = false;
    bool isPhone = false;
    bool isVideoCall = false;
    // The account does not exist on the phone: the row says so and is not called.
    bool missingAccount = false;

    QVariantMap toMap() const;
    static DetailEntry fromMap(const QVariantMap &map);
    // What identifies the row across rebuilds: account, address and whether it is a video call.
    QString rowKey() const;
};
