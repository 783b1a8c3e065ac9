#include "addmergedialog.h"
#include "callhistorydialogmanager.h"
#include "callhistoryitem.h"
#include "callhistorymulticontacts.h"
#include "callhistorypage.h"
#include "contactcardsheet.h"
#include "contacteditorhandle.h"
#include "contacteditorsheet.h"
#include "contactlistrow.h"
#include "contactlistwidget.h"
#include "contactmergepicker.h"
#include "contactpickerlist.h"
#include "contactpickermodel.h"
#include "contactsengine.h"
#include "contactsheets.h"
#include "contactsinterface.h"
#include "detailselector.h"
#include "detailselectoritem.h"
#include "detailselectormodel.h"
#include "dialogtestbench.h"
#include "displaytext.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlist.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "multicontactssheet.h"
#include "pagemanager.h"
#include "phonenumberformat.h"
#include "returncalldialog.h"
#include "testsupport.h"
#include "uricatcher.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactPhoneNumber>

#include <QtTest>

using namespace QtContacts;

// From a tapped call to the contacts application and back, as a person would: the call history
// page on a real store, the address book, the development call-UI service, messaging hand-off.
class TestContactSheets : public QObject
{
    Q_OBJECT
private:
    DialogTestBench m_bench;
    CommHistory::EventStore m_store;
    quint32 m_anna = 0;

    CallHistoryPage *page() { return PageManager::instance()->callHistoryPage(); }
    MSceneManager *scenes() { return m_bench.window()->sceneManager(); }

    template <typename T> T *top()
    {
        const QList<MSceneWindow *> shown = scenes()->overlays();
        for (int i = shown.size() - 1; i >= 0; --i)
            if (T *w = qobject_cast<T *>(shown.at(i)))
                return w;
        return nullptr;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_bench.window()->viewport(), Qt::LeftButton, {},
                          m_bench.window()->mapFromScene(w->mapToScene(w->rect().center())));
    }

    void addCall(const QString &remote, int minutesAgo)
    {
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(CommHistory::Event::Inbound);
        call.setLocalUid(DialogTestBench::Cellular);
        call.setRemoteUid(remote);
        const QDateTime end = QDateTime::currentDateTime().addSecs(-60 * minutesAgo);
        call.setStartTime(end.addSecs(-30));
        call.setEndTime(end);
        call.setIsRead(true);
        QVERIFY(m_store.addEvent(call));
    }

    QList<CallHistoryItem *> rows()
    {
        page()->list()->flush();
        QList<CallHistoryItem *> r;
        for (MWidget *cell : page()->list()->visibleCells())
            r << static_cast<CallHistoryItem *>(cell);
        return r;
    }

    CallHistoryItem *rowOf(const QString &remote)
    {
        // Only a row on screen: the list is made before the page leaves its empty layout, and
        // the page places the list in a later turn; until then a row is not where it is drawn.
        const qreal screenWidth = m_bench.window()->viewport()->width();
        for (CallHistoryItem *r : rows())
            if (r->remoteUid() == remote && r->isVisible() &&
                qFuzzyCompare(r->mapRectToScene(r->rect()).width(), screenWidth))
                return r;
        return nullptr;
    }

    QString titleOf(const QString &remote)
    {
        CallHistoryItem *r = rowOf(remote);
        return r ? r->titleLabel()->text() : QString();
    }

    // Taps the row of remote and returns the dialog it opened.
    ReturnCallDialog *openDialog(const QString &remote)
    {
        CallHistoryItem *r = nullptr;
        [&]() { QTRY_VERIFY((r = rowOf(remote))); }();
        if (!r)
            return nullptr;
        tap(r);
        [&]() { QTRY_VERIFY(top<ReturnCallDialog>()); }();
        return top<ReturnCallDialog>();
    }

    // The contact rows a contact list shows now.
    static QList<ContactListRow *> contactRows(ContactPickerList *list)
    {
        list->list()->flush();
        QList<ContactListRow *> rows;
        for (MWidget *cell : list->list()->visibleCells())
            if (auto *row = qobject_cast<ContactListRow *>(cell))
                rows << row;
        return rows;
    }

    QStringList numbersOf(quint32 id)
    {
        QStringList n;
        const QContact c =
            m_bench.addressBook()->contact(ContactsEngine::toContactId(QContactLocalId(id)));
        for (const QContactPhoneNumber &p : c.details<QContactPhoneNumber>())
            n << p.number();
        return n;
    }

    void closeAll()
    {
        CallHistoryDialogManager::instance()->dismissAll();
        for (MSceneWindow *w : scenes()->overlays())
            w->dismiss();
        QTRY_VERIFY(scenes()->overlays().isEmpty());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_bench.start(), qPrintable(m_bench.error()));
        QVERIFY(m_store.open());
        m_anna = m_bench.addContact(
            QStringLiteral("Anna"), QStringLiteral("Virtanen"),
            {{QStringLiteral("+358401234567"), 1}, {QStringLiteral("0912345678"), -1}});
        QVERIFY(m_anna);
    }

    void cleanup() { closeAll(); }

    void shouldPlaceCallThatAppearsAtTopOfHistory()
    {
        addCall(QStringLiteral("0401111111"), 60);
        ReturnCallDialog *d = openDialog(QStringLiteral("0401111111"));
        QVERIFY(d);
        m_bench.clearRequests();
        tap(d->callButton());
        QTRY_COMPARE(m_bench.requests().join(','), QStringLiteral("0401111111|pulse|0|"));
        QTRY_VERIFY(!top<ReturnCallDialog>());
        // The service completes the call and writes it into the history: a dialled call on top.
        QTRY_VERIFY(!rows().isEmpty() && rows().first()->directionCode() == 1 &&
                    rows().first()->remoteUid() == QLatin1String("0401111111"));
    }

    void shouldSaveNumberAsNewContact()
    {
        addCall(QStringLiteral("0407777777"), 50);
        ReturnCallDialog *d = openDialog(QStringLiteral("0407777777"));
        QVERIFY(d && d->addContactButton());
        tap(d->addContactButton());
        QTRY_VERIFY(top<AddMergeDialog>());
        TestSupport::saveScreenshot(m_bench.window(), "flow-addmerge-en");
        tap(top<AddMergeDialog>()->buttons().first());
        QTRY_VERIFY(top<ContactEditorSheet>());
        ContactEditorSheet *editor = top<ContactEditorSheet>();
        QVERIFY(PageManager::instance()->contactEditor());
        QCOMPARE(editor->contact().details<QContactPhoneNumber>().value(0).number(),
                 QStringLiteral("0407777777"));
        editor->firstNameField()->setText(QStringLiteral("Carl"));
        editor->lastNameField()->setText(QStringLiteral("Young"));
        TestSupport::saveScreenshot(m_bench.window(), "flow-editor-en");
        QSignalSpy saved(editor, SIGNAL(saveFinished(bool)));
        tap(editor->acceptButton());
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toBool(), true);
        QTRY_VERIFY(!top<ContactEditorSheet>());
        QTRY_VERIFY(!PageManager::instance()->contactEditor());
        // Saved for every process: another connection to the book finds it by its number.
        QContactDetailFilter byNumber;
        byNumber.setDetailType(QContactDetail::TypePhoneNumber, QContactPhoneNumber::FieldNumber);
        byNumber.setValue(QStringLiteral("0407777777"));
        byNumber.setMatchFlags(QContactFilter::MatchPhoneNumber);
        QContactManager other(ContactsEngine::ensureRegistered());
        QCOMPARE(other.contacts(byNumber).size(), 1);
        // The row takes the new contact's name.
        QTRY_COMPARE(titleOf(QStringLiteral("0407777777")), QStringLiteral("Carl Young"));
    }

    void shouldAddNumberToExistingContact()
    {
        addCall(QStringLiteral("0408888888"), 40);
        ReturnCallDialog *d = openDialog(QStringLiteral("0408888888"));
        QVERIFY(d && d->addContactButton());
        tap(d->addContactButton());
        QTRY_VERIFY(top<AddMergeDialog>());
        tap(top<AddMergeDialog>()->buttons().last());
        QTRY_VERIFY(top<ContactMergePicker>() && top<ContactMergePicker>()->isLoaded());
        ContactMergePicker *picker = top<ContactMergePicker>();
        QVERIFY(picker->list()->model()->contactCount() >= 2);
        picker->list()->filterEdit()->setText(QStringLiteral("virt"));
        QTRY_COMPARE(contactRows(picker->list()).size(), 1);
        TestSupport::saveScreenshot(m_bench.window(), "flow-mergepicker-en");
        QSignalSpy saved(picker, SIGNAL(saveFinished(bool)));
        tap(contactRows(picker->list()).first());
        QTRY_COMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toBool(), true);
        QTRY_VERIFY(!top<ContactMergePicker>());
        QCOMPARE(numbersOf(m_anna).join(','),
                 QStringLiteral("+358401234567,0912345678,0408888888"));
        // Said, as a copied number is.
        QTRY_VERIFY(top<MBanner>());
        QCOMPARE(top<MBanner>()->title(), qtTrId("qtn_call_number_added"));
        TestSupport::saveScreenshot(m_bench.window(), "flow-merged-en");
        top<MBanner>()->dismiss();
        QTRY_VERIFY(!top<MBanner>());
    }

    void shouldSayWhenAnAddressWasAddedOrNothingWas_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("banner");
        QTest::newRow("address added") << true << "qtn_call_address_added";
        QTest::newRow("picker closed without a pick") << false << "";
    }
    void shouldSayWhenAnAddressWasAddedOrNothingWas()
    {
        QFETCH(bool, save);
        QFETCH(QString, banner);
        static quint32 dora = 0;
        if (!dora)
            dora = m_bench.addContact(QStringLiteral("Dora"), QStringLiteral("Merge"),
                                      {{QStringLiteral("0405550001"), 1}});
        QVERIFY(dora);
        mergeWithContact(DialogTestBench::Sip, QStringLiteral("sip:dora@example.com"));
        QTRY_VERIFY(top<ContactMergePicker>() && top<ContactMergePicker>()->isLoaded());
        ContactMergePicker *picker = top<ContactMergePicker>();
        if (save)
            QVERIFY(picker->mergeInto(dora));
        else
            picker->dismiss();
        QTRY_VERIFY(!top<ContactMergePicker>());
        if (banner.isEmpty()) {
            QCoreApplication::sendPostedEvents();
            QVERIFY(!top<MBanner>());
            return;
        }
        QTRY_VERIFY(top<MBanner>());
        QCOMPARE(top<MBanner>()->title(), qtTrId(qPrintable(banner)));
        top<MBanner>()->dismiss();
        QTRY_VERIFY(!top<MBanner>());
        QTRY_COMPARE(titleOf(QStringLiteral("0408888888")), QStringLiteral("Anna Virtanen"));
    }

    void shouldCallNumberTappedOnContactCard()
    {
        addCall(QStringLiteral("+358401234567"), 30);
        QTRY_COMPARE(titleOf(QStringLiteral("+358401234567")), QStringLiteral("Anna Virtanen"));
        ReturnCallDialog *d = openDialog(QStringLiteral("+358401234567"));
        QVERIFY(d && d->contactHeader());
        QCOMPARE(d->metaObject()->className(), "ReturnCallDialogKnownContact");
        tap(d->contactHeader());
        QTRY_VERIFY(top<ContactCardSheet>() && top<ContactCardSheet>()->isLoaded());
        ContactCardSheet *card = top<ContactCardSheet>();
        QCOMPARE(card->name(), QStringLiteral("Anna Virtanen"));
        QCOMPARE(card->addressRows().size(), 3);
        TestSupport::saveScreenshot(m_bench.window(), "flow-card-en");
        m_bench.clearRequests();
        tap(card->addressRows().at(1));
        QTRY_COMPARE(m_bench.requests().join(','),
                     QStringLiteral("0912345678|pulse|%1|Anna Virtanen").arg(m_anna));
        QTRY_VERIFY(!top<ContactCardSheet>());
    }

    void shouldListContactsSharingNumber()
    {
        const quint32 dan = m_bench.addContact(QStringLiteral("Dan"), QStringLiteral("Shared"),
                                               {{QStringLiteral("0402222222"), 1}});
        const quint32 erin = m_bench.addContact(QStringLiteral("Erin"), QStringLiteral("Shared"),
                                                {{QStringLiteral("0402222222"), -1}});
        QVERIFY(dan && erin);
        addCall(QStringLiteral("0402222222"), 20);
        QTRY_VERIFY(rowOf(QStringLiteral("0402222222")) &&
                    rowOf(QStringLiteral("0402222222"))->contacts().size() == 2);
        ReturnCallDialog *d = openDialog(QStringLiteral("0402222222"));
        QVERIFY(d);
        QCOMPARE(d->metaObject()->className(), "ReturnCallDialogMultiContacts");
        tap(d->contactHeader());
        QTRY_VERIFY(top<CallHistoryMultiContacts>());
        CallHistoryMultiContacts *sheet = top<CallHistoryMultiContacts>();
        QVERIFY(CallHistoryDialogManager::instance()->dialogs().contains(sheet));
        QStringList names;
        for (ContactListRow *r : sheet->list()->visibleRows())
            names << r->name();
        QCOMPARE(names.join(','), QStringLiteral("Dan Shared,Erin Shared"));
        TestSupport::saveScreenshot(m_bench.window(), "flow-multicontacts-en");
        tap(sheet->list()->visibleRows().last());
        QTRY_VERIFY(top<ContactCardSheet>() && top<ContactCardSheet>()->isLoaded());
        QCOMPARE(top<ContactCardSheet>()->contactId(), erin);
        QVERIFY(!top<CallHistoryMultiContacts>());
    }

    void shouldCloseContactsListWhenCallIsDeleted()
    {
        QTRY_VERIFY(rowOf(QStringLiteral("0402222222")));
        const int id = rowOf(QStringLiteral("0402222222"))->eventId();
        ReturnCallDialog *d = openDialog(QStringLiteral("0402222222"));
        QVERIFY(d);
        tap(d->contactHeader());
        QTRY_VERIFY(top<CallHistoryMultiContacts>());
        QVERIFY(m_store.deleteEvents({id}));
        QTRY_VERIFY(!top<CallHistoryMultiContacts>());
    }

    // One number, grouped one way: in the row and the dialog of an unknown caller, and in the
    // dialog, the contact card and the number picker of a known one.
    void shouldShowNumbersAlikeOnEveryScreen()
    {
        const QString unknown = QStringLiteral("+358409998877");
        const quint32 gus = m_bench.addContact(QStringLiteral("Gus"), QStringLiteral("Grouping"),
                                               {{QStringLiteral("+358 4076 54321"), 1}});
        QVERIFY(gus);
        addCall(unknown, 5);
        addCall(QStringLiteral("+358407654321"), 6);
        QStringList seen;
        const auto plain = [](const QString &text) {
            return stripBidiMarks(text).section(QStringLiteral(" | "), 0, 0);
        };
        QTRY_VERIFY(rowOf(unknown));
        seen << "row:" + plain(titleOf(unknown));
        ReturnCallDialog *d = openDialog(unknown);
        QVERIFY(d);
        seen << "unknown dialog:" + plain(d->title());
        closeAll();
        QTRY_VERIFY(rowOf(QStringLiteral("+358407654321")) &&
                    rowOf(QStringLiteral("+358407654321"))->contacts().size() == 1);
        d = openDialog(QStringLiteral("+358407654321"));
        QVERIFY(d && d->numberLabel());
        seen << "known dialog:" + plain(d->numberLabel()->text());
        closeAll();
        PageManager::instance()->openContactCard(gus);
        QTRY_VERIFY(top<ContactCardSheet>() && top<ContactCardSheet>()->isLoaded());
        for (QGraphicsItem *item : top<ContactCardSheet>()->addressRows().first()->childItems())
            if (auto *label = qobject_cast<MLabel *>(item->toGraphicsObject())) {
                seen << "card:" + plain(label->text());
                break;
            }
        TestSupport::saveScreenshot(m_bench.window(), "numbers-card-en");
        closeAll();
        auto *picker =
            new DetailSelector(m_bench.addressBook()->contact(ContactsEngine::toContactId(gus)));
        CallHistoryDialogManager::instance()->addDialog(picker);
        picker->appear(MSceneWindow::DestroyWhenDone);
        QTRY_VERIFY(picker->model()->rowCount() > 0);
        picker->list()->flush();
        auto *first = static_cast<DetailSelectorItem *>(
            picker->list()->cellForIndex(picker->model()->index(0)));
        QVERIFY(first);
        seen << "picker:" + plain(first->addressLabel()->text());
        TestSupport::saveScreenshot(m_bench.window(), "numbers-picker-en");
        closeAll();
        const QString a = PhoneNumberFormat::forDisplay(unknown);
        const QString b = PhoneNumberFormat::forDisplay(QStringLiteral("+358407654321"));
        QCOMPARE(seen.join(','), QStringList({"row:" + a, "unknown dialog:" + a,
                                              "known dialog:" + b, "card:" + b, "picker:" + b})
                                     .join(','));
        // Grouped indeed: libphonenumber's international form.
        QCOMPARE(b, QStringLiteral("+358 40 7654321"));
    }

    void shouldDismissEditorOnPageSwitch()
    {
        addToContacts(DialogTestBench::Cellular, QStringLiteral("0401111111"));
        QTRY_VERIFY(top<ContactEditorSheet>());
        QVERIFY(PageManager::instance()->contactEditor());
        PageManager::instance()->showDialer();
        QTRY_VERIFY(!top<ContactEditorSheet>());
        QVERIFY(!PageManager::instance()->contactEditor());
        PageManager::instance()->showCallHistory();
    }

    void shouldHandConversationToDesktopOrSaySoNot_data()
    {
        QTest::addColumn<bool>("handler");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sms handler") << true << "sms:0401111111";
        QTest::newRow("no handler") << false << qtTrId("qtn_call_no_messaging");
    }

    void shouldHandConversationToDesktopOrSaySoNot()
    {
        QFETCH(bool, handler);
        QFETCH(QString, expected);
        UriCatcher catcher(handler ? QStringList{QStringLiteral("sms")} : QStringList());
        ReturnCallDialog *d = openDialog(QStringLiteral("0401111111"));
        QVERIFY(d && d->messageButton());
        tap(d->messageButton());
        QTRY_VERIFY(!top<ReturnCallDialog>());
        MBanner *banner = top<MBanner>();
        QCOMPARE(handler ? catcher.uris.join(',') : (banner ? banner->title() : QString()),
                 expected);
        if (handler)
            QVERIFY(!banner);
    }

    void shouldSaveScreenshotsOfSheets_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("ar") << "ar";
    }

    void shouldSaveScreenshotsOfSheets()
    {
        QFETCH(QString, language);
        DialogTestBench::setLanguage(language);
        const auto shoot = [this, language](MSceneWindow *w, const char *name) {
            CallHistoryDialogManager::instance()->addDialog(w);
            w->appear(MSceneWindow::DestroyWhenDone);
            QTest::qWait(100);
            TestSupport::saveScreenshot(m_bench.window(),
                                        QStringLiteral("sheet-%1-%2").arg(name, language));
            closeAll();
        };
        shoot(new AddMergeDialog(DialogTestBench::Cellular, QStringLiteral("0401111111")),
              "addmerge");
        auto *several = new MultiContactsSheet(QStringLiteral("0402222222"));
        several->beginUpdate();
        several->addContact(m_anna, QStringLiteral("Anna Virtanen"));
        several->addContact(0, QStringLiteral("0402222222"));
        several->endUpdate();
        shoot(several, "multicontacts");
        addToContacts(DialogTestBench::Cellular, QStringLiteral("0401111111"));
        QTRY_VERIFY(top<ContactEditorSheet>());
        TestSupport::saveScreenshot(m_bench.window(),
                                    QStringLiteral("sheet-editor-%1").arg(language));
        closeAll();
        mergeWithContact(DialogTestBench::Sip, QStringLiteral("sip:carl@example.com"));
        QTRY_VERIFY(top<ContactMergePicker>() && top<ContactMergePicker>()->isLoaded());
        TestSupport::saveScreenshot(m_bench.window(),
                                    QStringLiteral("sheet-mergepicker-%1").arg(language));
        closeAll();
        PageManager::instance()->openContactCard(m_anna);
        QTRY_VERIFY(top<ContactCardSheet>() && top<ContactCardSheet>()->isLoaded());
        TestSupport::saveScreenshot(m_bench.window(),
                                    QStringLiteral("sheet-card-%1").arg(language));
        closeAll();
        DialogTestBench::setLanguage(QStringLiteral("en"));
    }
};

CH_TOUCH_TEST_MAIN(TestContactSheets)
#include "tst_contactsheets.moc"
