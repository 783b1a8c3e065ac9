#include "avatarwidget.h"
#include "callhistorydialogmanager.h"
#include "callhistorylocale.h"
#include "callhistoryvoicemail.h"
#include "contactdetailtext.h"
#include "contactlistrow.h"
#include "contactpickercontroller.h"
#include "contactpickerlist.h"
#include "contactpickermodel.h"
#include "contactpickerpage.h"
#include "contactsengine.h"
#include "detailselector.h"
#include "devcalluiclient.h"
#include "dialogtestbench.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbanner.h"
#include "mbutton.h"
#include "mgconfitem.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "pagemanager.h"
#include "testsupport.h"
#include "voicemail.h"
#include "voicemaildialog.h"
#include "voicemailstore.h"

#include <QtContacts/QContactManager>

#include <QAbstractItemModelTester>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

// The contacts tab on the real address book, the voicemail service (dconf) and the development
// call-UI service: picking, calling, the voicemail flow and the list's contents.
class TestContactPickerPage : public QObject
{
    Q_OBJECT
private:
    DialogTestBench m_bench;
    Voicemail m_voicemail;

    PageManager *pm() { return PageManager::instance(); }
    ContactPickerPage *page() { return pm()->contactPickerPage(); }
    ContactPickerController *picker() { return page()->controller(); }

    void tap(QGraphicsWidget *w)
    {
        MApplicationWindow *window = m_bench.window();
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // The open pop-up of class T, if it is the only one.
    template <typename T> T *openDialog()
    {
        const QList<MSceneWindow *> dialogs = CallHistoryDialogManager::instance()->dialogs();
        return dialogs.size() == 1 ? qobject_cast<T *>(dialogs.first()) : nullptr;
    }
    void closeDialogs()
    {
        CallHistoryDialogManager::instance()->dismissAll();
        QTRY_VERIFY(!CallHistoryDialogManager::instance()->hasDialogs());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The model's groups and names, "A:Anna,Ärni|B:Bo".
    static QString contents(const QAbstractItemModel *model)
    {
        QStringList groups;
        for (int g = 0; g < model->rowCount(); ++g) {
            const QModelIndex group = model->index(g, 0);
            QStringList names;
            for (int r = 0; r < model->rowCount(group); ++r)
                names << model->index(r, 0, group).data().toString();
            groups << group.data().toString() + ':' + names.join(',');
        }
        return groups.join('|');
    }
    // Index of the contact called name in the picker's model.
    QModelIndex indexOf(const QString &name)
    {
        const ContactPickerModel *model = picker()->model();
        for (int g = 0; g < model->rowCount(); ++g)
            for (int r = 0; r < model->rowCount(model->index(g, 0)); ++r)
                if (model->index(r, 0, model->index(g, 0)).data().toString() == name)
                    return model->index(r, 0, model->index(g, 0));
        return QModelIndex();
    }
    bool listed(const QString &name) { return indexOf(name).isValid(); }
    // The row on screen for the contact called name.
    ContactListRow *rowOf(const QString &name)
    {
        const QModelIndex index = indexOf(name);
        if (!index.isValid())
            return nullptr;
        picker()->list()->scrollTo(index, MList::PositionAtTop);
        picker()->list()->flush();
        return qobject_cast<ContactListRow *>(picker()->list()->cellForIndex(index));
    }
    void setVoicemailNumbers(const QStringList &numbers)
    {
        QCOMPARE(m_voicemail.setVoicemailNumbers(VoicemailNumber::fromStringList(numbers)),
                 Voicemail::NoError);
        QTRY_COMPARE(CallHistoryVoicemail::instance()->voicemailNumbers(), numbers);
        QTRY_COMPARE(CallHistoryVoicemail::instance()->voicemailContact().isEmpty(),
                     numbers.isEmpty());
    }
    // Taps the first row of the open detail selector.
    void callFirstRow()
    {
        DetailSelector *selector = nullptr;
        QTRY_VERIFY((selector = openDialog<DetailSelector>()));
        QTRY_VERIFY(selector->model()->rowCount() > 0);
        QTest::qWait(50);
        selector->list()->flush();
        QTRY_VERIFY(selector->list()->cellForIndex(selector->model()->index(0)));
        tap(selector->list()->cellForIndex(selector->model()->index(0)));
    }
    void setSchedule(int answer, int end)
    {
        QVERIFY(DevCallUiClient::setSchedule(answer, end, false));
    }
    MBanner *shownBanner()
    {
        for (MSceneWindow *w : m_bench.window()->sceneManager()->overlays())
            if (auto *banner = qobject_cast<MBanner *>(w))
                return banner;
        return nullptr;
    }
    void showContactsTab()
    {
        pm()->showContacts(true);
        QTRY_VERIFY(picker() && picker()->isLoaded());
        QTRY_VERIFY(picker()->page()->isOnDisplay());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_bench.start(), qPrintable(m_bench.error()));
        QVERIFY(m_bench.addContact(QStringLiteral("Anna"), QStringLiteral("Berg"),
                                   {{QStringLiteral("0401234567"), 1}}));
        QVERIFY(m_bench.addContact(QStringLiteral("<img src=x>"), QString(),
                                   {{QStringLiteral("0407654321"), 1}}));
        for (int i = 0; i < 60; ++i) {
            static const char *const first[] = {"Aino",  "Bertil", "Cecilia", "Dawit", "Elif",
                                                "Farid", "Greta",  "Hiroshi", "Ilona", "Jonas"};
            QVERIFY(m_bench.addContact(QString::fromLatin1(first[i % 10]),
                                       QStringLiteral("Nieminen %1").arg(i),
                                       {{QStringLiteral("05011%1").arg(i, 5, 10, QChar('0')), 1}}));
        }
        setVoicemailNumbers({});
    }

    void shouldGroupAndFilterContactsByName()
    {
        ContactPickerModel model;
        QAbstractItemModelTester tester(&model);
        model.setContacts({{1, QStringLiteral("bo")},
                           {2, QStringLiteral("Ärni")},
                           {3, QStringLiteral("Anna")},
                           {4, QStringLiteral("123")},
                           {5, QStringLiteral("Zoë")},
                           {6, QStringLiteral("<b>x</b>")}});
        QCOMPARE(contents(&model), QStringLiteral("A:Anna,Ärni|B:bo|Z:Zoë|#:<b>x</b>,123"));
        model.setFilter(QStringLiteral("N"));
        QCOMPARE(contents(&model), QStringLiteral("A:Anna,Ärni"));
        model.setFilter(QStringLiteral("q"));
        QCOMPARE(contents(&model), QString());
    }

    void shouldFindContactsByNameOrNumber_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("found");
        // Each found contact with the number that matched, if it was not the name.
        QTest::addColumn<QString>("numbers");
        QTest::newRow("digits of a number two contacts share")
            << "3694"
            << "A:Agent 3694|B:Ben Koski|C:Cleo Koski"
            << "Agent 3694=|Ben Koski=+358 40 171 3694|Cleo Koski=040 171 3694";
        QTest::newRow("digits typed with a space") << "171 36"
                                                   << "B:Ben Koski|C:Cleo Koski"
                                                   << "Ben Koski=+358 40 171 3694|Cleo "
                                                      "Koski=040 171 3694";
        QTest::newRow("international form") << "+35845"
                                            << "B:Ben Koski"
                                            << "Ben Koski=+358 45 222 3344";
        QTest::newRow("no match across two numbers") << "94358"
                                                     << ""
                                                     << "";
        QTest::newRow("a name as before") << "kos"
                                          << "B:Ben Koski|C:Cleo Koski"
                                          << "Ben Koski=|Cleo Koski=";
        QTest::newRow("a single digit") << "5"
                                        << "B:Ben Koski|D:Dan Berg"
                                        << "Ben Koski=+358 40 171 3694|Dan Berg=040 162 4635";
        QTest::newRow("a plus sign alone: every contact with a number")
            << "+"
            << "B:Ben Koski|C:Cleo Koski|D:Dan Berg"
            << "Ben Koski=+358 40 171 3694|Cleo Koski=040 171 3694|Dan Berg=040 162 4635";
    }
    void shouldFindContactsByNameOrNumber()
    {
        QFETCH(QString, filter);
        QFETCH(QString, found);
        QFETCH(QString, numbers);
        ContactPickerModel model;
        QAbstractItemModelTester tester(&model);
        model.setContacts({{1, "Ben Koski", QString(), {"+358 40 171 3694", "+358 45 222 3344"}},
                           {2, "Cleo Koski", QString(), {"040 171 3694"}},
                           {3, "Dan Berg", QString(), {"040 162 4635"}},
                           {4, "Agent 3694", QString(), {}}});
        // Typed on from its first character, as a person does.
        for (int i = 1; i <= filter.size(); ++i)
            model.setFilter(filter.left(i));
        QStringList shown, matched;
        for (int g = 0; g < model.rowCount(); ++g) {
            const QModelIndex group = model.index(g, 0);
            for (int r = 0; r < model.rowCount(group); ++r) {
                const QModelIndex row = model.index(r, 0, group);
                shown << group.data().toString() + ':' + row.data().toString();
                matched << row.data().toString() + '=' +
                               row.data(ContactPickerModel::MatchedNumberRole).toString();
            }
        }
        QCOMPARE(shown.join('|'), found);
        QCOMPARE(matched.join('|'), numbers);
    }

    void shouldShowEmptyStateHighlightAndClearButton()
    {
        showContactsTab();
        ContactPickerList *list = picker()->pickerList();
        MTextEdit *field = picker()->filterEdit();
        QVERIFY(!list->clearButton()->isVisible());
        // A number's digits find its contact, the matching digits drawn in the accent colour.
        field->setText(QStringLiteral("7654"));
        QVERIFY(list->clearButton()->isVisible());
        ContactListRow *row = nullptr;
        QTRY_VERIFY((row = rowOf(QStringLiteral("<img src=x>"))));
        // An isolated left-to-right run: it reads left to right in every language.
        QCOMPARE(row->numberLabel()->text(),
                 ContactDetailText::leftToRight(QStringLiteral("0407654321")));
        QTRY_VERIFY(row->numberLabel()->isVisible());
        QTest::qWait(50);
        const QImage shot(
            TestSupport::saveScreenshot(m_bench.window(), "contactpicker-number-match-en"));
        const QRect numberArea =
            m_bench.window()
                ->mapFromScene(row->numberLabel()->mapToScene(row->numberLabel()->rect()))
                .boundingRect();
        const QColor accent = row->numberLabel()->style().accentColor;
        int accented = 0;
        for (int x = numberArea.left(); x <= numberArea.right(); ++x)
            for (int y = numberArea.top(); y <= numberArea.bottom(); ++y) {
                const QColor c = shot.pixelColor(x, y);
                if (qAbs(c.red() - accent.red()) + qAbs(c.green() - accent.green()) +
                        qAbs(c.blue() - accent.blue()) <
                    60)
                    ++accented;
            }
        QVERIFY2(accented > 20, qPrintable(QString::number(accented)));

        // Nothing found: said, as the history says it.
        field->setText(QStringLiteral("zzzz"));
        QTRY_VERIFY(list->emptyLabel()->isVisible());
        QCOMPARE(list->emptyLabel()->text(), qtTrId("qtn_cont_no_matching_contacts"));
        QVERIFY(!picker()->list()->isVisible());
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-no-match-en");
        tap(list->clearButton());
        QTRY_COMPARE(field->text(), QString());
        QTRY_VERIFY(!list->emptyLabel()->isVisible());
        QVERIFY(picker()->list()->isVisible());
        QVERIFY(!list->clearButton()->isVisible());
    }

    void shouldSaySoWhenTheAddressBookIsEmpty()
    {
        QTemporaryDir dir;
        QtContacts::QContactManager empty(ContactsEngine::ensureRegistered(),
                                          {{QString::fromLatin1(ContactsEngine::databaseParameter),
                                            dir.filePath(QStringLiteral("empty.db"))}});
        ContactPickerList list(&empty);
        QTRY_VERIFY(list.isLoaded());
        QCOMPARE(list.emptyLabel()->text(), qtTrId("qtn_cont_no_contacts"));
        QVERIFY(list.emptyLabel()->isVisibleTo(&list));
        QVERIFY(!list.list()->isVisibleTo(&list));
    }

    void shouldCallTheChosenNumberOfAPickedContact()
    {
        showContactsTab();
        TestSupport::saveScreenshot(m_bench.window(), QStringLiteral("contactpicker-en"));
        m_bench.clearRequests();
        ContactListRow *row = nullptr;
        QTRY_VERIFY((row = rowOf(QStringLiteral("Anna Berg"))));
        tap(row);
        DetailSelector *selector = nullptr;
        QTRY_VERIFY((selector = openDialog<DetailSelector>()));
        QCOMPARE(selector->nameLabel()->text(), QStringLiteral("Anna Berg"));
        QTest::qWait(100);
        TestSupport::saveScreenshot(m_bench.window(), QStringLiteral("contactpicker-selector-en"));
        callFirstRow();
        QTRY_COMPARE(m_bench.requests().join(';'),
                     QStringLiteral("0401234567|pulse|%1|Anna Berg").arg(row->contactId()));
        closeDialogs();
    }

    void shouldIgnoreTheNumberPickerWhileACallIsBeingSetUp()
    {
        showContactsTab();
        // Calls that are never answered: only the page frees its keys.
        setSchedule(600000, 600000);
        const auto restore = qScopeGuard([this] {
            setSchedule(DialogTestBench::AnswerAfter, DialogTestBench::EndAfter);
            page()->refreshCall();
        });
        m_bench.clearRequests();
        const auto callContact = [this](const QString &name) {
            ContactListRow *row = nullptr;
            QTRY_VERIFY((row = rowOf(name)));
            tap(row);
            callFirstRow();
            QTRY_VERIFY(!openDialog<DetailSelector>());
        };
        callContact(QStringLiteral("Anna Berg"));
        QTRY_VERIFY(!page()->pendingCallId().isEmpty());
        // Picked again while the first call is being set up: nothing is placed.
        callContact(QStringLiteral("Anna Berg"));
        QVERIFY(page()->isCallInFlight());
        // Free again: the next pick calls. Requests reach the service in order, so once this one
        // is there any other would be too.
        page()->refreshCall();
        callContact(QStringLiteral("<img src=x>"));
        QTRY_COMPARE(m_bench.requests().size() > 1 ? m_bench.requests().last().section('|', 0, 1)
                                                   : QString(),
                     QStringLiteral("0407654321|pulse"));
        QStringList called;
        for (const QString &request : m_bench.requests())
            called << request.section('|', 0, 1);
        QCOMPARE(called.join(','), QStringLiteral("0401234567|pulse,0407654321|pulse"));
    }

    void shouldShowTheHistoryWhenACallIsAnsweredOffScreen()
    {
        showContactsTab();
        page()->setFilter(QStringLiteral("anna"));
        // Answered late enough for the window to be hidden first.
        setSchedule(1500, 3000);
        m_bench.clearRequests();
        ContactListRow *row = nullptr;
        QTRY_VERIFY((row = rowOf(QStringLiteral("Anna Berg"))));
        tap(row);
        callFirstRow();
        QTRY_COMPARE(m_bench.requests().size(), 1);
        QTRY_VERIFY(!page()->pendingCallId().isEmpty());
        m_bench.window()->hide();
        QTRY_COMPARE_WITH_TIMEOUT(pm()->currentPageType(), int(PageManager::CallHistory), 10000);
        QCOMPARE(page()->filter(), QString());
        setSchedule(50, 100);
        m_bench.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_bench.window()));
        closeDialogs();
    }

    void shouldShowAHostileNameLiterally()
    {
        showContactsTab();
        ContactListRow *row = nullptr;
        QTRY_VERIFY((row = rowOf(QStringLiteral("<img src=x>"))));
        const auto shown = [&row]() {
            QStringList texts;
            for (QGraphicsItem *item : row->childItems())
                if (auto *label = qobject_cast<MLabel *>(item->toGraphicsObject()))
                    if (!label->text().isEmpty())
                        texts << label->text() +
                                     (label->textFormat() == Qt::PlainText ? "/plain" : "/rich");
            return texts.join(';');
        };
        QCOMPARE(shown(), QStringLiteral("<img src=x>/plain"));
        // The name alone stands in the middle of the row, level with the avatar.
        const QRectF name = row->nameLabel()->mapRectToScene(row->nameLabel()->rect());
        const QRectF avatar = row->avatar()->mapRectToScene(row->avatar()->rect());
        QVERIFY2(
            qAbs(name.center().y() - avatar.center().y()) <= 1,
            qPrintable(QStringLiteral("%1 %2").arg(name.center().y()).arg(avatar.center().y())));
        // Under a search the match is marked in rich text, with the name escaped.
        picker()->setFilter(QStringLiteral("img"));
        QTRY_VERIFY((row = rowOf(QStringLiteral("<img src=x>"))));
        QCOMPARE(shown(), QStringLiteral("&lt;img src=x&gt;/rich"));
        picker()->setFilter(QString());
    }

    void shouldApplyAFilterSetBeforeInitialize_data()
    {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QString>("expected");
        QTest::newRow("set") << QStringList{"anna"} << "A:Anna Berg";
        QTest::newRow("set then cleared") << QStringList{"anna", ""} << "";
    }
    void shouldApplyAFilterSetBeforeInitialize()
    {
        QFETCH(QStringList, filters);
        QFETCH(QString, expected);
        // Another tab is shown, so that this second page does not take the window.
        pm()->showCallHistory();
        ContactPickerPage fresh;
        for (const QString &f : filters)
            fresh.setFilter(f);
        QVERIFY(!fresh.controller());
        QCOMPARE(fresh.filter(), QString());
        QTRY_VERIFY(fresh.controller() && fresh.controller()->isLoaded());
        QCOMPARE(fresh.filter(), filters.last());
        QCOMPARE(fresh.controller()->filterEdit()->text(), filters.last());
        if (expected.isEmpty())
            QVERIFY(fresh.controller()->model()->contactCount() > 2);
        else
            QCOMPARE(contents(fresh.controller()->model()), expected);
    }

    void shouldFollowContactsOfAnotherProcess()
    {
        showContactsTab();
        QProcess tool;
        tool.start(TestSupport::builtProgram("tools/call-history-contacts/call-history-contacts"),
                   {"add", "Quentin Outsider", "--mobile", "0409990000"});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        const QString id = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        QVERIFY(!id.isEmpty());
        QTRY_VERIFY(listed(QStringLiteral("Quentin Outsider")));
        tool.start(TestSupport::builtProgram("tools/call-history-contacts/call-history-contacts"),
                   {"delete", id});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 0);
        QTRY_VERIFY(!listed(QStringLiteral("Quentin Outsider")));
    }

    void shouldOfferTheVoicemailNumbers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("called");
        QTest::newRow("number set") << "+358401110000"
                                    << ""
                                    << "+358401110000";
        QTest::newRow("number entered in the dialog") << ""
                                                      << "+358402220000"
                                                      << "+358402220000";
        QTest::newRow("dialog cancelled") << ""
                                          << ""
                                          << "";
    }
    void shouldOfferTheVoicemailNumbers()
    {
        QFETCH(QString, stored);
        QFETCH(QString, entered);
        QFETCH(QString, called);
        setVoicemailNumbers(stored.isEmpty() ? QStringList() : QStringList{stored});
        m_bench.clearRequests();
        pm()->showVoicemailDetailPicker();
        if (stored.isEmpty()) {
            VoicemailDialog *dialog = nullptr;
            QTRY_VERIFY((dialog = openDialog<VoicemailDialog>()));
            QVERIFY(page()->isWaitingForVoicemail());
            // A second request while the dialog is open leaves one dialog open (showing the
            // tab dismisses every pop-up, so a fresh one replaces it).
            pm()->showVoicemailDetailPicker();
            QTRY_VERIFY((dialog = openDialog<VoicemailDialog>()));
            QVERIFY(page()->isWaitingForVoicemail());
            if (entered.isEmpty()) {
                dialog->reject();
                QTRY_VERIFY(!page()->isWaitingForVoicemail());
                // The request may be made again.
                pm()->showVoicemailDetailPicker();
                QTRY_VERIFY(openDialog<VoicemailDialog>());
                closeDialogs();
                return;
            }
            dialog->numberEdit()->setText(entered);
            tap(dialog->saveButton());
        }
        // The detail selector opens by itself once the voicemail contact is known.
        DetailSelector *selector = nullptr;
        QTRY_VERIFY((selector = openDialog<DetailSelector>()));
        QVERIFY(!page()->isWaitingForVoicemail());
        callFirstRow();
        QTRY_COMPARE(m_bench.requests().size(), 1);
        QCOMPARE(m_bench.requests().first().section('|', 0, 1), called + "|pulse");
        closeDialogs();
    }

    // Numbers written into the setting by another program (dconf write) come without the
    // voicemail contact: they are offered all the same, not asked for again.
    void shouldOfferVoicemailNumbersSetOutsideTheProgram()
    {
        setVoicemailNumbers({});
        MGConfItem numbers(QString::fromLatin1(VoicemailStore::numbersKey));
        const QStringList set{QStringLiteral("+358404440000"), QStringLiteral("0404440000")};
        QVERIFY(numbers.set(set));
        QTRY_COMPARE(CallHistoryVoicemail::instance()->voicemailNumbers(), set);
        m_bench.clearRequests();
        pm()->showVoicemailDetailPicker();
        DetailSelector *selector = nullptr;
        QTRY_VERIFY((selector = openDialog<DetailSelector>()));
        QTRY_COMPARE(selector->sceneWindowState(), MSceneWindow::Appeared);
        // Each number over the cellular account (and over the VoIP account that takes numbers).
        QTRY_COMPARE(selector->model()->rowCount(), 4);
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-voicemail-set-outside-en");
        callFirstRow();
        QTRY_COMPARE(m_bench.requests().size(), 1);
        QCOMPARE(m_bench.requests().first().section('|', 0, 1), set.first() + "|pulse");
        closeDialogs();
        QVERIFY(numbers.set(QStringList()));
        QTRY_VERIFY(CallHistoryVoicemail::instance()->voicemailNumbers().isEmpty());
    }

    // The number is stored but its contact cannot be written (the address book the dialog's
    // service writes is unusable): a banner says so, and the next request offers the number.
    void shouldSayWhenTheVoicemailContactIsNotWritten()
    {
        setVoicemailNumbers({});
        QTemporaryDir dir;
        QFile garbage(dir.filePath(QStringLiteral("unusable.db")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray("not an address book\n").repeated(300));
        garbage.close();
        QtContacts::QContactManager unusable(
            ContactsEngine::ensureRegistered(),
            {{QString::fromLatin1(ContactsEngine::databaseParameter), garbage.fileName()}});
        Voicemail service;
        service.setAddressBook(&unusable);
        page()->setVoicemailService(&service);

        pm()->showVoicemailDetailPicker();
        VoicemailDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = openDialog<VoicemailDialog>()));
        dialog->numberEdit()->setText(QStringLiteral("+358403330000"));
        tap(dialog->saveButton());
        MBanner *banner = nullptr;
        QTRY_VERIFY((banner = shownBanner()));
        QCOMPARE(banner->title(), qtTrId("qtn_call_voicemail_contact_not_saved"));
        QVERIFY(!page()->isWaitingForVoicemail());
        QTRY_VERIFY(!openDialog<VoicemailDialog>());
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-voicemail-not-saved-en");
        QTRY_COMPARE(CallHistoryVoicemail::instance()->voicemailNumbers(),
                     QStringList{QStringLiteral("+358403330000")});
        QVERIFY(CallHistoryVoicemail::instance()->voicemailContact().isEmpty());

        // The next request offers the stored number, without its contact.
        pm()->showVoicemailDetailPicker();
        DetailSelector *selector = nullptr;
        QTRY_VERIFY((selector = openDialog<DetailSelector>()));
        QVERIFY(selector->model()->rowCount() > 0);
        QVERIFY(!page()->isWaitingForVoicemail());
        closeDialogs();
        page()->setVoicemailService(nullptr);
        setVoicemailNumbers({});
        // The banner would cover the next screenshots.
        if (MBanner *shown = shownBanner())
            shown->dismiss();
        QTRY_VERIFY(!shownBanner());
    }

    // Arabic and back: the tab looks as it did, whether it was shown during the switches or not.
    void shouldLookAsBeforeAfterArabicAndBack_data()
    {
        QTest::addColumn<bool>("shownDuringSwitch");
        QTest::addColumn<bool>("rowsMadeInArabic");
        QTest::newRow("shown during the switches") << true << false;
        QTest::newRow("another tab shown during the switches") << false << false;
        QTest::newRow("rows made while in Arabic") << true << true;
    }
    void shouldLookAsBeforeAfterArabicAndBack()
    {
        QFETCH(bool, shownDuringSwitch);
        QFETCH(bool, rowsMadeInArabic);
        // The system's setting, as a person changes it.
        MLocale::setDefault(*CallHistoryLocale::instance()->locale());
        const auto setLanguage = [](const QString &language) {
            QVERIFY(TestSupport::setSystemLanguage(language == "en" ? QString() : language));
        };
        const auto restore = qScopeGuard([] { DialogTestBench::setLanguage("en"); });
        showContactsTab();
        picker()->setFilter(QString());
        picker()->scrollToTop();
        QTest::qWait(100);
        const QImage before = TestSupport::onScreen(m_bench.window());
        if (!shownDuringSwitch)
            pm()->showDialer();
        setLanguage(QStringLiteral("ar"));
        QTRY_COMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
        if (shownDuringSwitch) {
            QTRY_COMPARE(picker()->page()->layoutDirection(), Qt::RightToLeft);
            if (rowsMadeInArabic) {
                // Rows recycled and made again for other contacts, and back.
                picker()->setFilter(QStringLiteral("Nieminen 5"));
                QTest::qWait(50);
                picker()->list()->scrollTo(picker()->model()->index(0, 0), MList::PositionAtTop);
                picker()->setFilter(QString());
                picker()->scrollToTop();
            }
            QTest::qWait(100);
            TestSupport::saveScreenshot(m_bench.window(), "contactpicker-switched-ar");
        }
        setLanguage(QStringLiteral("en"));
        QTRY_COMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        showContactsTab();
        picker()->scrollToTop();
        QTest::qWait(100);
        const QString name = QStringLiteral("contactpicker-back-in-en-%1")
                                 .arg(shownDuringSwitch ? "shown" : "hidden");
        TestSupport::saveScreenshot(m_bench.window(), name);
        const QImage after = TestSupport::onScreen(m_bench.window());
        const QString dir = QFileInfo(TestSupport::saveScreenshot(m_bench.window(), name)).path();
        after.save(dir + '/' + name + "-on-screen.png");
        before.save(dir + '/' + name + "-expected.png");
        QCOMPARE(TestSupport::differingArea(after, before), QRect());
    }

    void shouldLookRightInBothDirections_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("ar") << "ar";
    }
    void shouldLookRightInBothDirections()
    {
        QFETCH(QString, language);
        DialogTestBench::setLanguage(language);
        const Qt::LayoutDirection direction = language == "ar" ? Qt::RightToLeft : Qt::LeftToRight;
        QTRY_COMPARE(picker()->page()->layoutDirection(), direction);
        showContactsTab();
        picker()->scrollToTop();
        QTest::qWait(100);
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-list-" + language);
        ContactListRow *row = nullptr;
        QTRY_VERIFY((row = rowOf(QStringLiteral("Aino Nieminen 0"))));
        // The name sits at the leading side, beside the avatar: the far quarter of the row's
        // middle line shows no text (rows keep pictures of their names across the change).
        QTest::qWait(50);
        const QRect onScreen = m_bench.window()
                                   ->mapFromScene(row->mapToScene(row->rect()).boundingRect())
                                   .boundingRect();
        const QImage shot = m_bench.window()->viewport()->grab(onScreen).toImage();
        const int y = shot.height() / 2;
        const int quarter = shot.width() / 4;
        const int from = direction == Qt::RightToLeft ? 2 : shot.width() - quarter - 2;
        QSet<QRgb> colours;
        for (int x = from; x < from + quarter; ++x)
            for (int dy = -8; dy <= 8; dy += 4)
                colours.insert(shot.pixel(x, y + dy));
        QCOMPARE(colours.size(), 1);
        tap(row);
        QTRY_VERIFY(openDialog<DetailSelector>());
        QTest::qWait(150);
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-selector-" + language);
        closeDialogs();
        setVoicemailNumbers({});
        pm()->showVoicemailDetailPicker();
        QTRY_VERIFY(openDialog<VoicemailDialog>());
        QTest::qWait(150);
        TestSupport::saveScreenshot(m_bench.window(), "contactpicker-voicemail-" + language);
        closeDialogs();
        DialogTestBench::setLanguage(QStringLiteral("en"));
    }
};

CH_TOUCH_TEST_MAIN(TestContactPickerPage)
#include "tst_contactpickerpage.moc"
