#include "jsonlinesreader.h"

#include "eventjson.h"
#include "importprogress.h"

#include <QFile>
#include <QJsonDocument>

using CommHistory::Event;

bool JsonLinesReader::read(const QString &name, ImportProgress *progress, QList<Event> *out)
{
    QFile file;
    const bool stdinput = name.isEmpty() || name == QLatin1String("-");
    const bool opened = stdinput ? file.open(stdin, QIODevice::ReadOnly)
                                 : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened)
        return fail(QStringLiteral("%1: %2").arg(name, file.errorString()));
    progress->begin(QStringLiteral("reading %1").arg(name), stdinput ? 0 : file.size(), 1 << 20);
    const QString label = stdinput ? QStringLiteral("standard input") : name;
    // Room for the bound, the line break, one byte more to tell a line that is too long, and
    // the terminating zero readLine() writes.
    QByteArray buffer(MaxLineBytes + 3, Qt::Uninitialized);
    int line = 0;
    while (!file.atEnd()) {
        const qint64 length = file.readLine(buffer.data(), buffer.size());
        if (length <= 0) {
            // A pipe may end without telling atEnd() first.
            if (file.error() == QFileDevice::NoError)
                break;
            return fail(
                QStringLiteral("%1: line %2: %3").arg(label).arg(line + 1).arg(file.errorString()));
        }
        ++line;
        const bool broken = length > 0 && buffer.at(int(length) - 1) == '\n';
        if (length - (broken ? 1 : 0) > MaxLineBytes)
            return fail(QStringLiteral("%1: line %2: longer than %3 bytes (a call takes one short "
                                       "line)")
                            .arg(label)
                            .arg(line)
                            .arg(int(MaxLineBytes)));
        const QByteArray text = QByteArray::fromRawData(buffer.constData(), int(length)).trimmed();
        if (text.isEmpty())
            continue;
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
        QString error = parseError.error == QJsonParseError::NoError
                            ? (doc.isObject() ? QString() : QStringLiteral("not a JSON object"))
                            : parseError.errorString();
        Event e;
        if (error.isEmpty())
            EventJson::fromJson(doc.object(), &e, &error);
        if (!error.isEmpty())
            return fail(QStringLiteral("%1: line %2: %3").arg(label).arg(line).arg(error));
        out->append(e);
        if ((line & 1023) == 0)
            progress->advance(file.pos());
    }
    progress->advance(file.size());
    return true;
}
