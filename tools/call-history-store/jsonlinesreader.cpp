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
    int line = 0;
    while (!file.atEnd()) {
        const QByteArray text = file.readLine().trimmed();
        ++line;
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
            return fail(QStringLiteral("line %1: %2").arg(line).arg(error));
        out->append(e);
        if ((line & 1023) == 0)
            progress->advance(file.pos());
    }
    progress->advance(file.size());
    return true;
}
