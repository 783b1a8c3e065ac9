#include "androidcalllogreader.h"

#include "importprogress.h"

#include <QFile>
#include <QXmlStreamReader>

using CommHistory::Event;

namespace {

// A whole number attribute; absent gives fallback, or an error when there is none.
bool number(const QXmlStreamAttributes &attributes, const char *name, qint64 *out, QString *error,
            bool required = true, qint64 fallback = 0)
{
    const QLatin1String key(name);
    if (!attributes.hasAttribute(key)) {
        *out = fallback;
        if (required)
            *error = QStringLiteral("a call without \"%1\"").arg(key);
        return !required;
    }
    bool ok = false;
    *out = attributes.value(key).trimmed().toLongLong(&ok);
    if (!ok)
        *error = QStringLiteral("\"%1\" is not a whole number: %2")
                     .arg(key, attributes.value(key).left(40).toString());
    return ok;
}

} // namespace

bool AndroidCallLogReader::readCall(QXmlStreamReader &xml, Event *event, QString *error) const
{
    const QXmlStreamAttributes a = xml.attributes();
    qint64 date = 0, duration = 0, type = 0, presentation = 1, features = 0;
    if (!number(a, "date", &date, error) || !number(a, "type", &type, error) ||
        !number(a, "duration", &duration, error, false) ||
        !number(a, "presentation", &presentation, error, false, 1) ||
        !number(a, "features", &features, error, false))
        return false;
    // Between 1970 and 9999, in milliseconds.
    if (date < 0 || date > 253402300799999LL) {
        *error = QStringLiteral("\"date\" is out of range: %1").arg(date);
        return false;
    }
    if (duration < 0 || duration > 100LL * 24 * 3600) {
        *error = QStringLiteral("\"duration\" is not a call's length in seconds: %1").arg(duration);
        return false;
    }
    Event e;
    e.setType(Event::CallEvent);
    switch (type) {
    case 1: // incoming
    case 7: // answered on another device
        e.setDirection(Event::Inbound);
        break;
    case 2: // outgoing
        e.setDirection(Event::Outbound);
        break;
    case 3: // missed
    case 4: // voicemail
    case 5: // rejected
    case 6: // blocked
        e.setDirection(Event::Inbound);
        e.setIsMissedCall(true);
        break;
    default:
        *error = QStringLiteral("unknown call type %1").arg(type);
        return false;
    }
    const QString number = a.value(QLatin1String("number")).trimmed().toString();
    static const QStringList Withheld{QString(), QStringLiteral("-1"), QStringLiteral("-2"),
                                      QStringLiteral("-3")};
    e.setRemoteUid(presentation != 1 || Withheld.contains(number) ? QString() : number);
    e.setLocalUid(m_account);
    const qint64 start = date / 1000;
    e.setStartTimeT(start);
    e.setEndTimeT(start + duration);
    e.setIsVideoCall(features & 1);
    e.setIsRead(true);
    *event = e;
    return true;
}

bool AndroidCallLogReader::read(const QString &fileName, ImportProgress *progress,
                                QList<Event> *out)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    progress->begin(QStringLiteral("reading %1").arg(fileName), file.size(), 1 << 20);
    QXmlStreamReader xml(&file);
    auto failAtLine = [&](const QString &error) {
        return fail(
            QStringLiteral("%1: line %2: %3").arg(fileName).arg(xml.lineNumber()).arg(error));
    };
    if (!xml.readNextStartElement()) {
        if (xml.hasError())
            return failAtLine(xml.errorString());
        return fail(QStringLiteral("%1: no XML element in the file").arg(fileName));
    }
    if (xml.name() != QLatin1String("calls"))
        return failAtLine(QStringLiteral("not an Android call log: the root element is <%1>, "
                                         "not <calls>")
                              .arg(xml.name().toString()));
    int calls = 0;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("call")) {
            Event e;
            QString error;
            if (!readCall(xml, &e, &error))
                return failAtLine(error);
            out->append(e);
            if ((++calls & 1023) == 0)
                progress->advance(file.pos());
        }
        xml.skipCurrentElement();
    }
    // The rest of the document must be well-formed too: nothing is imported from a cut file.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return failAtLine(xml.errorString());
    progress->advance(file.size());
    return true;
}
