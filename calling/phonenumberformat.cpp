#include "phonenumberformat.h"

#include "mlocale.h"

#include <phonenumbers/asyoutypeformatter.h>
#include <phonenumbers/logger.h>
#include <phonenumbers/phonenumberutil.h>

#include <QHash>
#include <QLocale>

#include <memory>

using i18n::phonenumbers::AsYouTypeFormatter;
using i18n::phonenumbers::NullLogger;
using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {
// Results kept before the cache starts afresh.
const int KeptResults = 4096;

PhoneNumberUtil *util()
{
    static PhoneNumberUtil *instance = []() {
        PhoneNumberUtil *u = PhoneNumberUtil::GetInstance();
        // Its default logger writes to the standard error output.
        u->SetLogger(new NullLogger);
        return u;
    }();
    return instance;
}

// Only digits, a leading "+" and the separators people write numbers with: anything else (a
// letter, "*", "#", a pause) is text libphonenumber would read differently than meant.
bool looksLikeNumber(const QString &text)
{
    static const QString separators = QStringLiteral(" -()./");
    bool digit = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = true;
        else if (!(c == QLatin1Char('+') && i == 0) && !separators.contains(c))
            return false;
    }
    return digit;
}
} // namespace

QString PhoneNumberFormat::region()
{
    // "fi_FI" -> "FI"; a language alone ("en") stands for its main region.
    const QString name = QLocale(MLocale().region()).name();
    const int at = name.indexOf(QLatin1Char('_'));
    return at >= 0 ? name.mid(at + 1).toUpper() : QStringLiteral("ZZ");
}

QString PhoneNumberFormat::forDisplay(const QString &number)
{
    return forDisplay(number, region());
}

QString PhoneNumberFormat::forDisplay(const QString &number, const QString &region)
{
    const QString text = number.trimmed();
    if (!looksLikeNumber(text))
        return number;
    static QHash<QString, QString> kept;
    const QString key = region + QLatin1Char('|') + text;
    const auto found = kept.constFind(key);
    if (found != kept.constEnd())
        return found.value();
    QString shown = number;
    PhoneNumber parsed;
    if (util()->Parse(text.toStdString(), region.toStdString(), &parsed) ==
            PhoneNumberUtil::NO_PARSING_ERROR &&
        util()->IsValidNumber(parsed)) {
        std::string out;
        util()->Format(parsed,
                       text.startsWith(QLatin1Char('+')) ? PhoneNumberUtil::INTERNATIONAL
                                                         : PhoneNumberUtil::NATIONAL,
                       &out);
        shown = QString::fromStdString(out);
    }
    if (kept.size() >= KeptResults)
        kept.clear();
    kept.insert(key, shown);
    return shown;
}

QString PhoneNumberFormat::asYouType(const QString &typed)
{
    return asYouType(typed, region());
}

QString PhoneNumberFormat::asYouType(const QString &typed, const QString &region)
{
    if (typed.isEmpty())
        return typed;
    const std::unique_ptr<AsYouTypeFormatter> formatter(
        util()->GetAsYouTypeFormatter(region.toStdString()));
    std::string out;
    // The formatter takes one character at a time; one it cannot place ("*", "#", a pause)
    // makes it give back what was typed, as typed.
    for (const uint c : typed.toUcs4())
        formatter->InputDigit(c, &out);
    return QString::fromStdString(out);
}
