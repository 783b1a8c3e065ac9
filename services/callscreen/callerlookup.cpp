#include "callerlookup.h"

#include "addressbookcontactresolver.h"

#include <QMetaObject>

CallerLookup::CallerLookup(const QString &databasePath, QObject *parent)
    : QObject(parent), m_worker(new QObject),
      m_resolver(std::make_shared<AddressBookContactResolver>(databasePath))
{
    m_thread.setObjectName(QStringLiteral("CallerLookup"));
    m_worker->moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

CallerLookup::~CallerLookup()
{
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void CallerLookup::lookUp(const QString &key, const QString &number)
{
    std::shared_ptr<AddressBookContactResolver> resolver = m_resolver;
    // The destructor waits for the worker's thread: `this` outlives every task.
    QMetaObject::invokeMethod(m_worker, [this, resolver, key, number]() {
        const QList<CommHistory::Event::Contact> contacts =
            number.isEmpty() ? QList<CommHistory::Event::Contact>()
                             : resolver->contactsFor(QString(), number);
        const QContactLocalId id = contacts.isEmpty() ? 0 : contacts.first().first;
        const QString name = contacts.isEmpty() ? QString() : contacts.first().second;
        // Back on the lookup's own thread (an event dropped if the lookup goes first).
        QMetaObject::invokeMethod(
            this, [this, key, number, id, name]() { Q_EMIT found(key, number, id, name); });
    });
}
