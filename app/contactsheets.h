#pragma once

#include "contactsengine.h"

#include <QString>

// The contacts application's sheets as the rest of the program opens them, through the page
// manager (which holds the editor's handle and routes the card's calls).

// Opens the card of an address-book contact.
void openContactCard(QContactLocalId localContactId);
// Opens the editor of a new contact holding `address` (a number or a VoIP address).
void addToContacts(const QString &accountPath, const QString &address);
// Opens the picker of an existing contact that `address` is added to.
void mergeWithContact(const QString &accountPath, const QString &address);
