#include "blocklist.h"

#include "contactsengine.h"
#include "mgconfitem.h"

namespace Blocking {

namespace {
bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
           c == QLatin1Char('-') || c == QLatin1Char('.') || c == QLatin1Char('/');
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A number as the network gives it, as prefixes are compared: "+" and the digits up to the
// first character that is neither a digit nor a separator; "00" read as "+".
QString writtenDigits(const QString &number)
{
    QString out;
    for (int i = 0; i < number.size() && out.size() <= BlockList::MaxDigits + 1; ++i) {
        const QChar c = number.at(i);
        if (isAsciiDigit(c) || (c == QLatin1Char('+') && out.isEmpty()))
            out += c;
        else if (!isSeparator(c))
            break;
    }
    if (out.startsWith(QLatin1String("00")))
        out.replace(0, 2, QLatin1String("+"));
    return out;
}

int equalTail(const QString &a, const QString &b)
{
    int n = 0;
    for (int i = a.size() - 1, j = b.size() - 1; i >= 0 && j >= 0 && a.at(i) == b.at(j); --i, --j)
        ++n;
    return n;
}
} // namespace

QString BlockList::keyPrefix()
{
    return QStringLiteral("/apps/call-history/blocking/");
}

BlockList::BlockList(QObject *parent)
    : QObject(parent), m_withheld(new MGConfItem(keyPrefix() + QLatin1String("withheld"), this)),
      m_nonContacts(new MGConfItem(keyPrefix() + QLatin1String("notInAddressBook"), this)),
      m_days(new MGConfItem(keyPrefix() + QLatin1String("calledBackDays"), this))
{
    for (int i = 0; i < MaxEntries / ChunkSize; ++i) {
        auto *item = new MGConfItem(keyPrefix() + QStringLiteral("entries%1").arg(i), this);
        m_chunkItems.append(item);
        connect(item, &MGConfItem::valueChanged, this, [this] {
            reload();
            Q_EMIT changed();
        });
    }
    for (MGConfItem *item : {m_withheld, m_nonContacts, m_days})
        connect(item, &MGConfItem::valueChanged, this, &BlockList::changed);
    reload();
}

BlockList::~BlockList() = default;

QString BlockList::canonicalEntry(const QString &text, QString *error)
{
    if (text.size() > MaxEntryLength) {
        *error = QStringLiteral("too long (%1 characters; an entry has at most %2)")
                     .arg(text.size())
                     .arg(int(MaxEntryLength));
        return QString();
    }
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            *error = QStringLiteral("holds a control character (U+%1)")
                         .arg(c.unicode(), 4, 16, QLatin1Char('0'));
            return QString();
        }
    }
    QString s = text.trimmed();
    const bool prefix = s.endsWith(QLatin1Char('*'));
    if (prefix)
        s.chop(1);
    QString digits;
    bool plus = s.startsWith(QLatin1Char('+'));
    for (int i = plus ? 1 : 0; i < s.size(); ++i) {
        if (isAsciiDigit(s.at(i))) {
            digits += s.at(i);
        } else if (!isSeparator(s.at(i))) {
            *error = QStringLiteral("not a number: an entry is a number (digits, an optional "
                                    "leading \"+\" and separators \" ()-./\"), or such a prefix "
                                    "followed by \"*\"");
            return QString();
        }
    }
    if (!plus && digits.startsWith(QLatin1String("00"))) {
        plus = true;
        digits.remove(0, 2);
    }
    if (digits.isEmpty() || digits.size() > MaxDigits) {
        *error = QStringLiteral("a number has 1 to %1 digits").arg(int(MaxDigits));
        return QString();
    }
    return (plus ? QStringLiteral("+") : QString()) + digits +
           (prefix ? QStringLiteral("*") : QString());
}

QString BlockList::digitsKey(const QString &digits)
{
    return digits.right(ContactsEngine::SignificantDigits);
}

void BlockList::reload()
{
    m_chunks.clear();
    m_numbers.clear();
    m_prefixes.clear();
    m_entries.clear();
    // Values written by hand are taken as far as they are entries; the rest is left out.
    for (MGConfItem *item : qAsConst(m_chunkItems)) {
        QStringList chunk;
        const QStringList stored = item->value().toStringList();
        for (int i = 0; i < stored.size() && chunk.size() < ChunkSize; ++i) {
            QString error;
            const QString entry = canonicalEntry(stored.at(i), &error);
            if (entry.isEmpty() || m_entries.contains(entry))
                continue;
            chunk.append(entry);
            m_entries.insert(entry);
            if (entry.endsWith(QLatin1Char('*'))) {
                m_prefixes.insert(entry.left(entry.size() - 1));
            } else {
                const QString digits = ContactsEngine::dialableDigits(entry);
                m_numbers[digitsKey(digits)].append(digits);
            }
        }
        m_chunks.append(chunk);
    }
}

bool BlockList::write(int chunk, const QStringList &entries, QString *error)
{
    MGConfItem *item = m_chunkItems.at(chunk);
    if (!(entries.isEmpty() ? item->unset() : item->set(entries))) {
        *error = QStringLiteral("dconf did not take %1 (no session bus, or not writable)")
                     .arg(item->key());
        return false;
    }
    return true;
}

bool BlockList::add(const QString &text, QString *error)
{
    const QString entry = canonicalEntry(text, error);
    if (entry.isEmpty())
        return false;
    if (m_entries.contains(entry)) {
        *error = QStringLiteral("%1 is blocked already").arg(entry);
        return false;
    }
    for (int i = 0; i < m_chunks.size(); ++i) {
        if (m_chunks.at(i).size() < ChunkSize)
            return write(i, m_chunks.at(i) + QStringList(entry), error);
    }
    *error = QStringLiteral("the block list is full (%1 entries)").arg(int(MaxEntries));
    return false;
}

bool BlockList::remove(const QString &text, QString *error)
{
    const QString entry = canonicalEntry(text, error);
    if (entry.isEmpty())
        return false;
    for (int i = 0; i < m_chunks.size(); ++i) {
        if (m_chunks.at(i).contains(entry)) {
            QStringList chunk = m_chunks.at(i);
            chunk.removeAll(entry);
            return write(i, chunk, error);
        }
    }
    *error = QStringLiteral("%1 is not blocked").arg(entry);
    return false;
}

QStringList BlockList::entries() const
{
    QStringList all;
    for (const QStringList &chunk : m_chunks)
        all += chunk;
    return all;
}

int BlockList::count() const
{
    return m_entries.size();
}

bool BlockList::writeSwitch(MGConfItem *item, const QVariant &value, QString *error)
{
    if (!item->set(value)) {
        *error = QStringLiteral("dconf did not take %1 (no session bus, or not writable)")
                     .arg(item->key());
        return false;
    }
    return true;
}

bool BlockList::blocksWithheld() const
{
    return m_withheld->value().toBool();
}

bool BlockList::setBlocksWithheld(bool block, QString *error)
{
    return writeSwitch(m_withheld, block, error);
}

bool BlockList::blocksNonContacts() const
{
    return m_nonContacts->value().toBool();
}

bool BlockList::setBlocksNonContacts(bool block, QString *error)
{
    return writeSwitch(m_nonContacts, block, error);
}

int BlockList::calledBackDays() const
{
    bool ok = false;
    const int days = m_days->value().toInt(&ok);
    return ok && days >= 0 && days <= MaxCalledBackDays ? days : int(DefaultCalledBackDays);
}

bool BlockList::setCalledBackDays(int days, QString *error)
{
    if (days < 0 || days > MaxCalledBackDays) {
        *error = QStringLiteral("the days of the called-back rule are 0 to %1")
                     .arg(int(MaxCalledBackDays));
        return false;
    }
    return writeSwitch(m_days, days, error);
}

BlockList::Match BlockList::match(const QString &number) const
{
    if (number.trimmed().isEmpty())
        return blocksWithheld() ? BlockedWithheld : NotBlocked;
    const QString digits = ContactsEngine::dialableDigits(number.left(MaxEntryLength * 4));
    if (!digits.isEmpty()) {
        const auto found = m_numbers.constFind(digitsKey(digits));
        if (found != m_numbers.cend()) {
            for (const QString &blocked : found.value()) {
                if (ContactsEngine::isSameNumber(digits, blocked, equalTail(digits, blocked)))
                    return BlockedNumber;
            }
        }
    }
    const QString written = writtenDigits(number);
    for (int i = 1; i <= written.size(); ++i) {
        if (m_prefixes.contains(written.left(i)))
            return BlockedPrefix;
    }
    return NotBlocked;
}

} // namespace Blocking
