#include "contactdetailtext.h"

#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

using namespace QtContacts;

QString ContactDetailText::value(const QContactDetail &detail)
{
    if (detail.type() == QContactDetail::TypePhoneNumber)
        return static_cast<const QContactPhoneNumber &>(detail).number();
    if (detail.type() == QContactDetail::TypeOnlineAccount)
        return static_cast<const QContactOnlineAccount &>(detail).accountUri();
    return QString();
}

QString ContactDetailText::kind(const QContactDetail &detail)
{
    if (detail.type() == QContactDetail::TypeOnlineAccount)
        return qtTrId("qtn_cont_type_chat");
    if (detail.type() != QContactDetail::TypePhoneNumber)
        return QString();
    // As the call history reads kinds: a sub-type says more than a context.
    const QList<int> subTypes = static_cast<const QContactPhoneNumber &>(detail).subTypes();
    if (subTypes.contains(QContactPhoneNumber::SubTypeMobile))
        return qtTrId("qtn_comm_type_mobile");
    if (subTypes.contains(QContactPhoneNumber::SubTypeFax))
        return qtTrId("qtn_comm_type_fax");
    const QList<int> contexts = detail.contexts();
    if (contexts.contains(QContactDetail::ContextHome))
        return qtTrId("qtn_comm_type_home");
    if (contexts.contains(QContactDetail::ContextWork))
        return qtTrId("qtn_comm_type_work");
    return qtTrId("qtn_cont_type_other");
}

QString ContactDetailText::leftToRight(const QString &value)
{
    if (value.isEmpty())
        return value;
    // Without letters (a number), also laid out left to right character by character: groups
    // of Arabic-Indic digits would trade places otherwise.
    for (const QChar c : value) {
        if (c.isLetter())
            return QChar(0x2066) + value + QChar(0x2069);
    }
    return QString(QChar(0x2066)) + QChar(0x202d) + value + QChar(0x202c) + QChar(0x2069);
}

namespace {
std::function<QString(const QString &)> &numberFormatter()
{
    static std::function<QString(const QString &)> formatter;
    return formatter;
}
} // namespace

void ContactDetailText::setNumberFormatter(const std::function<QString(const QString &)> &formatter)
{
    numberFormatter() = formatter;
}

QString ContactDetailText::shownNumber(const QString &number)
{
    const auto &formatter = numberFormatter();
    return leftToRight(formatter ? formatter(number) : number);
}

QString ContactDetailText::shownValue(const QContactDetail &detail)
{
    const QString text = value(detail);
    return detail.type() == QContactDetail::TypePhoneNumber ? shownNumber(text) : leftToRight(text);
}

bool ContactDetailText::isAddress(const QContactDetail &detail)
{
    return addressTypes().contains(detail.type());
}

QList<QContactDetail::DetailType> ContactDetailText::addressTypes()
{
    return {QContactDetail::TypePhoneNumber, QContactDetail::TypeOnlineAccount};
}
