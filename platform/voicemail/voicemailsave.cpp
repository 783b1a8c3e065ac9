#include "voicemailsave.h"

#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactRemoveRequest>
#include <QtContacts/QContactSaveRequest>

using namespace QtContacts;

VoicemailSave::VoicemailSave(QContactManager *book, const QList<VoicemailNumber> &numbers)
    : QObject(book), m_book(book), m_numbers(numbers)
{
}

void VoicemailSave::start()
{
    const Voicemail::VoicemailError invalid = m_store.checkNumbers(m_numbers, &m_list);
    if (invalid != Voicemail::NoError) {
        m_errorString = m_store.errorString();
        QMetaObject::invokeMethod(
            this, [this, invalid]() { finish(invalid); }, Qt::QueuedConnection);
        return;
    }
    // The set started last before this one on the same book, if it is still there.
    VoicemailSave *before = nullptr;
    for (QObject *child : m_book->children()) {
        if (child == this)
            break;
        if (auto *save = qobject_cast<VoicemailSave *>(child))
            before = save;
    }
    if (before)
        connect(before, &QObject::destroyed, this, &VoicemailSave::begin, Qt::QueuedConnection);
    else
        begin();
}

void VoicemailSave::begin()
{
    // No numbers: they go first, so that the contact stays while they do.
    if (m_list.isEmpty() && !m_store.storeNumbers(m_list, &m_changed)) {
        m_errorString = m_store.errorString();
        QMetaObject::invokeMethod(
            this, [this]() { finish(Voicemail::StorageError); }, Qt::QueuedConnection);
        return;
    }
    auto *fetch = new QContactFetchRequest(this);
    fetch->setFilter(VoicemailStore::contactFilter());
    run(fetch, [this, fetch](bool ok) {
        if (ok)
            onFetched(fetch->contacts());
        else
            contactDone(false);
    });
}

void VoicemailSave::onFetched(const QList<QContact> &existing)
{
    m_previous = existing.value(0);
    m_extra = VoicemailStore::extraContacts(existing, m_list);
    if (m_list.isEmpty()) {
        removeExtra();
        return;
    }
    auto *save = new QContactSaveRequest(this);
    save->setContact(VoicemailStore::voicemailContact(m_list, m_previous));
    run(save, [this, save](bool ok) {
        if (!ok || save->contacts().isEmpty()) {
            contactDone(false);
            return;
        }
        m_written = save->contacts().first();
        removeExtra();
    });
}

void VoicemailSave::removeExtra()
{
    if (m_extra.isEmpty()) {
        contactDone(true);
        return;
    }
    auto *remove = new QContactRemoveRequest(this);
    remove->setContactIds(m_extra);
    run(remove, [this](bool ok) { contactDone(ok); });
}

void VoicemailSave::contactDone(bool written)
{
    if (!written)
        m_errorString = VoicemailStore::contactNotWritten(m_book->managerParameters());
    if (m_list.isEmpty()) {
        finish(written ? Voicemail::NoError : Voicemail::AddressBookError);
        return;
    }
    if (!m_store.storeNumbers(m_list, &m_changed)) {
        m_errorString = m_store.errorString();
        if (m_written.isEmpty())
            finish(Voicemail::StorageError);
        else
            restoreContact();
        return;
    }
    finish(written ? Voicemail::NoError : Voicemail::AddressBookError);
}

void VoicemailSave::restoreContact()
{
    const auto done = [this](bool) { finish(Voicemail::StorageError); };
    if (!m_previous.isEmpty()) {
        auto *save = new QContactSaveRequest(this);
        save->setContact(m_previous);
        run(save, done);
        return;
    }
    // There was none before: the one written now goes.
    auto *remove = new QContactRemoveRequest(this);
    remove->setContactIds({m_written.id()});
    run(remove, done);
}

void VoicemailSave::finish(Voicemail::VoicemailError error)
{
    Q_EMIT finished(error, error == Voicemail::NoError ? QString() : m_errorString, m_changed);
    deleteLater();
}

void VoicemailSave::run(QContactAbstractRequest *request, const std::function<void(bool)> &done)
{
    request->setManager(m_book);
    connect(request, &QContactAbstractRequest::stateChanged, this, [request, done]() {
        if (!request->isFinished())
            return;
        request->deleteLater();
        done(request->error() == QContactManager::NoError);
    });
    if (!request->start()) {
        request->disconnect(this);
        request->deleteLater();
        QMetaObject::invokeMethod(
            this, [done]() { done(false); }, Qt::QueuedConnection);
    }
}
