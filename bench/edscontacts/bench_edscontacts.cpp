// The desktop's address book (EDS) against our own, with 5,000 contacts in each, measured in the
// same run on the real EDS started on the benchmark's bus:
//   - resolving the visible rows of the call history (a screenful of calls, each matched to its
//     contacts by the history's resolver, as the models do in their thread) on the mirror of EDS
//     against the same on our own address book;
//   - the same rows asked of EDS itself, one "ends with" query on the telephone fields per row
//     over D-Bus (what an engine on EDS would do), against our own address book;
//   - the mirror's first reading of the 5,000 cards (once per mirror) against saving the same
//     5,000 contacts in our own address book; and a later start of the mirror, in step already
//     (it compares revisions and bases only), against the same.
#include "addressbookcontactresolver.h"
#include "contactsengine.h"
#include "edscontactsservice.h"
#include "edstestsession.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include "ratioreporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace QtContacts;

namespace {

const int contactCount = 5000;
const int visibleRows = 12;
const QString cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/ring/tel/ring");
QString localBook;
QString mirrorBook;
EdsTestSession *eds = nullptr;

// Written as people write them, with separators.
QString storedNumber(int i)
{
    return QStringLiteral("+358 40 %1 %2").arg(100 + i % 900).arg(1000 + i, 4, 10, QChar('0'));
}

// As a call brings it: the national form.
QString calledNumber(int i)
{
    return QStringLiteral("040%1%2").arg(100 + i % 900).arg(1000 + i, 4, 10, QChar('0'));
}

QString card(int i)
{
    return QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Person %1\nN:%1;Person;;;\n"
                          "TEL;TYPE=CELL:%2\nEND:VCARD")
        .arg(i)
        .arg(storedNumber(i));
}

double fillLocalBook()
{
    QList<QContact> contacts;
    for (int i = 0; i < contactCount; ++i) {
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("Person"));
        name.setLastName(QString::number(i));
        contact.saveDetail(&name);
        QContactPhoneNumber mobile;
        mobile.setNumber(storedNumber(i));
        mobile.setSubTypes({QContactPhoneNumber::SubTypeMobile});
        contact.saveDetail(&mobile);
        contacts.append(contact);
    }
    QContactManager manager(ContactsEngine::ensureRegistered(),
                            {{QString::fromLatin1(ContactsEngine::databaseParameter), localBook}});
    QElapsedTimer timer;
    timer.start();
    manager.saveContacts(&contacts);
    return timer.nsecsElapsed() / 1e9;
}

// Seconds until the mirror is in step with EDS's 5,000 cards; negative when it is not in time.
double mirrorEds(EdsContactsService *service)
{
    QEventLoop loop;
    bool idle = false;
    QObject::connect(service, &EdsContactsService::idle, &loop, [&] {
        idle = true;
        loop.quit();
    });
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    service->start();
    loop.exec();
    return idle ? timer.nsecsElapsed() / 1e9 : -1;
}

void resolveRows(benchmark::State &state, const QString &book)
{
    AddressBookContactResolver resolver(book);
    int first = 0;
    for (auto _ : state) {
        for (int row = 0; row < visibleRows; ++row) {
            const auto contacts =
                resolver.contactsFor(cellular, calledNumber((first + row * 397) % contactCount));
            if (contacts.size() != 1)
                state.SkipWithError("wrong match");
        }
        first = (first + 1) % contactCount;
    }
}

void resolveRowsOwnBook(benchmark::State &state)
{
    resolveRows(state, localBook);
}

void resolveRowsMirrorOfEds(benchmark::State &state)
{
    resolveRows(state, mirrorBook);
}

// One query per row, answered by EDS from its index of the numbers as written: the tail is the
// stored text's, as EDS does not compare dialable digits.
void queryRowsOfEds(benchmark::State &state)
{
    int first = 0;
    for (auto _ : state) {
        for (int row = 0; row < visibleRows; ++row) {
            const QString number = storedNumber((first + row * 397) % contactCount);
            if (eds->uidsWithNumberEndingWith(number.right(8)).size() != 1)
                state.SkipWithError("wrong match");
        }
        first = (first + 1) % contactCount;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    localBook = dir.filePath(QStringLiteral("own.db"));
    mirrorBook = dir.filePath(QStringLiteral("mirror.db"));

    EdsTestSession session;
    eds = &session;
    if (!session.start()) {
        std::fprintf(stderr, "bench_edscontacts: EDS did not start: %s\n",
                     qPrintable(session.errorString()));
        return 1;
    }
    QStringList cards;
    for (int i = 0; i < contactCount; ++i)
        cards << card(i);
    if (session.addContacts(cards).size() != contactCount) {
        std::fprintf(stderr, "bench_edscontacts: EDS did not take the contacts: %s\n",
                     qPrintable(session.errorString()));
        return 1;
    }
    const double saved = fillLocalBook();
    double mirrored = 0;
    double restarted = 0;
    {
        EdsContactsService service(mirrorBook);
        mirrored = mirrorEds(&service);
    }
    {
        EdsContactsService service(mirrorBook);
        restarted = mirrorEds(&service);
    }
    if (mirrored < 0 || restarted < 0) {
        std::fprintf(stderr, "bench_edscontacts: the mirror did not get in step\n");
        return 1;
    }

    benchmark::RegisterBenchmark("resolveRowsOwnBook", resolveRowsOwnBook);
    benchmark::RegisterBenchmark("resolveRowsMirrorOfEds", resolveRowsMirrorOfEds);
    benchmark::RegisterBenchmark("queryRowsOfEds", queryRowsOfEds);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (%d contacts, %d visible rows):\n", contactCount, visibleRows);
    reporter.ratio("visible rows resolved on EDS (through its mirror)", "resolveRowsMirrorOfEds",
                   "resolveRowsOwnBook");
    reporter.ratio("visible rows asked of EDS, one query per row over D-Bus", "queryRowsOfEds",
                   "resolveRowsOwnBook");
    std::printf("%-60s %8.2f x saving them in our own book\n",
                "first reading of EDS's cards by the mirror", mirrored / saved);
    std::printf("%-60s %8.2f x saving them in our own book\n",
                "a later start of the mirror, in step already", restarted / saved);
    return 0;
}
