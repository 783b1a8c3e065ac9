// Fuzzes the parsers of phone numbers and remote addresses with arbitrary text and checks the
// properties every caller relies on. Input: one selector byte (how the rest is decoded: UTF-8,
// Latin-1 or UTF-16), then the text; a newline splits it into the two numbers that
// matchingTailLength compares.

#include "phonenumbers.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void fail(const char *what, const QString &input)
{
    std::fprintf(stderr, "invariant broken: %s\ninput: %s\n", what,
                 input.toUtf8().toPercentEncoding(" +#*()-./:@;=").constData());
    std::abort();
}

#define CHECK(condition, input)                                                                    \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fail(#condition, input);                                                               \
    } while (0)

bool onlyAsciiDigits(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

bool onlyNumberCharacters(const QString &s, bool allowDotAndSlash)
{
    for (QChar c : s) {
        const ushort u = c.unicode();
        if (u >= '0' && u <= '9')
            continue;
        if (u != 0 && u < 128 && std::strchr("pPwWxX,#*+ ()-", char(u)))
            continue;
        if (allowDotAndSlash && (u == '.' || u == '/'))
            continue;
        return false;
    }
    return true;
}

bool isSip(const QString &s)
{
    return s.startsWith(QLatin1String("sip:")) || s.startsWith(QLatin1String("sips:"));
}

QString decode(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    const char *text = reinterpret_cast<const char *>(data + 1);
    const int length = int(size - 1);
    switch (data[0] % 3) {
    case 0:
        return QString::fromUtf8(text, length);
    case 1:
        return QString::fromLatin1(text, length);
    default:
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length / 2);
    }
}

void checkAddress(const QString &s)
{
    const QString number = phoneNumberFromAddress(s);
    CHECK(number.isEmpty() || number.size() >= 4, s);
    CHECK(number == number.trimmed(), s);
    CHECK(onlyNumberCharacters(number, !isSip(s)), s);
    CHECK(phoneNumberFromAddress(number) == number, s);
    CHECK(isPhoneNumber(s) == !number.isEmpty(), s);

    const QString plain = dialDigits(s, false);
    const QString extracted = dialDigits(s, true);
    CHECK(onlyAsciiDigits(plain), s);
    CHECK(onlyAsciiDigits(extracted), s);
    const QString normalized = normalizedNumber(s);
    CHECK(onlyAsciiDigits(normalized), s);
    CHECK(normalized == (plain.isEmpty() ? extracted : plain), s);

    if (isValidNumber(s))
        CHECK(!s.isEmpty(), s);
    if (isInternationalNumber(s))
        CHECK(!number.isEmpty(), s);
    isEmergencyNumber(s);
    isServiceCode(s);

    const QString decoded = decodeSipUri(s);
    if (isSip(s))
        CHECK(decoded.size() <= s.size() && isSip(decoded), s);
    else
        CHECK(decoded == s, s);
}

void checkTails(const QString &a, const QString &b)
{
    const int n = matchingTailLength(a, b);
    CHECK(n == matchingTailLength(b, a), a + QLatin1Char('\n') + b);
    CHECK(n == 0 || (n >= 4 && n <= qMin(a.size(), b.size())), a + QLatin1Char('\n') + b);
    if (n > 0)
        CHECK(a.right(n) == b.right(n), a + QLatin1Char('\n') + b);
    CHECK(matchingTailLength(a, a) == (a.size() > 3 ? a.size() : 0), a);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The emergency list is the built-in one: no modem service is asked while fuzzing.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    static QCoreApplication app(*argc, *argv);
    isEmergencyNumber(QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = decode(data, size);
    checkAddress(input);
    const int split = input.indexOf(QLatin1Char('\n'));
    if (split >= 0)
        checkTails(input.left(split), input.mid(split + 1));
    else
        checkTails(input, input);
    return 0;
}
