// The cost the history store's models pay per event read for its contacts, on a book of 5,000
// contacts, against the bare number lookup it rests on (measured in the same run):
//   - a call from a number in the book (national form of a stored international number);
//   - a call from a number nobody has (the lookup finds candidates by tail and rejects them);
//   - a VoIP call by address.
#include "addressbookcontactresolver.h"
#include "addresslookup.h"
#include "contactsengine.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

using namespace QtContacts;

namespace {

const int contactCount = 5000;
QString bookPath;
const QString cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");

QString storedNumber(int i)
{
    return QStringLiteral("+358 40 %1 %2").arg(100 + i % 900).arg(1000 + i, 4, 10, QChar('0'));
}

QString calledNumber(int i)
{
    return QStringLiteral("040%1%2").arg(100 + i % 900).arg(1000 + i, 4, 10, QChar('0'));
}

// Same last seven digits as a stored number, another operator prefix: no contact.
QString strangerNumber(int i)
{
    return QStringLiteral("050%1%2").arg(100 + i % 900).arg(1000 + i, 4, 10, QChar('0'));
}

void fillBook()
{
    QContactManager manager(ContactsEngine::ensureRegistered(),
                            {{QString::fromLatin1(ContactsEngine::databaseParameter), bookPath}});
    QList<QContact> contacts;
    for (int i = 0; i < contactCount; ++i) {
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Person"));
        name.setLastName(QString::number(i));
        contact.saveDetail(&name);
        QContactPhoneNumber mobile;
        mobile.setNumber(storedNumber(i));
        contact.saveDetail(&mobile);
        QContactOnlineAccount account;
        account.setAccountUri(QStringLiteral("sip:person%1@voip.example").arg(i));
        contact.saveDetail(&account);
        contacts.append(contact);
    }
    manager.saveContacts(&contacts);
}

void lookupNumber(benchmark::State &state)
{
    ContactsEngine::AddressLookup lookup(bookPath);
    int i = 0;
    for (auto _ : state) {
        const auto matches = lookup.matchNumber(calledNumber(i++ % contactCount), 7);
        if (matches.size() != 1)
            state.SkipWithError("wrong match");
    }
}

void resolveKnownNumber(benchmark::State &state)
{
    AddressBookContactResolver resolver(bookPath);
    int i = 0;
    for (auto _ : state) {
        const auto contacts = resolver.contactsFor(cellular, calledNumber(i++ % contactCount));
        if (contacts.size() != 1)
            state.SkipWithError("wrong match");
    }
}

void lookupStranger(benchmark::State &state)
{
    ContactsEngine::AddressLookup lookup(bookPath);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup.matchNumber(strangerNumber(i++ % contactCount), 7));
}

void resolveStranger(benchmark::State &state)
{
    AddressBookContactResolver resolver(bookPath);
    int i = 0;
    for (auto _ : state) {
        if (!resolver.contactsFor(cellular, strangerNumber(i++ % contactCount)).isEmpty())
            state.SkipWithError("a stranger matched");
    }
}

void lookupAddress(benchmark::State &state)
{
    ContactsEngine::AddressLookup lookup(bookPath);
    int i = 0;
    for (auto _ : state) {
        const auto matches = lookup.matchAddress(
            QStringLiteral("sip:person%1@voip.example").arg(i++ % contactCount));
        if (matches.size() != 1)
            state.SkipWithError("wrong match");
    }
}

void resolveAddress(benchmark::State &state)
{
    AddressBookContactResolver resolver(bookPath);
    int i = 0;
    for (auto _ : state) {
        const auto contacts = resolver.contactsFor(
            QStringLiteral("/org/freedesktop/Telepathy/Account/sip/sip/account0"),
            QStringLiteral("sip:person%1@voip.example").arg(i++ % contactCount));
        if (contacts.size() != 1)
            state.SkipWithError("wrong match");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bookPath = dir.filePath(QStringLiteral("bench.db"));
    fillBook();

    benchmark::RegisterBenchmark("lookupNumber", lookupNumber);
    benchmark::RegisterBenchmark("resolveKnownNumber", resolveKnownNumber);
    benchmark::RegisterBenchmark("lookupStranger", lookupStranger);
    benchmark::RegisterBenchmark("resolveStranger", resolveStranger);
    benchmark::RegisterBenchmark("lookupAddress", lookupAddress);
    benchmark::RegisterBenchmark("resolveAddress", resolveAddress);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (%d contacts, a number and a VoIP address each):\n", contactCount);
    reporter.ratio("contacts of a call from a known number", "resolveKnownNumber", "lookupNumber");
    reporter.ratio("contacts of a call from an unknown number", "resolveStranger",
                   "lookupStranger");
    reporter.ratio("contacts of a VoIP call", "resolveAddress", "lookupAddress");
    return 0;
}
