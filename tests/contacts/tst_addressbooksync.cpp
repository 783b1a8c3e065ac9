#include "addressbooksync.h"
#include "callhistorycontactsmanager.h"
#include "callmodel.h"
#include "contactmergepicker.h"
#include "contactnameindex.h"
#include "contactsaddressbook.h"
#include "contactsengine.h"
#include "contactssource.h"
#include "edscontactsservice.h"
#include "edstestsession.h"
#include "eventcontactsupdater.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "testsupport.h"
#include "voicemail.h"
#include "voicemailstore.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactPhoneNumber>

#include <QAbstractItemModelTester>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;
using CommHistory::CallModel;
using CommHistory::Event;

// The program on the desktop's address book: the real EDS on the test's bus holds the contacts,
// written through libebook as GNOME Contacts writes them; the program's own connections (the
// history's rows, the contacts tab's names, the merge picker) read and write them through the
// mirror that AddressBookSync starts.
class TestAddressBookSync : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QScopedPointer<EdsTestSession> m_eds;
    MApplicationWindow *m_window = nullptr;
    QThread m_thread;
    int m_histories = 0;

    static QString card(const QString &name, const QString &number,
                        const QString &extra = QString())
    {
        return QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nFN:%1\nN:;%1;;;\nTEL;TYPE=CELL:%2\n%3"
                              "END:VCARD")
            .arg(name, number, extra);
    }

    // A call model on a history of calls from these numbers, matched as the program matches.
    std::unique_ptr<CallModel> callsFrom(const QStringList &numbers)
    {
        const QString path = m_dir.filePath(QStringLiteral("history%1.db").arg(++m_histories));
        QList<Event> events;
        qint64 time = 1700000000;
        for (const QString &number : numbers) {
            Event e;
            e.setType(Event::CallEvent);
            e.setRemoteUid(number);
            e.setLocalUid(QStringLiteral("/org/freedesktop/Telepathy/Account/ring/tel/ring"));
            e.setDirection(Event::Inbound);
            e.setStartTimeT(time);
            e.setEndTimeT(time += 10);
            events << e;
        }
        CommHistory::EventStore store(path);
        if (!store.open() || !store.addEvents(events))
            return nullptr;
        auto model = std::make_unique<CallModel>();
        new QAbstractItemModelTester(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest, model.get());
        model->setDatabasePath(path);
        model->setBackgroundThread(&m_thread);
        model->enableContactChanges(true);
        model->setFilter(CallModel::SortByTime, CallModel::AllCalls);
        EventContactsUpdater::instance()->attach(model.get());
        QSignalSpy ready(model.get(), &CallModel::modelReady);
        model->getEvents();
        if (!ready.wait(10000))
            return nullptr;
        return model;
    }

    // "number=names" per row.
    static QString rows(const CallModel &model)
    {
        QStringList list;
        for (int row = 0; row < model.rowCount(); ++row) {
            const Event e = model.event(model.index(row, 0));
            QStringList names;
            for (const Event::Contact &contact : e.contacts())
                names << contact.second;
            list << e.remoteUid() + QLatin1Char('=') + names.join(QLatin1Char(','));
        }
        list.sort();
        return list.join(QLatin1Char(' '));
    }

    // The names the contacts tab lists.
    static QString contactsTab()
    {
        ContactNameIndex *index = ContactNameIndex::of(ContactsAddressBook::manager());
        QStringList names;
        if (index->list()) {
            for (const SortedContactList::Entry &entry : index->list()->entries())
                names << entry.name;
        }
        names.sort();
        return names.join(QLatin1Char(','));
    }

    QContactLocalId mirroredId(const QString &name)
    {
        for (const QContact &contact : ContactsAddressBook::manager()->contacts()) {
            if (ContactsEngine::synthesizedContactDisplayLabel(contact) == name)
                return ContactsEngine::toLocalId(contact.id());
        }
        return 0;
    }

    // The TEL values and the lines named `also` of the card of `uid` in EDS, sorted.
    QString cardLines(const QString &uid, const QString &also)
    {
        QStringList lines;
        for (const QString &line :
             m_eds->contactVCard(uid).split(QRegularExpression(QStringLiteral("\r?\n")))) {
            if (line.startsWith(QLatin1String("TEL")))
                lines << line.mid(line.lastIndexOf(QLatin1Char(':')) + 1);
            else if (line.startsWith(also))
                lines << line;
        }
        lines.sort();
        return lines.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(ContactsEngine::ContactsSource::current().kind,
                 ContactsEngine::ContactsSource::Eds);
        MLocale locale(QStringLiteral("en_GB"));
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
        QVERIFY((m_window = TestSupport::shownWindow()));
        m_thread.start();
        m_eds.reset(new EdsTestSession);
        QVERIFY2(m_eds->start(), qPrintable(m_eds->errorString()));
        AddressBookSync::instance();
    }

    void cleanupTestCase()
    {
        m_thread.quit();
        m_thread.wait();
        delete m_window;
    }

    void shouldShowContactsOfEdsInRowsAndContactsTab()
    {
        QVERIFY(!m_eds
                     ->addContact(
                         card(QStringLiteral("Ann Example"), QStringLiteral("+358 40 123 4567")))
                     .isEmpty());
        const auto model = callsFrom({QStringLiteral("0401234567"), QStringLiteral("0409999999")});
        QVERIFY(model);
        QTRY_COMPARE(rows(*model), QStringLiteral("0401234567=Ann Example 0409999999="));
        QTRY_VERIFY(contactsTab().contains(QLatin1String("Ann Example")));
    }

    void shouldLeaveTimeForChangesToShowWithinASecond()
    {
        // EDS's view, the mirror's fetch and write take some 50 to 100 ms here; what the program
        // waits for before it reads a change again must leave room for them within a second.
        const int budget = 800;
        QVERIFY(EventContactsUpdater::DefaultDebounce <= budget);
        const CallHistoryContactsManager::Timings timings;
        QVERIFY(timings.changeDebounce + timings.batchWindow <= budget);
    }

    void shouldFollowChangesMadeInEds_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("listed");
        QTest::newRow("edit") << "edit"
                              << "0402222222"
                              << "0402222222=Bob Changed"
                              << "Bob Changed";
        QTest::newRow("removal") << "removal"
                                 << "0403333333"
                                 << "0403333333="
                                 << "";
    }

    void shouldFollowChangesMadeInEds()
    {
        QFETCH(QString, change);
        QFETCH(QString, number);
        QFETCH(QString, row);
        QFETCH(QString, listed);
        const QString name = QStringLiteral("Bob %1").arg(change);
        const QString uid = m_eds->addContact(card(name, number));
        QVERIFY(!uid.isEmpty());
        const auto model = callsFrom({number});
        QVERIFY(model);
        QTRY_COMPARE(rows(*model), number + QLatin1Char('=') + name);
        QTRY_VERIFY(contactsTab().contains(name));
        if (change == QLatin1String("edit"))
            QVERIFY(m_eds->modifyContact(QStringLiteral("BEGIN:VCARD\nVERSION:3.0\nUID:%1\n"
                                                        "FN:Bob Changed\nN:;Bob Changed;;;\n"
                                                        "TEL;TYPE=CELL:%2\nEND:VCARD")
                                             .arg(uid, number)));
        else
            QVERIFY(m_eds->removeContact(uid));
        QTRY_COMPARE(rows(*model), row);
        QTRY_VERIFY(!contactsTab().contains(name));
        if (!listed.isEmpty())
            QTRY_VERIFY(contactsTab().contains(listed));
    }

    void shouldWriteMergeToEds()
    {
        const QString uid =
            m_eds->addContact(card(QStringLiteral("Cid Merge"), QStringLiteral("0404444444"),
                                   QStringLiteral("EMAIL:cid@example.com\n"
                                                  "X-OTHER-PROGRAM:kept\n")));
        QVERIFY(!uid.isEmpty());
        QTRY_VERIFY(mirroredId(QStringLiteral("Cid Merge")) != 0);
        QContact details;
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("0405555555"));
        details.saveDetail(&number);
        auto *picker = new ContactMergePicker(details);
        picker->appear(m_window, MSceneWindow::DestroyWhenDone);
        QTRY_VERIFY(picker->isLoaded());
        QVERIFY(picker->mergeInto(mirroredId(QStringLiteral("Cid Merge"))));
        // GNOME Contacts sees the number; what our program does not read stays in the card.
        const QString expected = QStringLiteral("0404444444 0405555555 X-OTHER-PROGRAM:kept");
        QTRY_COMPARE(cardLines(uid, QStringLiteral("X-OTHER")), expected);
        QVERIFY(m_eds->contactVCard(uid).contains(QLatin1String("cid@example.com")));
    }

    void shouldKeepVoicemailContactInEds()
    {
        // Set through the voicemail service: written to EDS as GNOME Contacts sees it.
        Voicemail voicemail;
        QCOMPARE(voicemail.setVoicemailNumbers({VoicemailNumber(QStringLiteral("+358401112222"))}),
                 Voicemail::NoError);
        const QString uid = QString::fromLatin1(VoicemailStore::voicemailContactGUID);
        QTRY_COMPARE(cardLines(uid, QStringLiteral("FN")),
                     QStringLiteral("+358401112222 FN:Voicemail"));

        // Removed in EDS (or never there, as after a change of address book): written again
        // once EDS is reached again.
        QVERIFY(m_eds->removeContact(uid));
        QTRY_VERIFY(!m_eds->contactUids().contains(uid));
        QVERIFY2(m_eds->stop(), qPrintable(m_eds->errorString()));
        QVERIFY2(m_eds->start(), qPrintable(m_eds->errorString()));
        QTRY_COMPARE(cardLines(uid, QStringLiteral("FN")),
                     QStringLiteral("+358401112222 FN:Voicemail"));
    }

    void shouldTellPersonOfChangeEdsDidNotTake()
    {
        // A mirror of its own, so that it can stop while the program's goes on.
        const QString file = m_dir.filePath(QStringLiteral("banner-mirror.db"));
        const QString uid =
            m_eds->addContact(card(QStringLiteral("Gus Gone"), QStringLiteral("0409990000")));
        QVERIFY(!uid.isEmpty());
        QContactManager book(ContactsEngine::ensureRegistered(),
                             {{QString::fromLatin1(ContactsEngine::databaseParameter), file}});
        const auto gus = [&book] {
            for (const QContact &contact : book.contacts()) {
                if (ContactsEngine::synthesizedContactDisplayLabel(contact) ==
                    QLatin1String("Gus Gone"))
                    return contact;
            }
            return QContact();
        };
        {
            EdsContactsService first(file);
            first.start();
            QTRY_VERIFY(!gus().isEmpty());
        }
        // While no mirror runs, GNOME Contacts removes Gus and our tool changes him.
        QVERIFY(m_eds->removeContact(uid));
        QContact changed = gus();
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("0409990001"));
        changed.saveDetail(&number);
        QVERIFY(book.saveContact(&changed));

        EdsContactsService second(file);
        AddressBookSync sync(&second);
        second.start();
        const QString text = AddressBookSync::refusedText(
            QStringLiteral("Gus Gone"),
            QStringLiteral("the contact was removed from the address book"));
        QCOMPARE(text, QStringLiteral("Gus Gone was not saved to the address book: the contact was "
                                      "removed from the address book"));
        QTRY_VERIFY(!m_window->sceneManager()->overlays().isEmpty());
        auto *banner = qobject_cast<MBanner *>(m_window->sceneManager()->overlays().last());
        QVERIFY(banner);
        QCOMPARE(banner->title(), text);
        TestSupport::saveScreenshot(m_window, QStringLiteral("addressbooksync-refused"));
        banner->dismiss();
    }
};

int main(int argc, char *argv[])
{
    // The desktop's address book is the program's, for every connection of this process.
    qputenv(ContactsEngine::ContactsSource::environmentVariable, "eds");
    MApplication app(argc, argv, QStringLiteral("call-history-tests"));
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAddressBookSync tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_addressbooksync.moc"
