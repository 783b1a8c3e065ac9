#include "voicemailnumber.h"

#include <QStringList>

QStringList VoicemailNumber::toStringList(const QList<VoicemailNumber> &numbers)
{
    QStringList list;
    list.reserve(numbers.size());
    for (const VoicemailNumber &number : numbers)
        list.append(number.number());
    return list;
}

QList<VoicemailNumber> VoicemailNumber::fromStringList(const QStringList &numbers)
{
    QList<VoicemailNumber> list;
    list.reserve(numbers.size());
    for (const QString &number : numbers)
        list.append(VoicemailNumber(number));
    return list;
}
