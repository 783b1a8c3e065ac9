#include "callhistoryfilterproxymodel.h"

#include "eventmodel.h"
#include "mcommonlabelhighlighter.h"

namespace {

// Whether a character stands for nothing that can be searched for: marks, control and format
// characters, and unassigned code points.
bool isIgnored(uint ucs4)
{
    switch (QChar::category(ucs4)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_NotAssigned:
        return true;
    default:
        return false;
    }
}

} // namespace

CallHistoryFilterProxyModel::CallHistoryFilterProxyModel(QAbstractItemModel *source,
                                                         QObject *parent)
    : QSortFilterProxyModel(parent)
{
    qRegisterMetaType<QPointer<MCommonLabelHighlighter>>("QPointer<MCommonLabelHighlighter>");
    setSourceModel(source);
}

void CallHistoryFilterProxyModel::setSourceModel(QAbstractItemModel *source)
{
    m_events = qobject_cast<CommHistory::EventModel *>(source);
    QSortFilterProxyModel::setSourceModel(source);
}

CallHistoryFilterProxyModel::~CallHistoryFilterProxyModel()
{
    delete m_highlighter.data();
}

QString CallHistoryFilterProxyModel::buildSearchPattern(const QString &text)
{
    // Anything but digits and number punctuation makes the text a name search.
    static const QRegExp notANumber(QStringLiteral("[^\\d#, /\\(\\)\\.\\-\\*\\+]"),
                                    Qt::CaseSensitive, QRegExp::RegExp);
    QString pattern;
    if (notANumber.indexIn(text) != -1)
        pattern = QStringLiteral("\\b");

    for (int i = 0; i < text.size(); ++i) {
        // One character, a surrogate pair counting as one.
        QString c(text.at(i));
        uint ucs4 = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ucs4 = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            c.append(text.at(++i));
        }
        if (isIgnored(ucs4))
            continue;
        const QVector<uint> decomposed = c.normalized(QString::NormalizationForm_D).toUcs4();
        if (decomposed.isEmpty())
            continue;
        const uint base = QChar::toLower(decomposed.first());
        const QString escapedBase = QRegExp::escape(QString::fromUcs4(&base, 1));
        if (decomposed.size() == 1)
            pattern += escapedBase;
        else
            pattern += QLatin1Char('[') + escapedBase + QRegExp::escape(c) + QLatin1Char(']');
    }
    return pattern;
}

void CallHistoryFilterProxyModel::setFilterText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (m_searching)
            applySearch(nullptr);
        Q_EMIT filterChanged(QPointer<MCommonLabelHighlighter>());
        return;
    }

    // The shared model loads only the newest calls by itself; a search covers them all.
    if (m_events)
        m_events->fetchAll();

    const QRegExp regexp(buildSearchPattern(trimmed), Qt::CaseInsensitive, QRegExp::RegExp);
    if (m_highlighter && m_highlighter->regexp() == regexp)
        return;
    applySearch(new MCommonLabelHighlighter(regexp));
    Q_EMIT filterChanged(m_highlighter);
}

void CallHistoryFilterProxyModel::applySearch(MCommonLabelHighlighter *highlighter)
{
    beginResetModel();
    delete m_highlighter.data();
    m_highlighter = highlighter;
    m_searching = highlighter != nullptr;
    m_regexp = highlighter ? highlighter->regexp() : QRegExp();
    endResetModel();
}

CommHistory::Event CallHistoryFilterProxyModel::sourceEvent(int sourceRow,
                                                            const QModelIndex &sourceParent) const
{
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    if (m_events)
        return m_events->event(index);
    const QVariant value = index.data(Qt::UserRole);
    if (value.userType() == qMetaTypeId<CommHistory::Event>())
        return *static_cast<const CommHistory::Event *>(value.constData());
    return CommHistory::Event();
}

bool CallHistoryFilterProxyModel::filterAcceptsRow(int sourceRow,
                                                   const QModelIndex &sourceParent) const
{
    const CommHistory::Event event = sourceEvent(sourceRow, sourceParent);
    if (!event.isValid() || event.type() != CommHistory::Event::CallEvent)
        return false;
    if (!m_searching)
        return true;
    if (m_regexp.indexIn(event.remoteUid(), 0) != -1)
        return true;
    const QList<CommHistory::Event::Contact> contacts = event.contacts();
    return contacts.size() == 1 && m_regexp.indexIn(contacts.first().second, 0) != -1;
}
