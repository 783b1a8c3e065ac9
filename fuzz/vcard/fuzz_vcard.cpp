// Feeds arbitrary bytes to the vCard import: it must refuse or read them without crashing, and what
// it reads must be writable again.
#include "vcardcodec.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    QString error;
    const QList<QtContacts::QContact> contacts =
        ContactsEngine::VCardCodec::importContacts(input, &error);
    if (!contacts.isEmpty() && !error.isEmpty())
        __builtin_trap(); // contacts and an error at once: the caller could not tell what happened
    if (!contacts.isEmpty())
        ContactsEngine::VCardCodec::exportContacts(contacts, ContactsEngine::VCardCodec::VCard40);
    return 0;
}
