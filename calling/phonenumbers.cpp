#include "phonenumbers.h"

#include "emergencynumbers.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>

namespace {

const QLatin1String SipScheme("sip:");
const QLatin1String SipsScheme("sips:");
const QLatin1String PhoneContext("phone-context=");
const QLatin1String HideIdentity("*31#");
const QLatin1String ShowIdentity("#31#");

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Characters a phone number may hold wherever it comes from.
bool isAlwaysCopied(char c)
{
    return c != '\0' && QByteArrayLiteral("pPwWxX,#*+ ()-").contains(c);
}

// Pause, wait and extension characters: what follows them is not dialled as the number.
bool isPauseOrWait(char c)
{
    return c != '\0' && QByteArrayLiteral("pPwWxX,").contains(c);
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Every "%XX" escape replaced by the Latin-1 character of that byte; everything else unchanged.
QString percentDecoded(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('%') && i + 2 < text.size() &&
            hexValue(text.at(i + 1)) >= 0 && hexValue(text.at(i + 2)) >= 0) {
            out += QChar(ushort(hexValue(text.at(i + 1)) * 16 + hexValue(text.at(i + 2))));
            i += 2;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

// A "phone-context" value that is a global number prefix: "+" and digits with separators.
bool isGlobalNumberPrefix(const QByteArray &context)
{
    if (!context.startsWith('+'))
        return false;
    bool hasDigit = false;
    for (int i = 1; i < context.size(); ++i) {
        const char c = context.at(i);
        if (isAsciiDigit(c))
            hasDigit = true;
        else if (c != '-' && c != '(' && c != ')' && c != ' ')
            return false;
    }
    return hasDigit;
}

// The number prefix of a SIP URI parameter list that starts with `parameters`, or empty.
QByteArray phoneContextPrefix(const QByteArray &parameters, const QByteArray &localNumber)
{
    if (!parameters.startsWith(PhoneContext.data()))
        return QByteArray();
    QByteArray context = parameters.mid(PhoneContext.size());
    const int nul = context.indexOf('\0');
    if (nul >= 0)
        context.truncate(nul);
    const int semicolon = context.indexOf(';');
    if (semicolon >= 0)
        context.truncate(semicolon);
    // A context only completes a local number; a domain name is no number prefix.
    if (localNumber.trimmed().startsWith('+') || !isGlobalNumberPrefix(context))
        return QByteArray();
    return context;
}

Cellular::EmergencyNumbers *emergencyNumberSource()
{
    static QPointer<Cellular::EmergencyNumbers> source;
    if (!source)
        source = new Cellular::EmergencyNumbers(QCoreApplication::instance());
    return source;
}

} // namespace

QString phoneNumberFromAddress(const QString &address)
{
    QString work = address;
    bool sip = false;
    if (work.startsWith(SipScheme)) {
        work.remove(0, SipScheme.size());
        sip = true;
    } else if (work.startsWith(SipsScheme)) {
        work.remove(0, SipsScheme.size());
        sip = true;
    }
    if (sip) {
        work = percentDecoded(work);
        const int at = work.indexOf(QLatin1Char('@'));
        if (at >= 0)
            work.truncate(at);
    }

    // Characters outside Latin-1 become '?', which no number holds.
    const QByteArray bytes = work.toLatin1();
    QByteArray result;
    result.reserve(bytes.size());
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (isAlwaysCopied(c) || isAsciiDigit(c)) {
            result += c;
        } else if (!sip && (c == '.' || c == '/')) {
            result += c;
        } else if (sip && (c == '@' || c == ';')) {
            result.prepend(phoneContextPrefix(bytes.mid(i + 1), result));
            break;
        } else {
            return QString();
        }
    }
    const QString number = QString::fromLatin1(result).trimmed();
    return number.size() < 4 ? QString() : number;
}

QString dialDigits(const QString &number, bool extract)
{
    QByteArray source = (extract ? phoneNumberFromAddress(number) : number).toLatin1();
    if (source.startsWith(HideIdentity.data()) || source.startsWith(ShowIdentity.data()))
        source.remove(0, 4);
    QString digits;
    for (const char c : qAsConst(source)) {
        if (isPauseOrWait(c))
            break;
        if (isAsciiDigit(c))
            digits += QLatin1Char(c);
    }
    return digits;
}

QString normalizedNumber(const QString &number)
{
    const QString digits = dialDigits(number, false);
    return digits.isEmpty() ? dialDigits(number, true) : digits;
}

bool isPhoneNumber(const QString &address)
{
    return !phoneNumberFromAddress(address).isEmpty();
}

bool isValidNumber(const QString &number)
{
    if (number.isEmpty())
        return false;
    QString s = number;
    if (s.startsWith(HideIdentity) || s.startsWith(ShowIdentity))
        s.remove(0, 4);
    if (s.startsWith(QLatin1Char('+')))
        s.remove(0, 1);

    const QString separators = QStringLiteral(" ()./-");
    const QString digitChars = QStringLiteral("0123456789*#");
    int i = 0;
    int digits = 0;
    for (; i < s.size(); ++i) {
        if (separators.contains(s.at(i)))
            continue;
        if (!digitChars.contains(s.at(i)))
            break;
        ++digits;
    }
    if (digits < 1 || digits > 20)
        return false;

    const QString tailChars = QStringLiteral("0123456789*#pxw,");
    int tail = 0;
    for (; i < s.size(); ++i) {
        if (separators.contains(s.at(i)))
            continue;
        if (!tailChars.contains(s.at(i), Qt::CaseInsensitive))
            return false;
        ++tail;
    }
    return tail != 1;
}

bool isInternationalNumber(const QString &address)
{
    QByteArray bytes = phoneNumberFromAddress(address).toLatin1();
    for (const char c : {'p', 'P', 'w', 'W', 'x', 'X', ','}) {
        const int at = bytes.indexOf(c);
        if (at >= 0) {
            bytes.truncate(at);
            break;
        }
    }
    const int hash = bytes.lastIndexOf('#');
    if (hash >= 0)
        bytes = bytes.mid(hash + 1);
    return (bytes.startsWith("00") || bytes.startsWith('+')) &&
           isValidNumber(QString::fromLatin1(bytes.constData()));
}

bool isEmergencyNumber(const QString &number)
{
    QStringList list = emergencyNumberSource()->numbers();
    list << QStringLiteral("urn:service:sos");
    return list.contains(number) || list.contains(normalizedNumber(number));
}

QString emergencyNumberToDial(const QString &number)
{
    const QStringList list = emergencyNumberSource()->numbers();
    if (list.contains(number))
        return number;
    const QString digits = normalizedNumber(number);
    if (list.contains(digits))
        return digits;
    if (number != QLatin1String("urn:service:sos"))
        return QString();
    // The list is never empty.
    return list.contains(QStringLiteral("112")) ? QStringLiteral("112") : list.first();
}

bool isServiceCode(const QString &number)
{
    return number.endsWith(QLatin1Char('#')) &&
           !number.contains(QLatin1Char('p'), Qt::CaseInsensitive);
}

int matchingTailLength(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return 0;
    int count = 0;
    for (int i = a.size() - 1, j = b.size() - 1; i >= 0 && j >= 0 && a.at(i) == b.at(j); --i, --j)
        ++count;
    return count > 3 ? count : 0;
}

QString decodeSipUri(const QString &address)
{
    if (address.startsWith(SipScheme) || address.startsWith(SipsScheme))
        return percentDecoded(address);
    return address;
}
