#include "edstestsession.h"

#include <QtTest>

// The fixture that runs the real EDS on the test's bus: contacts written through libebook are
// there, found by EDS's own number query, and stay across a restart of its processes.
class TestEdsTestSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldFindContactByTrailingDigits_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<bool>("found");
        QTest::newRow("whole number") << "+358401234567"
                                      << "+358401234567" << true;
        QTest::newRow("last seven digits") << "+358401234567"
                                           << "1234567" << true;
        QTest::newRow("other number") << "+358401234567"
                                      << "7654321" << false;
    }

    void shouldFindContactByTrailingDigits()
    {
        QFETCH(QString, stored);
        QFETCH(QString, tail);
        QFETCH(bool, found);
        EdsTestSession eds;
        QVERIFY2(eds.start(), qPrintable(eds.errorString()));
        const QString uid = eds.addContact(
            QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Ann Example\nTEL;TYPE=CELL:%1\nEND:VCARD")
                .arg(stored));
        QVERIFY2(!uid.isEmpty(), qPrintable(eds.errorString()));
        QCOMPARE(eds.uidsWithNumberEndingWith(tail).contains(uid), found);
    }

    void shouldKeepContactsAcrossRestart()
    {
        EdsTestSession eds;
        QVERIFY2(eds.start(), qPrintable(eds.errorString()));
        const QString uid = eds.addContact(
            QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Bob Example\nTEL:0401112222\nEND:VCARD"));
        QVERIFY2(!uid.isEmpty(), qPrintable(eds.errorString()));
        QVERIFY2(eds.stop(), qPrintable(eds.errorString()));
        QVERIFY(!eds.isRunning());
        QVERIFY2(eds.start(), qPrintable(eds.errorString()));
        QCOMPARE(eds.contactUids(), QStringList{uid});
        QVERIFY(eds.contactVCard(uid).contains(QLatin1String("FN:Bob Example")));
    }

    void shouldListAddressBooksItMakes()
    {
        EdsTestSession eds;
        QVERIFY2(eds.start(), qPrintable(eds.errorString()));
        const QString book = eds.createAddressBook(QStringLiteral("Work"));
        QVERIFY2(!book.isEmpty(), qPrintable(eds.errorString()));
        const QString uid = eds.addContact(
            QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:Cid Work\nTEL:0403334444\nEND:VCARD"),
            book);
        QVERIFY2(!uid.isEmpty(), qPrintable(eds.errorString()));
        QCOMPARE(eds.contactUids(book), QStringList{uid});
        QCOMPARE(eds.contactUids(), QStringList());
        QVERIFY2(eds.removeAddressBook(book), qPrintable(eds.errorString()));
        QVERIFY(eds.contactUids(book).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEdsTestSession)
#include "tst_edstestsession.moc"
