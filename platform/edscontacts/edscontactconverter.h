#pragma once

#include <QtContacts/QContact>

#include <QByteArray>
#include <QSet>
#include <QString>

// Turns the cards of Evolution Data Server (vCard 3.0 text) into contacts of the mirror and
// back, and merges a change made here into EDS's card so that what this program does not read
// stays as EDS has it.
//
// A card is read with VCardCodec, as our vCard import reads it, named by its FN when it has no N,
// after two steps of EDS's own:
// its revision (REV) is dropped, as the mirror keeps it beside the contact, and a picture kept in
// the card (PHOTO;ENCODING=b, as GNOME Contacts saves one) is written once to a file of the picture
// folder, named after its content, and read as that file's URL. A contact list (a card of EDS
// that lists other cards) is not a person and is not read.
//
// merge() works by property name: the names whose properties differ between base (the contact as
// it was last written from EDS, as toVCard() wrote it) and ours (as it is now) are replaced in
// EDS's current card by ours; every other property of that card is kept as it is (a picture kept
// in the card, properties of other programs, EDS's own).
//
// Limits: a picture is not removed from the folder when its contact goes. Cards over
// VCardCodec's limits are not read.
class EdsContactConverter
{
public:
    explicit EdsContactConverter(const QString &pictureFolder);

    // The contact of an EDS card; false (and *error) for a card that is not a person's or cannot
    // be read.
    bool toContact(const QByteArray &card, QtContacts::QContact *contact, QString *error) const;

    // The card of a contact as this program writes it (vCard 3.0), with uid as its UID when given.
    static QByteArray toVCard(const QtContacts::QContact &contact, const QString &uid = QString());

    // The names of the properties that differ between two cards this program wrote (the card's
    // own UID, REV, VERSION and PRODID are not compared).
    static QSet<QString> changedProperties(const QByteArray &base, const QByteArray &ours);
    // EDS's current card with the properties changed from base to ours replaced by ours.
    static QByteArray merge(const QByteArray &current, const QByteArray &base,
                            const QByteArray &ours);

    // The UID and revision of a card.
    static QString uidOf(const QByteArray &card);
    static QString revisionOf(const QByteArray &card);

private:
    QString m_pictureFolder;
};
