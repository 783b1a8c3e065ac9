#ifndef EDSREGISTRYPROBE_H
#define EDSREGISTRYPROBE_H

#include <QDBusConnection>
#include <QList>
#include <QString>

namespace ContactsEngine {

// Asks the source registry of Evolution Data Server, over the session bus and without libebook,
// which address books it has: the objects of its object manager, each with the key file that
// describes the source ("[Data Source]" with Enabled and Parent, "[Address Book]" with
// BackendName). A source counts as enabled when it and every parent are.
//
// Limits: a blocking call (the registry is started by the bus when it is not running, which may
// take a moment); any peer may own the name, so the answer is read within bounds (at most
// MaximumSources sources of at most MaximumDataSize bytes each; more is refused as a whole).
class EdsRegistryProbe
{
public:
    static const char serviceName[];
    static const char objectPath[];
    enum { MaximumSources = 4096, MaximumDataSize = 256 * 1024 };

    struct AddressBook
    {
        QString uid;
        QString name;
        QString backend;
        bool enabled = false;
    };

    enum State {
        NotInstalled, // the bus cannot start the registry
        NoAnswer,     // it can, but the registry did not answer (in time)
        Answered
    };

    struct Result
    {
        State state = NotInstalled;
        QList<AddressBook> addressBooks; // by UID
        QString error;
        int enabledCount() const;
    };

    // Asks the registry on bus, waiting at most timeout ms for its answer.
    static Result probe(const QDBusConnection &bus, int timeout);

    // The address books of sources given as (UID, key file) pairs.
    static QList<AddressBook> addressBooks(const QList<QPair<QString, QString>> &sources);
};

} // namespace ContactsEngine

#endif // EDSREGISTRYPROBE_H
