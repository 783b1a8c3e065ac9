#include "androidcalllogreader.h"

#include "callbounds.h"
#include "importprogress.h"

#include <QFile>
#include <QXmlStreamReader>

using CommHistory::Event;

namespace {

// The file is given to the XML reader this many bytes at a time.
const int ChunkBytes = 4096;

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
    if (duration < 0) {
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
    const QString remote = presentation != 1 || Withheld.contains(number) ? QString() : number;
    // Whole seconds, rounded down also before 1970 (where the division would round up).
    const qint64 start = date >= 0 ? date / 1000 : -1 - (-1 - date) / 1000;
    if (!CallBounds::check(remote, start, duration, error))
        return false;
    e.setRemoteUid(remote);
    e.setLocalUid(m_account);
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
    // Fed by hand rather than from the file: the reader keeps an unfinished piece of markup (a
    // tag with its attributes, a text, a comment) in memory until it ends, so the pieces are
    // bounded here.
    QXmlStreamReader xml;
    qint64 unfinished = 0; // bytes given to the reader since it last finished a piece
    bool tooLong = false;
    // The next token; Invalid at an error, at the end of the file before the end of the
    // document, or (tooLong) at a piece longer than the bound.
    auto next = [&]() {
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token != QXmlStreamReader::Invalid ||
                xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                unfinished = 0;
                return token;
            }
            const QByteArray chunk = file.read(ChunkBytes);
            if (chunk.isEmpty())
                return token;
            if ((unfinished += chunk.size()) > MaxMarkupBytes) {
                tooLong = true;
                return QXmlStreamReader::Invalid;
            }
            xml.addData(chunk);
        }
    };
    auto failAtLine = [&](const QString &error) {
        return fail(
            QStringLiteral("%1: line %2: %3").arg(fileName).arg(xml.lineNumber()).arg(error));
    };
    int depth = 0;
    bool started = false; // the root element was found
    int calls = 0;
    QXmlStreamReader::TokenType token;
    while ((token = next()) != QXmlStreamReader::EndDocument &&
           token != QXmlStreamReader::Invalid) {
        // A call log has no use for entities; declaring them is how a small file expands to
        // gigabytes.
        if (token == QXmlStreamReader::DTD)
            return failAtLine(QStringLiteral("a document type declaration (DTD): a call log has "
                                             "none, and its entities are not read"));
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        started = true;
        if (++depth == 1 && xml.name() != QLatin1String("calls"))
            return failAtLine(QStringLiteral("not an Android call log: the root element is <%1>, "
                                             "not <calls>")
                                  .arg(xml.name().left(40).toString()));
        if (depth != 2 || xml.name() != QLatin1String("call"))
            continue;
        if (calls == MaxCalls)
            return failAtLine(tooManyCalls());
        Event e;
        QString error;
        if (!readCall(xml, &e, &error))
            return failAtLine(error);
        out->append(e);
        if ((++calls & 1023) == 0)
            progress->advance(file.pos());
    }
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    if (tooLong)
        return failAtLine(
            QStringLiteral("a tag, text or comment longer than %1 bytes").arg(int(MaxMarkupBytes)));
    // Nothing is imported from a cut file: the document must end. What follows the end of
    // <calls> is not read.
    if (token == QXmlStreamReader::Invalid)
        return failAtLine(xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && !started
                              ? QStringLiteral("no XML element in the file")
                              : xml.errorString());
    progress->advance(file.size());
    return true;
}
