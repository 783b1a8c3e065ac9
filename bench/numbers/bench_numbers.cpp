// Cost of the number helpers and of the row time text, per call, against a baseline of one
// QString::trimmed() of the same address (a copy and a scan), so that figures compare across
// machines as ratios.

#include "callhistorylocale.h"
#include "displaytext.h"
#include "phonenumbers.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

const QStringList Addresses = {QStringLiteral("+358 40 123 4567"),
                               QStringLiteral("0401234567"),
                               QStringLiteral("sip:+358401234567@example.com"),
                               QStringLiteral("sip:401234567;phone-context=+358@example.com"),
                               QStringLiteral("*31#0401234567p12"),
                               QStringLiteral("alice.smith@example.com")};

template <typename F> void overAddresses(benchmark::State &state, F f)
{
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(Addresses.at(i)));
        i = (i + 1) % Addresses.size();
    }
}

void Baseline_Trimmed(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return (QLatin1Char(' ') + a).trimmed(); });
}
BENCHMARK(Baseline_Trimmed);

void PhoneNumberFromAddress(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return phoneNumberFromAddress(a); });
}
BENCHMARK(PhoneNumberFromAddress);

void NormalizedNumber(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return normalizedNumber(a); });
}
BENCHMARK(NormalizedNumber);

void IsValidNumber(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return isValidNumber(a); });
}
BENCHMARK(IsValidNumber);

void IsEmergencyNumber(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return isEmergencyNumber(a); });
}
BENCHMARK(IsEmergencyNumber);

void MatchingTailLength(benchmark::State &state)
{
    const QString contact = QStringLiteral("0401234567");
    overAddresses(state, [&](const QString &a) { return matchingTailLength(a, contact); });
}
BENCHMARK(MatchingTailLength);

void NumberForDisplay(benchmark::State &state)
{
    overAddresses(state, [](const QString &a) { return numberForDisplay(a); });
}
BENCHMARK(NumberForDisplay);

void RowTimeText(benchmark::State &state)
{
    CallHistoryLocale *locale = CallHistoryLocale::instance();
    const QDateTime start = QDateTime::currentDateTime().addDays(-3);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(locale->formatDateTime(start.addSecs(++i)));
}
BENCHMARK(RowTimeText);

} // namespace

int main(int argc, char **argv)
{
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
