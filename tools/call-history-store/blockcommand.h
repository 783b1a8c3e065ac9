#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The tool's "block" command: reads and changes the block list of unwanted callers
// (Blocking::BlockList, in dconf) from the command line.
//
//   block list                       the entries, one a line, then the switches that are on
//   block add|remove ENTRY...        a number, a prefix ("+44*"), "withheld" or
//                                    "not-in-address-book"
//   block days N                     callers called within N days are let through
//                                    "not-in-address-book" (0 to 365, default 7)
//
// Every argument is checked before anything is changed; the first one refused ends the command
// with its reason (exit status 1, or 2 for a usage error). Entries added before a failure of
// dconf stay added.
class BlockCommand
{
public:
    static QString usage();
    // Runs the command (its arguments after "block"); returns the exit status, having written
    // the output to out and the errors to err.
    static int run(const QStringList &args, QTextStream &out, QTextStream &err);
};
