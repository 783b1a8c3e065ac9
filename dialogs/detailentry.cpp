#include "detailentry.h"

namespace {
const QString AccountPathKey = QStringLiteral("accountPath");
const QString ImageKey = QStringLiteral("image");
const QString TypeKey = QStringLiteral("type");
const QString DisplayNameKey = QStringLiteral("displayName");
const QString PresenceStateKey = QStringLiteral("presenceState");
const QString ShowCreditsKey = QStringLiteral("showCredits");
const QString IsPhoneKey = QStringLiteral("isPhone");
const QString IsVideoCallKey = QStringLiteral("isVideoCall");
const QString MissingAccountKey = QStringLiteral("missingAccount");
} // namespace

QVariantMap DetailEntry::toMap() const
{
    QVariantMap map;
    map.insert(AccountPathKey, accountPath);
    map.insert(ImageKey, image);
    map.insert(TypeKey, type);
    map.insert(DisplayNameKey, displayName);
    map.insert(PresenceStateKey, presenceState);
    map.insert(ShowCreditsKey, showCredits);
    map.insert(IsPhoneKey, isPhone);
    map.insert(IsVideoCallKey, isVideoCall);
    map.insert(MissingAccountKey, missingAccount);
    return map;
}

DetailEntry DetailEntry::fromMap(const QVariantMap &map)
{
    DetailEntry entry;
    entry.accountPath = map.value(AccountPathKey).toString();
    entry.image = map.value(ImageKey).toString();
    entry.type = map.value(TypeKey).toString();
    entry.displayName = map.value(DisplayNameKey).toString();
    entry.presenceState = map.value(PresenceStateKey).toString();
    entry.showCredits = map.value(ShowCreditsKey).toBool();
    entry.isPhone = map.value(IsPhoneKey).toBool();
    entry.isVideoCall = map.value(IsVideoCallKey).toBool();
    entry.missingAccount = map.value(MissingAccountKey).toBool();
    return entry;
}

QString DetailEntry::rowKey() const
{
    // U+00FE separates the parts: it does not occur in account paths or dialable addresses.
    return QStringLiteral("%1%4%2%4%3")
        .arg(accountPath, displayName, QString::number(isVideoCall ? 1 : 0), QString(QChar(0xfe)));
}
