#include "blockcommand.h"

#include "blocklist.h"

#include <QTextStream>

using Blocking::BlockList;

namespace {
const char Withheld[] = "withheld";
const char NonContacts[] = "not-in-address-book";

int failed(QTextStream &err, const QString &what, int status)
{
    err << "call-history-store: block: " << what << '\n';
    return status;
}
} // namespace

QString BlockCommand::usage()
{
    return QStringLiteral(
               "  block list        the blocked entries, one a line, then the switches that are "
               "on\n"
               "  block add|remove ENTRY...  an incoming call from a blocked caller is ended "
               "before\n"
               "      it rings and kept in the history as a blocked missed call. ENTRY: a number\n"
               "      (matched in any written form), a prefix (+44*), withheld (callers without a\n"
               "      number) or not-in-address-book (callers no contact has; see days).\n"
               "      Emergency and voicemail numbers are never blocked. At most %1 entries.\n"
               "  block days N      a caller called within N days (0 to %2, default %3) is let\n"
               "      through not-in-address-book.\n")
        .arg(int(BlockList::MaxEntries))
        .arg(int(BlockList::MaxCalledBackDays))
        .arg(int(BlockList::DefaultCalledBackDays));
}

int BlockCommand::run(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString sub = args.value(0);
    const QStringList rest = args.mid(1);
    BlockList list;
    QString error;
    if (sub == QLatin1String("list") && rest.isEmpty()) {
        for (const QString &entry : list.entries())
            out << entry << '\n';
        if (list.blocksWithheld())
            out << Withheld << '\n';
        if (list.blocksNonContacts())
            out << NonContacts << " (called within " << list.calledBackDays()
                << " days lets through)\n";
        return 0;
    }
    if (sub == QLatin1String("days") && rest.size() == 1) {
        bool ok = false;
        const int days = rest.first().toInt(&ok);
        if (!ok)
            return failed(err, QStringLiteral("days takes a number of days"), 2);
        return list.setCalledBackDays(days, &error) ? 0 : failed(err, error, 1);
    }
    const bool add = sub == QLatin1String("add");
    if ((!add && sub != QLatin1String("remove")) || rest.isEmpty())
        return failed(err, QStringLiteral("use list, add ENTRY..., remove ENTRY... or days N"), 2);
    // Checked all before any is changed.
    for (const QString &arg : rest) {
        if (arg != QLatin1String(Withheld) && arg != QLatin1String(NonContacts) &&
            BlockList::canonicalEntry(arg, &error).isEmpty())
            return failed(
                err, QStringLiteral("%1: %2").arg(arg.left(BlockList::MaxEntryLength), error), 1);
    }
    for (const QString &arg : rest) {
        bool ok;
        if (arg == QLatin1String(Withheld))
            ok = list.setBlocksWithheld(add, &error);
        else if (arg == QLatin1String(NonContacts))
            ok = list.setBlocksNonContacts(add, &error);
        else
            ok = add ? list.add(arg, &error) : list.remove(arg, &error);
        if (!ok)
            return failed(err, error, 1);
    }
    return 0;
}
