#include "spiedlocalids.h"

#include "contactsengine.h"

#include <QSignalSpy>
#include <QStringList>

QString spiedLocalIds(const QSignalSpy &spy)
{
    QStringList calls;
    for (const QList<QVariant> &call : spy) {
        QStringList ids;
        for (QContactLocalId id :
             ContactsEngine::toLocalIds(call.at(0).value<QList<QtContacts::QContactId>>()))
            ids << QString::number(id);
        calls << ids.join(QLatin1Char(','));
    }
    return calls.join(QLatin1Char(';'));
}
