#include "contactchangerelay.h"
#include "contactsengine.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

class TestContactChangeRelay : public QObject
{
    Q_OBJECT
private:
    static QString calls(const QSignalSpy &spy)
    {
        QStringList result;
        for (const QList<QVariant> &call : spy) {
            QStringList ids;
            for (QContactLocalId id : call.at(0).value<QList<QContactLocalId>>())
                ids << QString::number(id);
            result << ids.join(QLatin1Char(','));
        }
        return result.join(QLatin1Char(';'));
    }

private Q_SLOTS:
    void shouldRepeatChangesWithLocalIds()
    {
        QTemporaryDir dir;
        const QMap<QString, QString> parameters{
            {QString::fromLatin1(ContactsEngine::databaseParameter),
             dir.filePath(QStringLiteral("r.db"))}};
        QContactManager writer(ContactsEngine::ensureRegistered(), parameters);
        QContactManager watched(ContactsEngine::ensureRegistered(), parameters);
        ContactChangeRelay relay(&watched);
        // The signatures that string-based connections name.
        QSignalSpy added(&relay, SIGNAL(contactsAdded(QList<QContactLocalId>)));
        QSignalSpy changed(&relay, SIGNAL(contactsChanged(QList<QContactLocalId>)));
        QSignalSpy removed(&relay, SIGNAL(contactsRemoved(QList<QContactLocalId>)));
        QVERIFY(changed.isValid());

        QList<QContact> contacts{QContact(), QContact()};
        for (QContact &contact : contacts) {
            QContactName name;
            name.setFirstName(QStringLiteral("R"));
            contact.saveDetail(&name);
        }
        QVERIFY(writer.saveContacts(&contacts));
        QVERIFY(writer.saveContact(&contacts[1]));
        QVERIFY(writer.removeContact(contacts.at(0).id()));
        QTRY_COMPARE(removed.count(), 1);
        const QString a = QString::number(ContactsEngine::toLocalId(contacts.at(0).id()));
        const QString b = QString::number(ContactsEngine::toLocalId(contacts.at(1).id()));
        QCOMPARE(calls(added), a + QLatin1Char(',') + b);
        QCOMPARE(calls(changed), b);
        QCOMPARE(calls(removed), a);
    }

    void shouldStayQuietForAnotherManagersIds()
    {
        QContactManager memory(QStringLiteral("memory"));
        ContactChangeRelay relay(&memory);
        QSignalSpy added(&relay, &ContactChangeRelay::contactsAdded);
        QContact contact;
        QContactName name;
        name.setFirstName(QStringLiteral("M"));
        contact.saveDetail(&name);
        QVERIFY(memory.saveContact(&contact));
        QTest::qWait(50);
        QCOMPARE(added.count(), 0);
    }

    // Qt shares a small pool of signal locks between objects; among this many relays some share
    // the manager's lock, and destroying such a relay must not wait on itself.
    void shouldLetGoOfTheManagerWhenDestroyed()
    {
        QContactManager memory(QStringLiteral("memory"));
        QList<ContactChangeRelay *> relays;
        int destroyed = 0;
        for (int i = 0; i < 2000; ++i) {
            relays << new ContactChangeRelay(&memory);
            connect(relays.last(), &QObject::destroyed, this, [&destroyed]() { ++destroyed; });
        }
        qDeleteAll(relays);
        QCOMPARE(destroyed, 2000);
    }
};

QTEST_GUILESS_MAIN(TestContactChangeRelay)
#include "tst_contactchangerelay.moc"
