#pragma once

#include <QtContacts/QContact>

#include <QString>

// A new contact holding one detail for `address` as reached through `accountPath`: a phone number
// for the cellular account and for any address that holds a phone number, else an online account
// (address, the account's protocol and path). What the contact editor and merge picker start from.
// An empty (or blank) address gives an empty contact.
QtContacts::QContact contactForAddress(const QString &address, const QString &accountPath);
