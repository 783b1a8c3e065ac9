#ifndef CONTACTSSOURCE_H
#define CONTACTSSOURCE_H

#include <QString>

namespace ContactsEngine {

// Which address book the program and its tools read and write by default: our own (the local
// SQLite file) or the desktop's (Evolution Data Server), which the program reaches through a
// mirror of it in a file of the same format (see platform/edscontacts/README.md), so that every
// part of the program keeps using the same engine, ids and number index.
//
// The environment variable CALL_HISTORY_CONTACTS ("eds" or "local") decides; without it, our own.
//
// Limits: current() is chosen once per process, on first use; a change of the variable later in
// the process is not followed (every connection of the process must keep the same book).
class ContactsSource
{
public:
    enum Kind { Local, Eds };

    struct Choice
    {
        Kind kind = Local;
        QString reason; // why, in words for the tool's "sources" command
    };

    static const char environmentVariable[];

    // The choice of this process (made on first use).
    static Choice current();
    // The choice for an override as the environment variable gives it ("" when unset); a value
    // other than "eds" or "local" is refused: *error says so and our own book is chosen.
    static Choice choose(const QString &override, QString *error = nullptr);

    // The files: our own address book, and the mirror of the desktop's.
    static QString localDatabasePath();
    static QString mirrorDatabasePath();
    // The file of the chosen book.
    static QString databasePath(Kind kind);
    static QString nameOf(Kind kind);
};

} // namespace ContactsEngine

#endif // CONTACTSSOURCE_H
