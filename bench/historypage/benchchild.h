#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// What the measuring child processes of the page benchmark share: their figures go to stdout
// as "figure NAME VALUE" lines for the parent, their errors to stderr.
namespace BenchChild {

// Prints one figure for the parent.
void figure(const QByteArray &name, double value);
// Says why on stderr; returns the exit status of a failed child (1).
int fail(const QString &why);
// Runs the event loop until done() holds; false when timeoutMs passed first.
bool spinUntil(const std::function<bool()> &done, int timeoutMs);
// Runs the event loop for ms milliseconds.
void settle(int ms);
// Why the benchmark cannot run the program on this session bus (no bus, or the call history
// already runs there and would take the children's launches); empty when it can.
QString busProblem();
// When the parent started this process (monotonic ms), if it said so in BENCH_SPAWN_MS; else 0.
double spawnMs();

} // namespace BenchChild
