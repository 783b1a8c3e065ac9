#include "addmergedialog.h"
#include "callhistorydialogmanager.h"
#include "callhistoryitem.h"
#include "callhistorypage.h"
#include "callhistorytitle.h"
#include "contactlistrow.h"
#include "contactpickercontroller.h"
#include "contactpickermodel.h"
#include "contactpickerpage.h"
#include "contactsengine.h"
#include "detailselector.h"
#include "dialerpage.h"
#include "dialerwidget.h"
#include "event.h"
#include "eventstore.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlist.h"
#include "mobjectmenu.h"
#include "modelmanager.h"
#include "mpopuplist.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "pagemanager.h"
#include "programwindow.h"
#include "returncalldialog.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactPhoneNumber>

#include <QGuiApplication>
#include <QScopeGuard>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

using namespace QtContacts;

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Known = QStringLiteral("+358401234567");
} // namespace

// Every page and pop-up through a live change of language, as a person sets it (the system's
// /system/locale/language): English, Arabic, German and English again. Each screen is saved in
// every language, and once back in English each looks exactly as it did at the start: nothing
// keeps a text, an alignment or a side of the language before.
class TestLanguageWalk : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    CommHistory::EventStore m_store;
    // The first English pass, by screen.
    QHash<QString, QImage> m_english;

    PageManager *pm() { return PageManager::instance(); }
    CallHistoryPage *history() { return pm()->callHistoryPage(); }

    void addCall(const QString &remote, int daysAgo, bool missed)
    {
        CommHistory::Event call;
        call.setType(CommHistory::Event::CallEvent);
        call.setDirection(missed ? CommHistory::Event::Inbound : CommHistory::Event::Outbound);
        call.setLocalUid(Cellular);
        call.setRemoteUid(remote);
        // Fixed times of earlier days: the rows read the same however long the walk takes.
        const QDateTime end(QDate::currentDate().addDays(-daysAgo), QTime(9, 30));
        call.setStartTime(end.addSecs(-75));
        call.setEndTime(end);
        call.setIsMissedCall(missed);
        call.setIsRead(true);
        QVERIFY(m_store.addEvent(call));
    }

    QList<CallHistoryItem *> rows()
    {
        history()->list()->flush();
        QList<CallHistoryItem *> r;
        for (MWidget *cell : history()->list()->visibleCells())
            r << static_cast<CallHistoryItem *>(cell);
        return r;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    MSceneWindow *topOverlay()
    {
        const QList<MSceneWindow *> shown = m_window->sceneManager()->overlays();
        return shown.isEmpty() ? nullptr : shown.last();
    }

    void closeAll()
    {
        CallHistoryDialogManager::instance()->dismissAll();
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            w->dismiss();
        QTRY_VERIFY(m_window->sceneManager()->overlays().isEmpty());
    }

    // Brings up one screen; false if it did not come.
    bool show(const QString &screen)
    {
        closeAll();
        if (screen == QLatin1String("history") || screen == QLatin1String("history-choice") ||
            screen == QLatin1String("history-menu") || screen == QLatin1String("history-dialog")) {
            pm()->showCallHistory();
            // Every row shown with its contact's details (they come from the address book later).
            if (!QTest::qWaitFor([this] {
                    const QList<CallHistoryItem *> shown = rows();
                    for (CallHistoryItem *r : shown)
                        if (r->contacts().size() == 1 && r->numberCount() == 0)
                            return false;
                    return shown.size() >= 3;
                }))
                return false;
        }
        if (screen == QLatin1String("history-choice"))
            QMetaObject::invokeMethod(history(), "onTitleClicked");
        else if (screen == QLatin1String("history-menu"))
            rows().first()->longPress();
        else if (screen == QLatin1String("history-dialog"))
            tap(rows().first());
        if (screen == QLatin1String("dialer") || screen == QLatin1String("dialer-addmerge")) {
            pm()->showDialer();
            pm()->dialerPage()->dialerWidget()->setText(QString());
            if (screen == QLatin1String("dialer-addmerge")) {
                pm()->showDialer(QStringLiteral("0409876543"));
                Q_EMIT pm()->dialerPage()->dialerWidget()->requestAddOrMergeWithContact(
                    QStringLiteral("0409876543"));
            }
        }
        if (screen == QLatin1String("contacts") || screen == QLatin1String("contacts-picker")) {
            pm()->showContacts(true);
            ContactPickerController *picker = pm()->contactPickerPage()->controller();
            if (!QTest::qWaitFor([picker] { return picker && picker->isLoaded(); }))
                return false;
            picker->scrollToTop();
            if (screen == QLatin1String("contacts-picker"))
                picker->pick(picker->model()
                                 ->index(0, 0, picker->model()->index(0, 0))
                                 .data(ContactPickerModel::IdRole)
                                 .toUInt());
        }
        const bool popUp = screen.contains(QLatin1Char('-'));
        if (popUp && !QTest::qWaitFor([this] {
                MSceneWindow *top = topOverlay();
                return top && top->sceneWindowState() == MSceneWindow::Appeared;
            }))
            return false;
        // Pictures of contacts and layouts settle in the next turns.
        QTest::qWait(150);
        return true;
    }

    void walk(const QString &language, const QString &pass)
    {
        QVERIFY(
            TestSupport::setSystemLanguage(language == QLatin1String("en") ? QString() : language));
        const Qt::LayoutDirection direction =
            language == QLatin1String("ar") ? Qt::RightToLeft : Qt::LeftToRight;
        QTRY_COMPARE(QGuiApplication::layoutDirection(), direction);
        QTRY_COMPARE(history()->header()->text(), qtTrId("qtn_call_sort_by_contact"));
        // Texts of English that are not also this language's: left over from before.
        const QSet<QString> english = catalogue(QStringLiteral("en"));
        const QSet<QString> own = catalogue(language);
        for (const QString &screen : screens()) {
            QVERIFY2(show(screen), qPrintable(screen));
            QStringList leftOver;
            for (const QString &text : shownTexts())
                if (english.contains(text) && !own.contains(text))
                    leftOver << text;
            QVERIFY2(leftOver.isEmpty(),
                     qPrintable(screen + QLatin1String(": ") + leftOver.join('|')));
            const QImage seen = TestSupport::onScreen(m_window);
            seen.save(QFileInfo(TestSupport::saveScreenshot(
                                    m_window, QStringLiteral("walk-%1-%2").arg(pass, screen)))
                          .path() +
                      QStringLiteral("/walk-%1-%2-on-screen.png").arg(pass, screen));
            if (pass == QLatin1String("1-en"))
                m_english.insert(screen, seen);
            else if (pass == QLatin1String("4-en"))
                QVERIFY2(
                    TestSupport::differingArea(seen, m_english.value(screen)).isNull(),
                    qPrintable(screen + QLatin1Char(' ') +
                               QString::number(
                                   TestSupport::differingArea(seen, m_english.value(screen)).x())));
        }
        closeAll();
    }

    // Every message of a catalogue of the program, as translated there.
    static QSet<QString> catalogue(const QString &language)
    {
        QSet<QString> texts;
        QFile file(
            QStringLiteral(CH_SOURCE_DIR "/data/translations/telephony_%1.ts").arg(language));
        if (!file.open(QIODevice::ReadOnly))
            return texts;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("translation"))
                texts.insert(xml.readElementText());
        }
        return texts;
    }

    // The texts of labels and buttons shown now, in the page and in what is over it.
    QStringList shownTexts()
    {
        QStringList texts;
        for (QGraphicsItem *item : m_window->scene()->items()) {
            if (!item->isVisible() || !item->isWidget())
                continue;
            QObject *object = static_cast<QGraphicsWidget *>(item);
            if (auto *label = qobject_cast<MLabel *>(object))
                texts << label->text();
            else if (auto *button = qobject_cast<MButton *>(object))
                texts << button->text();
            else if (auto *edit = qobject_cast<MTextEdit *>(object))
                texts << edit->prompt();
        }
        return texts;
    }

    static QStringList screens()
    {
        return {"history", "history-choice",  "history-menu", "history-dialog",
                "dialer",  "dialer-addmerge", "contacts",     "contacts-picker"};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestSupport::setSystemLanguage(QString()));
        QVERIFY(m_store.open());
        QContactManager book(ContactsEngine::ensureRegistered());
        QContact anna;
        QContactName name;
        name.setFirstName(QStringLiteral("Anna"));
        name.setLastName(QStringLiteral("Virtanen"));
        anna.saveDetail(&name);
        for (const QString &n : {Known, QStringLiteral("0912345678")}) {
            QContactPhoneNumber number;
            number.setNumber(n);
            anna.saveDetail(&number);
        }
        QVERIFY(book.saveContact(&anna));
        addCall(QStringLiteral("0401112222"), 1, true);
        addCall(Known, 2, false);
        addCall(QStringLiteral("+4930123456"), 9, false);
        m_window = TestSupport::showProgramWindow();
        QVERIFY(m_window);
    }

    void cleanupTestCase()
    {
        closeAll();
        TestSupport::setSystemLanguage(QString());
        QMetaObject::invokeMethod(pm(), "onAboutToQuit");
        delete m_window;
    }

    void shouldFollowEveryChangeOfLanguageOnEveryScreen()
    {
        walk(QStringLiteral("en"), QStringLiteral("1-en"));
        walk(QStringLiteral("ar"), QStringLiteral("2-ar"));
        walk(QStringLiteral("de"), QStringLiteral("3-de"));
        walk(QStringLiteral("en"), QStringLiteral("4-en"));
    }
};

CH_TOUCH_TEST_MAIN(TestLanguageWalk)
#include "tst_languagewalk.moc"
