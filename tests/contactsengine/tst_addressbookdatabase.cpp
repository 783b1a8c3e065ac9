#include "addressbookdatabase.h"

#include <QtContacts/QContactName>

#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;
using ContactsEngine::AddressBookDatabase;

// The links of a mirrored address book and the transactions that write them with its contacts.
class TestAddressBookDatabase : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_count = 0;
    QScopedPointer<AddressBookDatabase> m_db;

    QContactLocalId add(const QString &name)
    {
        QContact contact;
        QContactName n;
        n.setFirstName(name);
        contact.saveDetail(&n);
        QList<QContact> contacts{contact};
        QList<QContactLocalId> added, changed;
        QMap<int, QContactManager::Error> errors;
        if (!m_db->save(&contacts, &added, &changed, &errors) || added.size() != 1)
            return 0;
        return added.first();
    }

    static AddressBookDatabase::Link link(QContactLocalId id, const QString &uid)
    {
        AddressBookDatabase::Link link;
        link.contactId = id;
        link.book = QStringLiteral("book");
        link.uid = uid;
        link.revision = QStringLiteral("rev-%1").arg(uid);
        link.base = uid.toUtf8();
        return link;
    }

    QString links()
    {
        QList<AddressBookDatabase::Link> all;
        if (!m_db->links(&all))
            return QStringLiteral("error: ") + m_db->errorString();
        QStringList shown;
        for (const AddressBookDatabase::Link &l : all)
            shown << QStringLiteral("%1=%2").arg(l.contactId).arg(l.uid);
        return shown.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void init()
    {
        m_db.reset(new AddressBookDatabase(m_dir.filePath(QStringLiteral("%1.db").arg(++m_count))));
        QVERIFY(m_db->open());
    }

    void shouldKeepLinkOfRemovedContact()
    {
        const QContactLocalId ann = add(QStringLiteral("Ann"));
        QVERIFY(m_db->setLink(link(ann, QStringLiteral("a"))));
        QList<QContactLocalId> removed;
        QMap<int, QContactManager::Error> errors;
        QVERIFY(m_db->remove({ann}, &removed, &errors));
        QCOMPARE(links(), QStringLiteral("%1=a").arg(ann));
        AddressBookDatabase::Link found;
        bool exists = false;
        QVERIFY(m_db->link(QStringLiteral("book"), QStringLiteral("a"), &found, &exists));
        QVERIFY(exists);
        QCOMPARE(found.contactId, ann);
        QCOMPARE(found.revision, QStringLiteral("rev-a"));
        QCOMPARE(found.base, QByteArray("a"));
    }

    void shouldReplaceLinkOfSameUid()
    {
        const QContactLocalId ann = add(QStringLiteral("Ann"));
        const QContactLocalId bob = add(QStringLiteral("Bob"));
        QVERIFY(m_db->setLink(link(ann, QStringLiteral("a"))));
        QVERIFY(m_db->setLink(link(bob, QStringLiteral("a"))));
        QCOMPARE(links(), QStringLiteral("%1=a").arg(bob));
        QVERIFY(m_db->removeLink(bob));
        QCOMPARE(links(), QString());
    }

    void shouldWriteNothingOfRolledBackTransaction_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("committed") << true;
        QTest::newRow("rolled back") << false;
    }

    void shouldWriteNothingOfRolledBackTransaction()
    {
        QFETCH(bool, commit);
        QVERIFY(m_db->beginTransaction());
        const QContactLocalId ann = add(QStringLiteral("Ann"));
        QVERIFY(ann != 0);
        QVERIFY(m_db->setLink(link(ann, QStringLiteral("a"))));
        QVERIFY(m_db->inTransaction());
        if (commit)
            QVERIFY(m_db->commitTransaction());
        else
            m_db->rollbackTransaction();
        QVERIFY(!m_db->inTransaction());
        QList<QContactLocalId> ids;
        QVERIFY(m_db->contactIds(&ids));
        QCOMPARE(ids.size(), commit ? 1 : 0);
        QCOMPARE(links(), commit ? QStringLiteral("%1=a").arg(ann) : QString());
    }
};

QTEST_GUILESS_MAIN(TestAddressBookDatabase)
#include "tst_addressbookdatabase.moc"
