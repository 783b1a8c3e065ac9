// call-history-store: adds, lists, deletes, imports, exports and generates call history events
// in the history database, and keeps the block list of unwanted callers (block). Errors go to
// stderr; the exit status is 0 on success, 1 when the store fails (the reason is printed) and 2 on
// a usage error.

#include "accountpaths.h"
#include "addressbookcontactresolver.h"
#include "androidcalllogreader.h"
#include "blockcommand.h"
#include "eventfilter.h"
#include "eventgrouper.h"
#include "eventjson.h"
#include "eventstore.h"
#include "historygenerator.h"
#include "historyimporter.h"
#include "importprogress.h"
#include "jsonlinesreader.h"
#include "sqlitecallreader.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>

using CommHistory::Event;
using CommHistory::EventFilter;
using CommHistory::EventStore;

static const char Usage[] =
    "Commands:\n"
    "  add --direction in|out|unknown --start TIME [--end TIME | --duration SECS]\n"
    "      [--remote ID] [--account PATH] [--missed] [--read] [--video] [--emergency]\n"
    "  list [--type all|dialled|missed|received] [--grouped] [--since TIME] [--limit N]\n"
    "      [--json]\n"
    "  delete ID...\n"
    "  clear\n"
    "  import [FILE]     JSON Lines, one event per line (stdin without FILE or with -)\n"
    "  import --from FORMAT FILE [--account PATH] [--voip-account PATH] [--dry-run]\n"
    "      another phone program's history: gnome-calls (records.db), plasma-dialer\n"
    "      (calls.sqlite) or android-xml (a call-log backup); jsonl is the default.\n"
    "      Calls already stored (same direction, account, number and start time) are\n"
    "      skipped, so importing a file again adds nothing; cellular calls go on the\n"
    "      cellular account unless --account names another; internet (SIP) calls of\n"
    "      gnome-calls and plasma-dialer go on --voip-account, and are skipped and\n"
    "      counted without it (so are calls of other protocols). A file that cannot\n"
    "      be read adds nothing. --dry-run lists the calls it would add (JSON Lines).\n"
    "      Withheld numbers become private calls; Android's rejected, blocked and\n"
    "      voicemail calls become missed calls; every imported call is read.\n"
    "  export [FILE]     JSON Lines, oldest first (stdout without FILE or with -)\n"
    "  generate N [--seed S] [--voip-account PATH]\n";

static const char TimeFormats[] =
    "TIME: ISO 8601 (2026-03-01T10:00:00Z; without offset: local time), seconds since 1970\n"
    "or now.\n";

// The bounds add and import hold what they read to, from the constants that enforce them.
static QString usage()
{
    return QString::fromLatin1(Usage) + BlockCommand::usage() + QString::fromLatin1(TimeFormats) +
           QStringLiteral(
               "Limits: a number or address of at most %1 characters (add, import); with\n"
               "--from, a call from 1970 to 9999 of at most 100 days, at most %2 calls;\n"
               "a JSON line of at most %3 bytes; in android-xml no DTD, and a tag, text or\n"
               "comment of at most %4 bytes; in databases only real tables (no views, no\n"
               "computed columns) and values of at most %5 bytes.\n")
               .arg(int(Event::MaxRemoteUidLength))
               .arg(int(CallReader::MaxCalls))
               .arg(int(JsonLinesReader::MaxLineBytes))
               .arg(int(AndroidCallLogReader::MaxMarkupBytes))
               .arg(int(SqliteCallReader::MaxValueBytes));
}

static int fail(const QString &message, int status = 1)
{
    fprintf(stderr, "call-history-store: %s\n", qPrintable(message));
    return status;
}

static int storeFailed(const EventStore &store)
{
    return fail(store.errorString());
}

static int add(EventStore &store, const QCommandLineParser &p)
{
    QJsonObject o;
    o.insert("direction", p.value("direction"));
    o.insert("remote", p.value("remote"));
    o.insert("account", p.value("account"));
    o.insert("start", p.value("start"));
    if (p.isSet("end"))
        o.insert("end", p.value("end"));
    o.insert("missed", p.isSet("missed"));
    o.insert("read", p.isSet("read"));
    o.insert("video", p.isSet("video"));
    o.insert("emergency", p.isSet("emergency"));
    if (!p.isSet("direction") || !p.isSet("start"))
        return fail("add needs --direction and --start", 2);
    if (p.isSet("duration")) {
        bool ok = false;
        const qint64 duration = p.value("duration").toLongLong(&ok);
        qint64 start = 0;
        if (!ok || duration < 0 || p.isSet("end"))
            return fail("--duration needs a number of seconds, and not --end", 2);
        if (!EventJson::parseTime(p.value("start"), &start))
            return fail("--start is not a time", 2);
        o.insert("end", QString::number(start + duration));
    }
    Event e;
    QString error;
    if (!EventJson::fromJson(o, &e, &error))
        return fail(error, 2);
    if (!store.addEvent(e))
        return storeFailed(store);
    printf("%d\n", e.id());
    return 0;
}

static int callKind(const QString &type)
{
    if (type.isEmpty() || type == QLatin1String("all"))
        return EventFilter::AnyKind;
    if (type == QLatin1String("dialled") || type == QLatin1String("dialed"))
        return EventFilter::Dialled;
    if (type == QLatin1String("missed"))
        return EventFilter::Missed;
    if (type == QLatin1String("received"))
        return EventFilter::Received;
    return -1;
}

static QString kindName(const Event &e)
{
    switch (EventFilter::kindOf(e)) {
    case EventFilter::Dialled:
        return QStringLiteral("dialled");
    case EventFilter::Missed:
        return QStringLiteral("missed");
    default:
        return QStringLiteral("received");
    }
}

static void printRow(QTextStream &out, const Event &e, bool json, bool grouped)
{
    if (json) {
        out << QJsonDocument(EventJson::toJson(e, grouped)).toJson(QJsonDocument::Compact) << '\n';
        return;
    }
    QStringList flags;
    if (!e.isRead())
        flags << "unread";
    if (e.isVideoCall())
        flags << "video";
    if (e.isEmergencyCall())
        flags << "emergency";
    const QString when =
        QDateTime::fromSecsSinceEpoch(e.endTimeT()).toString("yyyy-MM-dd HH:mm:ss");
    const qint64 duration = e.endTimeT() - e.startTimeT();
    QString remote = e.remoteUid().isEmpty() ? QStringLiteral("(private)") : e.remoteUid();
    if (grouped && e.eventCount() > 1)
        remote += QStringLiteral(" (%1)").arg(e.eventCount());
    QStringList names;
    for (const Event::Contact &c : e.contacts())
        names << c.second;
    if (!names.isEmpty())
        remote += QStringLiteral(" \"%1\"").arg(names.join(QStringLiteral("\", \"")));
    out << qSetFieldWidth(7) << right << e.id() << qSetFieldWidth(0) << "  " << when << "  "
        << qSetFieldWidth(8) << left << kindName(e) << qSetFieldWidth(7) << right
        << QStringLiteral("%1:%2").arg(duration / 60).arg(duration % 60, 2, 10, QChar('0'))
        << qSetFieldWidth(0) << left << "  " << remote << "  " << e.localUid();
    if (!flags.isEmpty())
        out << "  [" << flags.join(',') << ']';
    out << '\n';
}

static int list(EventStore &store, const QCommandLineParser &p)
{
    const int kind = callKind(p.value("type"));
    if (kind < 0)
        return fail("--type must be all, dialled, missed or received", 2);
    qint64 since = 0;
    if (p.isSet("since") && !EventJson::parseTime(p.value("since"), &since))
        return fail("--since is not a time", 2);
    bool ok = true;
    const int limit = p.isSet("limit") ? p.value("limit").toInt(&ok) : -1;
    if (!ok || (p.isSet("limit") && limit < 0))
        return fail("--limit must be a number", 2);
    const EventFilter filter(kind,
                             p.isSet("since") ? QDateTime::fromSecsSinceEpoch(since) : QDateTime());
    const bool grouped = p.isSet("grouped");
    const bool json = p.isSet("json");

    QTextStream out(stdout);
    out.setCodec("UTF-8");
    // Read in pages; a collapsed row is printed once its last call has been read.
    QVector<Event> pending;
    int printed = 0;
    Event after;
    const int page = 1000;
    // Calls are shown with the address-book contacts their party matches, as the program does.
    AddressBookContactResolver contacts;
    auto flush = [&]() {
        if (!pending.isEmpty() && (limit < 0 || printed < limit)) {
            Event shown = CommHistory::EventGrouper::makeRow(pending).shown;
            shown.setContacts(contacts.contactsFor(shown.localUid(), shown.remoteUid()));
            printRow(out, shown, json, grouped);
            ++printed;
        }
        pending.clear();
    };
    while (limit < 0 || printed < limit) {
        QList<Event> events;
        if (!store.events(filter, after, page, &events))
            return storeFailed(store);
        for (const Event &e : qAsConst(events)) {
            if (!pending.isEmpty() &&
                !(grouped && CommHistory::EventGrouper::sameGroup(pending.constLast(), e)))
                flush();
            pending.append(e);
        }
        if (events.size() < page)
            break;
        after = events.constLast();
    }
    flush();
    return 0;
}

static int remove(EventStore &store, const QStringList &args)
{
    if (args.isEmpty())
        return fail("delete needs at least one event id", 2);
    QList<int> ids;
    for (const QString &a : args) {
        bool ok = false;
        const int id = a.toInt(&ok);
        if (!ok)
            return fail(QStringLiteral("not an event id: %1").arg(a), 2);
        ids.append(id);
    }
    QList<Event> found;
    if (!store.eventsById(ids, &found))
        return storeFailed(store);
    if (found.size() != ids.size())
        return fail("no event with that id");
    return store.deleteEvents(ids) ? 0 : storeFailed(store);
}

static int import(EventStore &store, const QCommandLineParser &p, const QStringList &args)
{
    if (args.size() > 1)
        return fail("import takes one file", 2);
    const QString format = p.isSet("from") ? p.value("from") : HistoryImporter::formats().first();
    if (!HistoryImporter::formats().contains(format))
        return fail(QStringLiteral("--from must be one of %1")
                        .arg(HistoryImporter::formats().join(QLatin1String(", "))),
                    2);
    const bool jsonLines = format == HistoryImporter::formats().first();
    if (!jsonLines && args.isEmpty())
        return fail(QStringLiteral("import --from %1 needs a file").arg(format), 2);
    const QString account = p.isSet("account") ? p.value("account") : cellularAccountPath();
    if (!account.startsWith('/'))
        return fail("--account needs an account path", 2);
    const QString voipAccount = p.value("voip-account");
    if (p.isSet("voip-account") && !voipAccount.startsWith('/'))
        return fail("--voip-account needs an account path", 2);
    // Internet calls called back over the modem would dial a SIP user's number.
    if (p.isSet("voip-account") && (voipAccount == account || voipAccount == cellularAccountPath()))
        return fail("--voip-account must name another account than the cellular calls'", 2);
    const bool dryRun = p.isSet("dry-run");
    ImportProgress progress;
    HistoryImporter importer(&store, &progress);
    if (!importer.import(format, args.value(0), account, voipAccount, dryRun))
        return fail(importer.errorString());
    if (dryRun) {
        for (const Event &e : importer.added()) {
            QJsonObject o = EventJson::toJson(e);
            o.remove("id");
            printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
        }
    }
    const int known = importer.readCount() - importer.added().size();
    QString skipped;
    const QMap<QString, int> left = importer.skipped();
    for (auto it = left.cbegin(); it != left.cend(); ++it)
        skipped += QStringLiteral("; skipped %1 %2").arg(it.value()).arg(it.key());
    fprintf(stderr, "call-history-store: %s %d of %d calls%s%s\n", dryRun ? "would add" : "added",
            importer.added().size(), importer.readCount(),
            known ? qPrintable(QStringLiteral(" (%1 stored already)").arg(known)) : "",
            qPrintable(skipped));
    return 0;
}

static int exportTo(EventStore &store, const QString &name)
{
    QFile file;
    const bool stdoutput = name.isEmpty() || name == QLatin1String("-");
    const bool opened =
        stdoutput ? file.open(stdout, QIODevice::WriteOnly)
                  : (file.setFileName(name), file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened)
        return fail(QStringLiteral("%1: %2").arg(name, file.errorString()));
    // Newest first in pages, then written oldest first, as an import adds them.
    QList<Event> all;
    Event after;
    for (;;) {
        QList<Event> events;
        if (!store.events(EventFilter(), after, 5000, &events))
            return storeFailed(store);
        all += events;
        if (events.size() < 5000)
            break;
        after = events.constLast();
    }
    for (int i = all.size() - 1; i >= 0; --i)
        file.write(QJsonDocument(EventJson::toJson(all.at(i))).toJson(QJsonDocument::Compact) +
                   '\n');
    return file.flush() ? 0 : fail(file.errorString());
}

static int generate(EventStore &store, const QCommandLineParser &p, const QStringList &args)
{
    bool ok = false;
    const int count = args.value(0).toInt(&ok);
    if (args.size() != 1 || !ok || count < 0)
        return fail("generate needs a number of events", 2);
    const quint32 seed = p.isSet("seed") ? p.value("seed").toUInt(&ok) : 1;
    if (!ok)
        return fail("--seed must be a number", 2);
    HistoryGenerator generator(seed, QDateTime::currentSecsSinceEpoch());
    if (p.isSet("voip-account")) {
        if (!p.value("voip-account").startsWith('/'))
            return fail("--voip-account needs an account path", 2);
        generator.setVoipAccount(p.value("voip-account"));
    }
    QList<Event> events = generator.generate(count);
    return store.addEvents(events) ? 0 : storeFailed(store);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("call-history-store");
    QCommandLineParser p;
    p.setApplicationDescription("Reads and writes the call history database.\n\n" + usage());
    p.addHelpOption();
    p.addOptions({
        {"db",
         "The database (default: $CALL_HISTORY_DB, else "
         "$XDG_DATA_HOME/call-history/history.db).",
         "path"},
        {"direction", "add: in, out or unknown.", "direction"},
        {"remote", "add: the other party's number or address (at most 256 characters).", "id"},
        {"account",
         "add, import: the account path (import: of the cellular calls, default the cellular "
         "account).",
         "path"},
        {"start", "add: start time.", "time"},
        {"end", "add: end time.", "time"},
        {"duration", "add: duration in seconds.", "secs"},
        {"missed", "add: a missed call."},
        {"read", "add: already seen."},
        {"video", "add: a video call."},
        {"emergency", "add: an emergency call."},
        {"type", "list: all, dialled, missed or received.", "type"},
        {"grouped", "list: collapse repeated calls as the call history does."},
        {"since", "list: only calls that ended at or after this time.", "time"},
        {"limit", "list: at most this many rows.", "n"},
        {"json", "list: JSON Lines instead of a table."},
        {"from", "import: jsonl, gnome-calls, plasma-dialer or android-xml.", "format"},
        {"dry-run", "import: store nothing, list the calls that would be added."},
        {"seed", "generate: random seed (default 1).", "n"},
        {"voip-account",
         "generate: the account path of the internet calls (default: the demo profile's, " +
             HistoryGenerator::defaultVoipAccount() +
             "); import: the account of the internet (SIP) calls, skipped without it.",
         "path"},
    });
    p.addPositionalArgument("command",
                            "add, list, delete, clear, import, export, generate or block.");
    if (!p.parse(app.arguments()))
        return fail(p.errorText(), 2);
    if (p.isSet("help")) {
        printf("%s\n", qPrintable(p.helpText()));
        return 0;
    }
    QStringList args = p.positionalArguments();
    if (args.isEmpty())
        return fail(QStringLiteral("no command given\n") + usage(), 2);
    const QString command = args.takeFirst();
    if (command == "block") {
        // The block list is in dconf, not in the history: the store is left alone.
        QTextStream out(stdout);
        QTextStream err(stderr);
        return BlockCommand::run(args, out, err);
    }
    static const QStringList commands{"add",    "list",   "delete",  "clear",
                                      "import", "export", "generate"};
    if (!commands.contains(command))
        return fail(QStringLiteral("unknown command %1\n").arg(command) + usage(), 2);

    EventStore store(p.value("db"));
    // A short-lived process: its announcement must be on the bus before it exits.
    store.setWaitForDelivery(true);
    if (!store.open())
        return storeFailed(store);
    if (command == "add")
        return add(store, p);
    if (command == "list")
        return list(store, p);
    if (command == "delete")
        return remove(store, args);
    if (command == "clear")
        return store.deleteAll() ? 0 : storeFailed(store);
    if (command == "import")
        return import(store, p, args);
    if (command == "export")
        return exportTo(store, args.value(0));
    return generate(store, p, args);
}
