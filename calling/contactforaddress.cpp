#include "contactforaddress.h"

#include "accountpaths.h"
#include "callhistoryaccountsmanager.h"
#include "contactsengine.h"
#include "phonenumbers.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

using namespace QtContacts;

QContact contactForAddress(const QString &address, const QString &accountPath)
{
    QContact contact;
    // Nothing to reach: no detail, rather than a phone number or chat address that calls nothing.
    if (address.trimmed().isEmpty())
        return contact;
    const QString number =
        isCellularAccount(accountPath) ? address : phoneNumberFromAddress(address);
    if (!number.isEmpty()) {
        QContactPhoneNumber phone;
        phone.setNumber(number);
        contact.saveDetail(&phone);
        return contact;
    }
    QContactOnlineAccount account;
    account.setAccountUri(address);
    // Qt 5 names a few protocols; the account's own protocol name is kept as the provider.
    const QString protocol = CallHistoryAccountsManager::instance()->accountProtocol(accountPath);
    static const QMap<QString, QContactOnlineAccount::Protocol> known = {
        {QStringLiteral("jabber"), QContactOnlineAccount::ProtocolJabber},
        {QStringLiteral("skype"), QContactOnlineAccount::ProtocolSkype},
        {QStringLiteral("irc"), QContactOnlineAccount::ProtocolIrc},
        {QStringLiteral("icq"), QContactOnlineAccount::ProtocolIcq},
        {QStringLiteral("aim"), QContactOnlineAccount::ProtocolAim},
        {QStringLiteral("yahoo"), QContactOnlineAccount::ProtocolYahoo}};
    account.setProtocol(known.value(protocol, QContactOnlineAccount::ProtocolUnknown));
    if (!protocol.isEmpty())
        account.setServiceProvider(protocol);
    account.setCapabilities({QStringLiteral("AudioCalls")});
    account.setValue(QContactOnlineAccount__FieldAccountPath, accountPath);
    contact.saveDetail(&account);
    return contact;
}
