#include "callhistoryvoicemail.h"

#include "callhistorycontactsmanager.h"
#include "mlocale.h"
#include "phonenumbers.h"
#include "voicemailstore.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactGuid>

#include <QCoreApplication>
#include <QTimer>

using namespace QtContacts;

CallHistoryVoicemail *CallHistoryVoicemail::instance()
{
    static QPointer<CallHistoryVoicemail> voicemail;
    if (!voicemail)
        voicemail = new CallHistoryVoicemail(QCoreApplication::instance());
    return voicemail;
}

CallHistoryVoicemail::CallHistoryVoicemail(QObject *parent) : QObject(parent)
{
    // The voicemail client and the address book are slow to set up: not during start-up.
    QTimer::singleShot(0, this, &CallHistoryVoicemail::initialize);
}

CallHistoryVoicemail::~CallHistoryVoicemail() = default;

void CallHistoryVoicemail::initialize()
{
    if (m_voicemail)
        return;
    m_voicemail = new Voicemail(this);
    connect(m_voicemail, &Voicemail::voicemailNumbers, this,
            &CallHistoryVoicemail::onVoicemailNumbers);
    connect(m_voicemail, &Voicemail::voicemailNumbersChanged, this,
            &CallHistoryVoicemail::onVoicemailNumbers);
    m_voicemail->requestVoicemailNumbers();
}

bool CallHistoryVoicemail::isVoicemailNumber(const QString &number) const
{
    if (number.isEmpty() || m_numbers.isEmpty())
        return false;
    if (m_numbers.contains(number))
        return true;
    const QString normalized = normalizedNumber(number);
    return !normalized.isEmpty() && m_normalizedNumbers.contains(normalized);
}

void CallHistoryVoicemail::onVoicemailNumbers(const QList<VoicemailNumber> &numbers,
                                              Voicemail::VoicemailError error)
{
    Q_UNUSED(error);
    m_known = true;
    m_numbers.clear();
    m_normalizedNumbers.clear();
    for (const VoicemailNumber &entry : numbers) {
        if (entry.number().isEmpty())
            continue;
        const QString latin = MLocale::toLatinNumbers(entry.number());
        m_numbers.append(latin);
        const QString normalized = normalizedNumber(latin);
        if (!normalized.isEmpty())
            m_normalizedNumbers.append(normalized);
    }
    Q_EMIT voicemailChanged();
    updateVoicemailContact();
}

QContact CallHistoryVoicemail::offeredContact() const
{
    if (m_numbers.isEmpty())
        return QContact();
    if (!m_voicemailContact.isEmpty())
        return m_voicemailContact;
    return VoicemailStore::voicemailContact(m_numbers, QContact());
}

void CallHistoryVoicemail::updateVoicemailContact()
{
    if (m_numbers.isEmpty()) {
        if (!m_voicemailContact.isEmpty()) {
            m_voicemailContact = QContact();
            Q_EMIT voicemailContactChanged();
        }
        return;
    }
    // Read even when known: a set rewrites the contact's numbers.
    auto *request = new QContactFetchRequest(this);
    request->setManager(CallHistoryContactsManager::instance()->contactManager());
    QContactDetailFilter filter;
    filter.setDetailType(QContactGuid::Type, QContactGuid::FieldGuid);
    filter.setValue(QString::fromLatin1(VoicemailStore::voicemailContactGUID));
    filter.setMatchFlags(QContactFilter::MatchFixedString);
    request->setFilter(filter);
    connect(request, &QContactAbstractRequest::resultsAvailable, this,
            &CallHistoryVoicemail::onContactFetchResultsAvailable);
    if (!request->start())
        delete request;
}

void CallHistoryVoicemail::onContactFetchResultsAvailable()
{
    auto *request = qobject_cast<QContactFetchRequest *>(sender());
    if (!request || !request->isFinished())
        return;
    request->deleteLater();
    if (request->error() != QContactManager::NoError || request->contacts().isEmpty())
        return;
    // Numbers removed meanwhile: the contact no longer stands for anything.
    if (m_numbers.isEmpty())
        return;
    const QContact contact = request->contacts().first();
    if (contact == m_voicemailContact)
        return;
    m_voicemailContact = contact;
    Q_EMIT voicemailContactChanged();
}
