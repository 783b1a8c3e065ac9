#pragma once

#include <QString>
#include <QVariant>

class QTemporaryDir;

// What the benchmarks that run the whole program set up for it: a stored call history of a given
// size, and the program opening on the call history page (the page it opens on is the one last
// shown, a setting of the user's profile, put back as it was when this object goes).
class BenchHistory
{
public:
    BenchHistory();
    ~BenchHistory();
    BenchHistory(const BenchHistory &) = delete;
    BenchHistory &operator=(const BenchHistory &) = delete;

    // Makes the program open on the call history; false without a session bus or dconf.
    bool openOnCallHistory();

    // Generates `calls` calls (always the same ones) into a new database file in `dir` with the
    // store tool; its path, or empty when the tool failed.
    static QString generate(const QTemporaryDir &dir, int calls);

private:
    bool m_changed = false;
    QVariant m_oldPage;
};
