#include "voicemail.h"

#include "contactsengine.h"
#include "mgconfitem.h"
#include "voicemailsave.h"
#include "voicemailstore.h"

#include <QtContacts/QContactManager>

#include <QCoreApplication>
#include <QMutex>

using namespace QtContacts;

namespace {
QMutex clientsMutex;
QList<Voicemail *> clients;

// The process's connection to the default address book, for sets that do not wait for it.
QContactManager *defaultAddressBook()
{
    static QPointer<QContactManager> book;
    if (!book)
        book = new QContactManager(ContactsEngine::ensureRegistered(), QMap<QString, QString>(),
                                   QCoreApplication::instance());
    return book;
}
} // namespace

Voicemail::Voicemail(QObject *parent)
    : QObject(parent),
      m_numbers(new MGConfItem(QString::fromLatin1(VoicemailStore::numbersKey), this))
{
    static const bool registered = [] {
        qRegisterMetaType<VoicemailNumber>();
        qRegisterMetaType<QList<VoicemailNumber>>();
        qRegisterMetaType<Voicemail::VoicemailError>();
        return true;
    }();
    Q_UNUSED(registered);
    connect(m_numbers, &MGConfItem::valueChanged, this, &Voicemail::onStoredValueChanged);
    QMutexLocker locker(&clientsMutex);
    clients.append(this);
}

Voicemail::~Voicemail()
{
    QMutexLocker locker(&clientsMutex);
    clients.removeAll(this);
}

void Voicemail::reportToThisProcess()
{
    QMutexLocker locker(&clientsMutex);
    for (Voicemail *client : qAsConst(clients))
        QMetaObject::invokeMethod(client, &Voicemail::onStoredValueChanged, Qt::QueuedConnection);
}

void Voicemail::requestVoicemailNumbers()
{
    QMetaObject::invokeMethod(this, &Voicemail::answerRequest, Qt::QueuedConnection);
}

QList<VoicemailNumber> Voicemail::currentNumbers(VoicemailError *error) const
{
    return VoicemailStore::parseStored(m_numbers->value(), error);
}

void Voicemail::answerRequest()
{
    VoicemailError error = NoError;
    const QList<VoicemailNumber> numbers = currentNumbers(&error);
    Q_EMIT voicemailNumbers(numbers, error);
}

void Voicemail::onStoredValueChanged()
{
    // Several notifications before the event loop runs again make one report.
    if (m_changeScheduled)
        return;
    m_changeScheduled = true;
    QMetaObject::invokeMethod(this, &Voicemail::reportChange, Qt::QueuedConnection);
}

void Voicemail::reportChange()
{
    m_changeScheduled = false;
    VoicemailError error = NoError;
    const QList<VoicemailNumber> numbers = currentNumbers(&error);
    Q_EMIT voicemailNumbersChanged(numbers, error);
}

Voicemail::VoicemailError Voicemail::setVoicemailNumbers(const QList<VoicemailNumber> &numbers)
{
    VoicemailStore store;
    bool announced = false;
    const VoicemailError error = store.setNumbers(numbers, &announced);
    m_errorString = store.errorString();
    if (!announced && (error == NoError || error == AddressBookError))
        reportToThisProcess();
    return error;
}

VoicemailSave *Voicemail::startSettingVoicemailNumbers(const QList<VoicemailNumber> &numbers)
{
    auto *save = new VoicemailSave(addressBook(), numbers);
    connect(save, &VoicemailSave::finished, this,
            [this](VoicemailError, const QString &errorString) { m_errorString = errorString; });
    // Told from the set itself: the client may be gone by then.
    connect(save, &VoicemailSave::finished, save,
            [](VoicemailError error, const QString &, bool announced) {
                if (!announced && (error == NoError || error == AddressBookError))
                    reportToThisProcess();
            });
    save->start();
    return save;
}

QContactManager *Voicemail::addressBook() const
{
    return m_addressBook ? m_addressBook.data() : defaultAddressBook();
}

void Voicemail::setAddressBook(QContactManager *book)
{
    m_addressBook = book;
}

Voicemail::VoicemailError Voicemail::setPreferredVoicemailNumber(const QString &number)
{
    QList<VoicemailNumber> numbers{VoicemailNumber(number.trimmed())};
    // Read afresh: this client's copy follows the store only from the event loop.
    for (const VoicemailNumber &other : VoicemailStore().numbers()) {
        if (other.number() != number.trimmed())
            numbers.append(other);
    }
    return setVoicemailNumbers(numbers);
}
