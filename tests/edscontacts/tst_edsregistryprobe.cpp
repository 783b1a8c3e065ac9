#include "edsregistryprobe.h"
#include "edstestsession.h"

#include <QDBusConnection>
#include <QtTest>

using ContactsEngine::EdsRegistryProbe;

// The registry of the real EDS on the test's bus, asked without libebook.
class TestEdsRegistryProbe : public QObject
{
    Q_OBJECT
private:
    static QString books(const EdsRegistryProbe::Result &result, const QString &work)
    {
        QStringList shown;
        for (const EdsRegistryProbe::AddressBook &book : result.addressBooks)
            shown << QStringLiteral("%1 %2 %3")
                         .arg(book.uid == work ? QStringLiteral("work") : book.uid, book.backend,
                              QLatin1String(book.enabled ? "on" : "off"));
        shown.sort();
        return shown.join(QLatin1Char('|'));
    }

private Q_SLOTS:
    void shouldListAddressBooksOfRegistry()
    {
        EdsTestSession eds;
        // Not running yet: the bus starts it for the probe.
        const EdsRegistryProbe::Result first =
            EdsRegistryProbe::probe(QDBusConnection::sessionBus(), 30000);
        QCOMPARE(first.state, EdsRegistryProbe::Answered);
        QCOMPARE(books(first, QString()), QStringLiteral("system-address-book local on"));
        QVERIFY2(eds.start(), qPrintable(eds.errorString()));
        const QString work = eds.createAddressBook(QStringLiteral("Work"));
        QVERIFY2(!work.isEmpty(), qPrintable(eds.errorString()));
        QVERIFY2(eds.setAddressBookEnabled(work, false), qPrintable(eds.errorString()));
        const EdsRegistryProbe::Result second =
            EdsRegistryProbe::probe(QDBusConnection::sessionBus(), 30000);
        QCOMPARE(books(second, work),
                 QStringLiteral("system-address-book local on|work local off"));
        QCOMPARE(second.enabledCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestEdsRegistryProbe)
#include "tst_edsregistryprobe.moc"
