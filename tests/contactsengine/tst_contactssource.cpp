#include "contactssource.h"
#include "edsregistryprobe.h"

#include <QtTest>

#include <sqlite3.h>

using ContactsEngine::ContactsSource;
using ContactsEngine::EdsRegistryProbe;

// Which address book is chosen, and why, from the environment, the setting and what EDS's
// registry answers; and how the registry's sources are read.
class TestContactsSource : public QObject
{
    Q_OBJECT
private:
    static EdsRegistryProbe::Result answer(const QString &answered)
    {
        EdsRegistryProbe::Result result;
        if (answered == QLatin1String("not installed")) {
            result.state = EdsRegistryProbe::NotInstalled;
            result.error = QStringLiteral("EDS is not installed");
        } else if (answered == QLatin1String("no answer")) {
            result.state = EdsRegistryProbe::NoAnswer;
            result.error = QStringLiteral("timed out");
        } else {
            result.state = EdsRegistryProbe::Answered;
            for (const QString &enabled : answered.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                EdsRegistryProbe::AddressBook book;
                book.uid = QStringLiteral("book%1").arg(result.addressBooks.size());
                book.enabled = enabled == QLatin1String("on");
                result.addressBooks << book;
            }
        }
        return result;
    }

    static QString source(const QString &uid, const QString &data)
    {
        return uid + QLatin1Char('|') + data;
    }

private Q_SLOTS:
    void shouldChooseAddressBook_data()
    {
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("registry");
        QTest::addColumn<QString>("lastDetected");
        QTest::addColumn<QString>("expected"); // kind, detected, probed
        QTest::addColumn<QString>("reason");
        QTest::newRow("environment eds") << "eds"
                                         << "local"
                                         << ""
                                         << ""
                                         << "eds,,no"
                                         << "CALL_HISTORY_CONTACTS=eds";
        QTest::newRow("environment local") << "LOCAL"
                                           << "eds"
                                           << "on"
                                           << ""
                                           << "local,,no"
                                           << "CALL_HISTORY_CONTACTS=local";
        QTest::newRow("setting eds") << ""
                                     << "eds"
                                     << ""
                                     << ""
                                     << "eds,,no"
                                     << "is \"eds\"";
        QTest::newRow("setting local") << ""
                                       << "local"
                                       << "on"
                                       << ""
                                       << "local,,no"
                                       << "is \"local\"";
        QTest::newRow("bad environment, setting decides") << "desktop"
                                                          << "eds"
                                                          << ""
                                                          << ""
                                                          << "eds,,no"
                                                          << "neither";
        QTest::newRow("automatic, enabled book") << ""
                                                 << "auto"
                                                 << "off,on"
                                                 << ""
                                                 << "eds,eds,yes"
                                                 << "1 enabled address book";
        QTest::newRow("no setting, enabled book") << ""
                                                  << ""
                                                  << "on"
                                                  << ""
                                                  << "eds,eds,yes"
                                                  << "1 enabled";
        QTest::newRow("automatic, books disabled") << ""
                                                   << ""
                                                   << "off"
                                                   << "eds"
                                                   << "local,local,yes"
                                                   << "no enabled address book";
        QTest::newRow("automatic, no books") << ""
                                             << ""
                                             << ""
                                             << ""
                                             << "local,local,yes"
                                             << "no enabled address book";
        QTest::newRow("bad setting, automatic") << ""
                                                << "maybe"
                                                << "on"
                                                << ""
                                                << "eds,eds,yes"
                                                << "neither \"eds\", \"local\" nor \"auto\"";
        QTest::newRow("not installed") << ""
                                       << ""
                                       << "not installed"
                                       << "eds"
                                       << "local,local,yes"
                                       << "not installed";
        QTest::newRow("no answer, chose eds last") << ""
                                                   << ""
                                                   << "no answer"
                                                   << "eds"
                                                   << "eds,,yes"
                                                   << "it last chose eds";
        QTest::newRow("no answer, chose local last") << ""
                                                     << ""
                                                     << "no answer"
                                                     << "local"
                                                     << "local,,yes"
                                                     << "last chose local";
        QTest::newRow("no answer, never asked") << ""
                                                << ""
                                                << "no answer"
                                                << ""
                                                << "local,,yes"
                                                << "did not answer (timed out)";
    }

    void shouldChooseAddressBook()
    {
        QFETCH(QString, environment);
        QFETCH(QString, setting);
        QFETCH(QString, registry);
        QFETCH(QString, lastDetected);
        QFETCH(QString, expected);
        QFETCH(QString, reason);
        ContactsSource::Inputs inputs;
        inputs.environment = environment;
        inputs.setting = setting;
        inputs.lastDetected = lastDetected;
        bool probed = false;
        inputs.probe = [&] {
            probed = true;
            return answer(registry);
        };
        QString detected = QStringLiteral("stale");
        const ContactsSource::Choice choice = ContactsSource::choose(inputs, &detected);
        QCOMPARE(QStringLiteral("%1,%2,%3")
                     .arg(ContactsSource::nameOf(choice.kind), detected,
                          QLatin1String(probed ? "yes" : "no")),
                 expected);
        QVERIFY2(choice.reason.contains(reason), qPrintable(choice.reason));
    }

    // An update must never hide the person's own contacts behind the desktop's empty book.
    void shouldKeepOurOwnBookWhileItHoldsContacts_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("local");
        QTest::addColumn<QString>("expected"); // kind,probed
        QTest::newRow("automatic, own contacts") << "" << 3 << "local,no";
        QTest::newRow("automatic, own book unreadable") << "auto" << -1 << "local,no";
        QTest::newRow("automatic, own book empty") << "" << 0 << "eds,yes";
        QTest::newRow("setting eds, own contacts") << "eds" << 3 << "eds,no";
    }
    void shouldKeepOurOwnBookWhileItHoldsContacts()
    {
        QFETCH(QString, setting);
        QFETCH(int, local);
        QFETCH(QString, expected);
        ContactsSource::Inputs inputs;
        inputs.setting = setting;
        inputs.localContacts = [local] { return local; };
        bool probed = false;
        inputs.probe = [&] {
            probed = true;
            return answer(QStringLiteral("on"));
        };
        const ContactsSource::Choice choice = ContactsSource::choose(inputs);
        QCOMPARE(QStringLiteral("%1,%2").arg(ContactsSource::nameOf(choice.kind),
                                             QLatin1String(probed ? "yes" : "no")),
                 expected);
    }

    void shouldCountThePersonsContactsOnly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("contacts.db"));
        QCOMPARE(ContactsSource::personalContactCount(path), 0);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE contacts (id INTEGER PRIMARY KEY, label TEXT, guid "
                              "TEXT, details BLOB);"
                              "INSERT INTO contacts VALUES (1, 'Voicemail', "
                              "'com.velto.voicemail.contact', x'');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QCOMPARE(ContactsSource::personalContactCount(path), 0);
        QCOMPARE(sqlite3_exec(db, "INSERT INTO contacts VALUES (2, 'Anna', NULL, x'')", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QCOMPARE(ContactsSource::personalContactCount(path), 1);
        QFile damaged(dir.filePath(QStringLiteral("damaged.db")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();
        QCOMPARE(ContactsSource::personalContactCount(damaged.fileName()), -1);
    }

    void shouldReadAddressBooksOfRegistry_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QString>("expected");
        const QString top = QStringLiteral("[Data Source]\nDisplayName=Top\nEnabled=true\n");
        const QString off = QStringLiteral("[Data Source]\nDisplayName=Off\nEnabled=false\n");
        const QString book = QStringLiteral("[Data Source]\nDisplayName[de]=Persönlich\n"
                                            "DisplayName=Personal\nEnabled=%1\nParent=%2\n\n"
                                            "[Address Book]\nBackendName=local\n");
        QTest::newRow("enabled book")
            << QStringList{source("top", top), source("a", book.arg("true", "top"))}
            << "a Personal local on";
        QTest::newRow("disabled book")
            << QStringList{source("a", book.arg("false", ""))} << "a Personal local off";
        QTest::newRow("disabled parent")
            << QStringList{source("off", off), source("a", book.arg("true", "off"))}
            << "a Personal local off";
        QTest::newRow("missing parent")
            << QStringList{source("a", book.arg("true", "gone"))} << "a Personal local on";
        QTest::newRow("parents in a loop")
            << QStringList{source("a", book.arg("true", "b")), source("b", book.arg("true", "a"))}
            << "a Personal local off|b Personal local off";
        QTest::newRow("calendar is no address book")
            << QStringList{source("c", QStringLiteral("[Data Source]\nEnabled=true\n[Calendar]\n"
                                                      "BackendName=local\n"))}
            << "";
    }

    void shouldReadAddressBooksOfRegistry()
    {
        QFETCH(QStringList, sources);
        QFETCH(QString, expected);
        QList<QPair<QString, QString>> pairs;
        for (const QString &s : sources)
            pairs << qMakePair(s.section(QLatin1Char('|'), 0, 0), s.section(QLatin1Char('|'), 1));
        QStringList shown;
        for (const EdsRegistryProbe::AddressBook &b : EdsRegistryProbe::addressBooks(pairs))
            shown << QStringLiteral("%1 %2 %3 %4")
                         .arg(b.uid, b.name, b.backend, QLatin1String(b.enabled ? "on" : "off"));
        QCOMPARE(shown.join(QLatin1Char('|')), expected);
    }
};

QTEST_GUILESS_MAIN(TestContactsSource)
#include "tst_contactssource.moc"
