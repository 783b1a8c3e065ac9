#include "callhistorycache.h"
#include "callhistorycontact.h"
#include "callhistorycontactsmanager.h"
#include "callhistorydialogmanager.h"
#include "callhistoryfilterproxymodel.h"
#include "callhistoryitem.h"
#include "callhistorylocale.h"
#include "callhistorypage.h"
#include "callhistoryvoicemail.h"
#include "callmodel.h"
#include "contactsengine.h"
#include "event.h"
#include "eventstore.h"
#include "maction.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mgconfitem.h"
#include "mimagewidget.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlocale.h"
#include "mobjectmenu.h"
#include "modelmanager.h"
#include "mtoolbar.h"
#include "pagemanager.h"
#include "programwindow.h"
#include "returncalldialog.h"
#include "testsupport.h"
#include "voicemailstore.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString NumberA = QStringLiteral("+358401000001");
const QString NumberB = QStringLiteral("+358402000002");
} // namespace

// The rows of the call history list on the real store and address book: what a tap and the
// long-press menu act on when rows are recycled under them, what the menu copies, the contact
// details drawn when panning stops, and the renaming of voicemail calls.
class TestCallHistoryRows : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    CommHistory::EventStore m_store;
    QList<QtContacts::QContactId> m_savedContacts;

    PageManager *pm() { return PageManager::instance(); }
    CallHistoryPage *page() { return pm()->callHistoryPage(); }
    CommHistory::CallModel *model() { return ModelManager::instance()->model(); }

    int addCall(const QString &remote, int seconds, bool missed, const QString &local = Cellular)
    {
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(missed ? CommHistory::Event::Inbound : CommHistory::Event::Outbound);
        call.setLocalUid(local);
        call.setRemoteUid(remote);
        const QDateTime end = QDateTime::currentDateTime();
        call.setStartTime(end.addSecs(-seconds));
        call.setEndTime(end);
        call.setIsMissedCall(missed);
        call.setIsRead(!missed);
        if (!m_store.addEvent(call))
            return -1;
        return call.id();
    }

    // The row on screen that shows the event, or null; with `flush`, after the list has taken
    // in the model's changes.
    CallHistoryItem *rowOf(int eventId, bool flush = true)
    {
        if (flush)
            page()->list()->flush();
        for (MWidget *cell : page()->list()->visibleCells()) {
            auto *row = static_cast<CallHistoryItem *>(cell);
            if (row->eventId() == eventId)
                return row;
        }
        return nullptr;
    }

    QModelIndex indexOf(int eventId) { return model()->findEvent(eventId); }

    // The menu entry of the row's action with this text.
    static int entryOf(MObjectMenu *menu, const QString &text)
    {
        const QList<QAction *> entries = menu->entries();
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i)->text() == text)
                return i;
        }
        return -1;
    }

    void clearHistory()
    {
        QVERIFY(m_store.deleteAll());
        QTRY_COMPARE(model()->rowCount(), 0);
    }

    QtContacts::QContactId saveContact(const QString &name, const QString &mobile,
                                       const QString &account, const QString &accountPath)
    {
        using namespace QtContacts;
        QContactManager book(ContactsEngine::ensureRegistered());
        QContact contact;
        QContactName contactName;
        contactName.setFirstName(name);
        contact.saveDetail(&contactName);
        QContactPhoneNumber phone;
        phone.setNumber(mobile);
        phone.setSubTypes({QContactPhoneNumber::SubTypeMobile});
        contact.saveDetail(&phone);
        QContactPhoneNumber work;
        work.setNumber(QStringLiteral("+3589555") + mobile.right(4));
        contact.saveDetail(&work);
        QContactOnlineAccount online;
        online.setAccountUri(account);
        online.setValue(QContactOnlineAccount__FieldAccountPath, accountPath);
        online.setLinkedDetailUris(QStringLiteral("presence:") + name);
        contact.saveDetail(&online);
        QContactPresence presence;
        presence.setDetailUri(QStringLiteral("presence:") + name);
        presence.setPresenceState(QContactPresence::PresenceBusy);
        contact.saveDetail(&presence);
        book.saveContact(&contact);
        m_savedContacts << contact.id();
        return contact.id();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_store.open());
        m_window = TestSupport::showProgramWindow();
        QVERIFY(m_window);
        pm()->showCallHistory();
    }

    void cleanup()
    {
        // A tap may have opened a dialog; the next case taps the list again.
        CallHistoryDialogManager::instance()->dismissAll();
        QTRY_VERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
        QtContacts::QContactManager book(ContactsEngine::ensureRegistered());
        book.removeContacts(m_savedContacts);
        m_savedContacts.clear();
    }

    void cleanupTestCase()
    {
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
    }

    void shouldActOnThePressedCallAfterItsRowIsRefilled_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("missed");
        QTest::newRow("delete from the menu") << "delete" << false;
        QTest::newRow("copy number from the menu") << "copy" << false;
        QTest::newRow("duration of a press held while refilled") << "duration" << false;
        QTest::newRow("tap marking a missed call read") << "tap" << true;
        QTest::newRow("tap opening the return-call dialog") << "dialog" << false;
    }
    void shouldActOnThePressedCallAfterItsRowIsRefilled()
    {
        QFETCH(QString, action);
        QFETCH(bool, missed);
        clearHistory();
        const int a = addCall(NumberA, 75, missed);
        const int b = addCall(NumberB, 130, missed);
        QTRY_VERIFY(rowOf(a) && rowOf(b));
        CallHistoryItem *row = rowOf(a);
        QGuiApplication::clipboard()->clear();
        // What the list had still to do is done: from here on only the test refills the row.
        QCoreApplication::sendPostedEvents();
        page()->list()->flush();

        // Each action starts on call A; before it is carried out the list recycles A's row for
        // call B, as it does when a new call arrives.
        QString actedOn;
        if (action == QLatin1String("delete") || action == QLatin1String("copy")) {
            row->longPress();
            QVERIFY(row->objectMenu());
            const QString entry = qtTrId(
                action == QLatin1String("delete") ? "qtn_comm_delete" : "qtn_call_copy_number");
            row->objectMenu()->triggerEntry(entryOf(row->objectMenu(), entry));
            row->fill(indexOf(b));
            if (action == QLatin1String("delete")) {
                QTRY_VERIFY(!m_store.event(a).isValid() || !m_store.event(b).isValid());
                actedOn = m_store.event(a).isValid() ? "B" : "A";
            } else {
                QTRY_VERIFY(!QGuiApplication::clipboard()->text().isEmpty());
                const QString copied = QGuiApplication::clipboard()->text();
                actedOn = copied == NumberA ? "A" : copied == NumberB ? "B" : copied;
            }
        } else if (action == QLatin1String("duration")) {
            const QPoint at = m_window->mapFromScene(row->mapToScene(row->rect().center()));
            QTest::mousePress(m_window->viewport(), Qt::LeftButton, {}, at);
            row->fill(indexOf(b));
            QTRY_VERIFY(row->objectMenu());
            const QString text = row->objectMenu()->entries().first()->text();
            actedOn = text.contains(QLatin1String("01:15"))   ? "A"
                      : text.contains(QLatin1String("02:10")) ? "B"
                                                              : text;
            row->objectMenu()->dismiss();
            QTest::mouseRelease(m_window->viewport(), Qt::LeftButton, {}, at);
        } else if (action == QLatin1String("dialog")) {
            QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                              m_window->mapFromScene(row->mapToScene(row->rect().center())));
            row->fill(indexOf(b));
            CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
            QTRY_VERIFY(dialogs->hasDialogs());
            auto *dialog = qobject_cast<ReturnCallDialog *>(dialogs->dialogs().last());
            QVERIFY(dialog);
            // What it shows and what its call button dials.
            const ReturnCallDialog::Snapshot &s = dialog->snapshot();
            const QString shown = s.eventId == a && s.remoteUid == NumberA   ? "A"
                                  : s.eventId == b && s.remoteUid == NumberB ? "B"
                                                                             : s.remoteUid;
            actedOn = shown;
            QTRY_COMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
            TestSupport::saveScreenshot(m_window, QStringLiteral("rows-dialog-of-pressed-call"));
        } else {
            QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                              m_window->mapFromScene(row->mapToScene(row->rect().center())));
            row->fill(indexOf(b));
            QTRY_VERIFY(m_store.event(a).isRead() || m_store.event(b).isRead());
            actedOn = QString(m_store.event(a).isRead() ? "A" : "") +
                      (m_store.event(b).isRead() ? "B" : "");
        }
        QCOMPARE(actedOn, QStringLiteral("A"));
        // Let the list draw its rows from the model again.
        const QModelIndex own = page()->list()->indexForCell(row);
        if (own.isValid())
            row->fill(own);
    }

    void shouldCloseTheMenuWhenItsRowShowsAnotherCall_data()
    {
        QTest::addColumn<QString>("refill");
        QTest::addColumn<bool>("menuKept");
        QTest::newRow("refilled with the same call") << "same" << true;
        QTest::newRow("refilled with another call") << "other" << false;
        QTest::newRow("a new call arrives") << "new call" << false;
    }
    void shouldCloseTheMenuWhenItsRowShowsAnotherCall()
    {
        QFETCH(QString, refill);
        QFETCH(bool, menuKept);
        clearHistory();
        const int a = addCall(NumberA, 75, false);
        const int b = addCall(NumberB, 130, false);
        QTRY_VERIFY(rowOf(a) && rowOf(b));
        CallHistoryItem *row = rowOf(a);
        row->longPress();
        QPointer<MObjectMenu> menu = row->objectMenu();
        QVERIFY(menu);
        if (refill == QLatin1String("same")) {
            row->fill(indexOf(a));
        } else if (refill == QLatin1String("other")) {
            row->fill(indexOf(b));
            row->fill(page()->list()->indexForCell(row));
        } else {
            addCall(QStringLiteral("+358409999999"), 10, false);
            QTRY_VERIFY(row->eventId() != a);
        }
        if (menuKept) {
            QVERIFY(menu && menu->sceneWindowState() != MSceneWindow::Disappearing);
            menu->dismiss();
        }
        QTRY_VERIFY(menu.isNull());
    }

    void shouldCloseTheMenuOnPageSwitch_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("dialer tab tapped") << "dialer tab";
        QTest::newRow("contacts page shown from outside") << "contacts";
        QTest::newRow("back to the background") << "prestart";
    }
    void shouldCloseTheMenuOnPageSwitch()
    {
        QFETCH(QString, how);
        clearHistory();
        const int a = addCall(NumberA, 75, false);
        QTRY_VERIFY(rowOf(a));
        rowOf(a)->longPress();
        QPointer<MObjectMenu> menu = rowOf(a)->objectMenu();
        QVERIFY(menu);
        if (how == QLatin1String("dialer tab")) {
            MButton *tab = m_window->toolBar()->buttonFor(pm()->toolbarActions().at(1));
            QVERIFY(tab);
            QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                              m_window->mapFromScene(tab->mapToScene(tab->rect().center())));
            QCOMPARE(pm()->currentPageType(), int(PageManager::Dialer));
        } else if (how == QLatin1String("contacts")) {
            pm()->showContacts();
        } else {
            QMetaObject::invokeMethod(pm(), "onPrestartRestored");
        }
        TestSupport::saveScreenshot(
            m_window, QStringLiteral("rows-menu-after-%1").arg(how).replace(' ', '-'));
        QVERIFY(!menu || menu->sceneWindowState() == MSceneWindow::Disappeared);
        QTRY_VERIFY(menu.isNull());
        if (how == QLatin1String("prestart"))
            QMetaObject::invokeMethod(pm(), "onPrestartReleased");
        pm()->showCallHistory();
    }

    // The menu's texts follow a change of language made while the program runs, whether the
    // menu is opened after it or is open at the time.
    void shouldShowTheMenuInTheCurrentLanguage_data()
    {
        QTest::addColumn<bool>("openDuringSwitch");
        QTest::newRow("opened after the switch") << false;
        QTest::newRow("open during the switch") << true;
    }
    void shouldShowTheMenuInTheCurrentLanguage()
    {
        QFETCH(bool, openDuringSwitch);
        clearHistory();
        const int a = addCall(NumberA, 136, false);
        QTRY_VERIFY(rowOf(a));
        const QString english = qtTrId("qtn_call_copy_number");
        if (openDuringSwitch)
            rowOf(a)->longPress();
        QVERIFY(TestSupport::setSystemLanguage(QStringLiteral("de")));
        const auto restore = qScopeGuard([] { TestSupport::setSystemLanguage(QString()); });
        QTRY_VERIFY(qtTrId("qtn_call_copy_number") != english);
        if (!openDuringSwitch)
            rowOf(a)->longPress();
        MObjectMenu *menu = rowOf(a)->objectMenu();
        QVERIFY(menu);
        QStringList entries;
        for (QGraphicsItem *item : menu->childItems())
            if (auto *entry = qobject_cast<MButton *>(item->toGraphicsObject()))
                entries << entry->text();
        TestSupport::saveScreenshot(
            m_window,
            QStringLiteral("rows-menu-german-%1").arg(openDuringSwitch ? "open" : "after"));
        QCOMPARE(
            entries.join('|'),
            QStringList({qtTrId("qtn_call_duration").arg("02:16"), qtTrId("qtn_call_copy_number"),
                         qtTrId("qtn_comm_delete"), qtTrId("qtn_call_log_empty")})
                .join('|'));
        menu->dismiss();
        QTRY_VERIFY(!rowOf(a)->objectMenu());
    }

    void shouldCopyTheBareNumber_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("copied");
        QTest::newRow("cellular call") << NumberA << Cellular << NumberA;
        QTest::newRow("internet call to a number")
            << "sip:+358405000005@sip.example.com"
            << "/org/freedesktop/Telepathy/Account/sip/sip/account0"
            << "+358405000005";
    }
    void shouldCopyTheBareNumber()
    {
        QFETCH(QString, remote);
        QFETCH(QString, account);
        QFETCH(QString, copied);
        clearHistory();
        const int id = addCall(remote, 30, false, account);
        QTRY_VERIFY(rowOf(id));
        CallHistoryItem *row = rowOf(id);
        QGuiApplication::clipboard()->clear();
        row->longPress();
        QVERIFY(row->objectMenu());
        const int entry = entryOf(row->objectMenu(), qtTrId("qtn_call_copy_number"));
        QVERIFY(entry >= 0);
        row->objectMenu()->triggerEntry(entry);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), copied);
    }

    void shouldDrawContactDetailsWhenPanningStops_data()
    {
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("shown");
        QTest::newRow("number kind of a cellular call")
            << "+358406000006" << Cellular << "| " + qtTrId("qtn_comm_type_mobile");
        QTest::newRow("presence of an internet call")
            << "anna@example.com"
            << "/org/freedesktop/Telepathy/Account/sip/sip/account0"
            << "icon-s-common-presence-busy";
    }
    void shouldDrawContactDetailsWhenPanningStops()
    {
        QFETCH(QString, remote);
        QFETCH(QString, account);
        QFETCH(QString, shown);
        clearHistory();
        const QtContacts::QContactId contactId = saveContact(
            QStringLiteral("Anna"), QStringLiteral("+358406000006"), "anna@example.com", account);
        QVERIFY(!contactId.isNull());
        const int id = addCall(remote, 30, false, account);
        QTRY_COMPARE(model()->event(indexOf(id)).contacts().size(), 1);
        // The contact is resolved already: another row holds it.
        CallHistoryContact *held = CallHistoryContactsManager::instance()->acquireContact(
            ContactsEngine::toLocalId(contactId));
        QTRY_VERIFY(held->isResolved());

        // A row filled while the list pans, from a cache that has not reached the event yet.
        CallHistoryItem row(page()->filterModel(), nullptr);
        row.onPanningStarted();
        CallHistoryCache::instance()->clear();
        row.fill(indexOf(id));
        auto drawn = [&row]() {
            return row.subtitleLabel()->text() + QLatin1Char(' ') + row.presenceIcon()->image();
        };
        QVERIFY2(!drawn().contains(shown), qPrintable(drawn()));
        row.onPanningStopped();
        QVERIFY2(drawn().contains(shown), qPrintable(drawn()));
        held->release();
    }

    void shouldRenameRowsWhenVoicemailNumbersChange()
    {
        clearHistory();
        const QString number = QStringLiteral("+358407000007");
        const int id = addCall(number, 30, false);
        QTRY_VERIFY(rowOf(id));
        QSignalSpy changed(CallHistoryVoicemail::instance(),
                           &CallHistoryVoicemail::voicemailChanged);
        MGConfItem numbers(QString::fromLatin1(VoicemailStore::numbersKey));
        const QString voicemail = qtTrId("qtn_call_type_voicemail");

        // Read as soon as the service reports, before the list refills anything by itself.
        QStringList titles;
        QVERIFY(numbers.set(QStringList{number}));
        QVERIFY(changed.wait());
        titles << (rowOf(id, false)->titleLabel()->text() == voicemail ? "voicemail" : "number");
        QVERIFY(numbers.set(QStringList()));
        QVERIFY(changed.wait());
        titles << (rowOf(id, false)->titleLabel()->text() == voicemail ? "voicemail" : "number");
        QCOMPARE(titles.join(' '), QStringLiteral("voicemail number"));
    }
};

CH_TOUCH_TEST_MAIN(TestCallHistoryRows)
#include "tst_callhistoryrows.moc"
