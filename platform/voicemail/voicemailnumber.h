#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One voicemail number as the voicemail service keeps it: the number as the user entered it
// (any written form: "+358 40 123", "*31#0401234", native digits).
//
// Limits: a plain value; the service validates numbers when they are set, not here.
class VoicemailNumber
{
public:
    VoicemailNumber() = default;
    explicit VoicemailNumber(const QString &number) : m_number(number) {}

    QString number() const { return m_number; }

    bool operator==(const VoicemailNumber &other) const { return m_number == other.m_number; }
    bool operator!=(const VoicemailNumber &other) const { return !(*this == other); }

    // The numbers of a list, in order.
    static QStringList toStringList(const QList<VoicemailNumber> &numbers);
    static QList<VoicemailNumber> fromStringList(const QStringList &numbers);

private:
    QString m_number;
};

Q_DECLARE_METATYPE(VoicemailNumber)
Q_DECLARE_METATYPE(QList<VoicemailNumber>)
