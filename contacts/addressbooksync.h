#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class EdsContactsService;

// Keeps the program's address book in step with where the person's contacts live: when the
// chosen address book is the desktop's (ContactsSource: EDS), it starts the mirror that every
// connection of the program reads (EdsContactsService) and tells the person, with a banner, of a
// write that EDS refused (the contact keeps what was written and is written again later). On our
// own address book it does nothing.
//
// Limits: GUI thread. instance() starts the process's service once; a service handed in is started
// by its owner.
class AddressBookSync : public QObject
{
    Q_OBJECT
public:
    static AddressBookSync *instance();

    // Follows service (not owned; null on our own address book).
    explicit AddressBookSync(EdsContactsService *service, QObject *parent = nullptr);

    // The banner's text for a refused write.
    static QString refusedText(const QString &contactName, const QString &reason);

private Q_SLOTS:
    void onWriteRefused(const QString &contactName, const QString &reason);
    void onIdle();

private:
    QPointer<EdsContactsService> m_service;
    bool m_voicemailDue = false;
};
