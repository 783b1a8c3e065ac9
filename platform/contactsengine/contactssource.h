#ifndef CONTACTSSOURCE_H
#define CONTACTSSOURCE_H

#include "edsregistryprobe.h"

#include <QString>

#include <functional>

namespace ContactsEngine {

// Which address book the program and its tools read and write by default: our own (the local
// SQLite file) or the desktop's (Evolution Data Server), which the program reaches through a
// mirror of it in a file of the same format (see platform/edscontacts/README.md), so that every
// part of the program keeps using the same engine, ids and number index.
//
// What decides, in order:
// - the environment variable CALL_HISTORY_CONTACTS, "eds" or "local" (tests, scripts);
// - the setting settingKey (dconf), "eds", "local" or "auto";
// - else automatically: our own when it already holds the person's contacts (so that an update
//   never hides them behind an empty desktop book; the setting switches), else EDS's when its
//   source registry answers with at least one enabled address
//   book (EdsRegistryProbe, which may start the registry: at most ProbeTimeout ms), our own when
//   EDS is not installed or has none. When the registry does not answer, what it answered last
//   time (kept under detectedKey) decides, else our own.
// A value that is none of these is refused with a reason and the next step decides.
//
// Limits: current() is chosen once per process, on first use, which may wait for the registry
// (see above); later changes of the variable, the setting or EDS are followed by the next process
// (every connection of a process must keep the same book).
class ContactsSource
{
public:
    enum Kind { Local, Eds };
    enum { ProbeTimeout = 3000 };

    struct Choice
    {
        Kind kind = Local;
        QString reason; // why, in words for the tool's "sources" command
    };

    // What a choice is made from; probe is asked only when the choice is automatic.
    struct Inputs
    {
        QString environment;
        QString setting;
        QString lastDetected; // "eds" or "local", or empty
        std::function<EdsRegistryProbe::Result()> probe;
        // The contacts the person keeps in our own book (personalContactCount()); asked only
        // when the choice is automatic. Not set: none.
        std::function<int()> localContacts;
    };

    static const char environmentVariable[];
    static const char settingKey[];
    static const char detectedKey[];

    // The choice of this process (made on first use); an automatic choice is remembered.
    static Choice current();
    // The choice for these inputs; *detected (if given) receives what an automatic choice found
    // ("eds" or "local"; empty when the registry did not answer).
    static Choice choose(const Inputs &inputs, QString *detected = nullptr);
    // The inputs of this process: its environment, the setting, the registry on the session bus.
    static Inputs processInputs();

    // The files: our own address book, and the mirror of the desktop's.
    static QString localDatabasePath();
    static QString mirrorDatabasePath();
    static QString databasePath(Kind kind);
    static QString nameOf(Kind kind);
    // The contacts of the address book at `path` other than the voicemail contact (which the
    // program writes itself): 0 when there is no such file, -1 when it cannot be read.
    static int personalContactCount(const QString &path);
};

} // namespace ContactsEngine

#endif // CONTACTSSOURCE_H
