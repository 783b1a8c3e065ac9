#include "contactlistrow.h"
#include "contactmergepicker.h"
#include "contactpickerlist.h"
#include "contactpickermodel.h"
#include "contactsaddressbook.h"
#include "contactsengine.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcellcreator.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "mtextedit.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QGraphicsScene>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace QtContacts;

// The merge picker on a real address book: what it saves into the picked contact when another
// connection to the book (another process, as far as the engine can tell) changed the contact
// while the sheet was open, and how many rows it makes for a large book.
class TestContactMergePicker : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    MApplicationWindow *m_window = nullptr;
    QContactManager *m_book = nullptr;  // the sheet's connection
    QContactManager *m_other = nullptr; // another writer of the same file
    int m_books = 0;

    QContactManager *open(const QString &file)
    {
        return new QContactManager(
            ContactsEngine::ensureRegistered(),
            {{QString::fromLatin1(ContactsEngine::databaseParameter), m_dir.filePath(file)}}, this);
    }

    static QContact person(const QString &first, const QString &last, const QString &number)
    {
        QContact contact;
        QContactName name;
        name.setFirstName(first);
        name.setLastName(last);
        contact.saveDetail(&name);
        QContactPhoneNumber phone;
        phone.setNumber(number);
        contact.saveDetail(&phone);
        return contact;
    }

    static QContact prepared(const QString &number)
    {
        QContact contact;
        QContactPhoneNumber phone;
        phone.setNumber(number);
        contact.saveDetail(&phone);
        return contact;
    }

    // "First Last: number,number" of the stored contact, "gone" without one.
    QString stored(const QContactId &id)
    {
        const QContact c = m_other->contact(id);
        if (c.isEmpty())
            return QStringLiteral("gone");
        QStringList numbers;
        for (const QContactPhoneNumber &p : c.details<QContactPhoneNumber>())
            numbers << p.number();
        const QContactName name = c.detail<QContactName>();
        return name.firstName() + ' ' + name.lastName() + ": " + numbers.join(',');
    }

    ContactMergePicker *openPicker(const QContact &details)
    {
        auto *picker = new ContactMergePicker(details);
        picker->appear(m_window, MSceneWindow::DestroyWhenDone);
        return picker;
    }

    // The row on screen of the contact called name.
    ContactListRow *rowOf(ContactMergePicker *picker, const QString &name)
    {
        const ContactPickerModel *model = picker->list()->model();
        for (int g = 0; g < model->rowCount(); ++g) {
            const QModelIndex group = model->index(g, 0);
            for (int r = 0; r < model->rowCount(group); ++r) {
                const QModelIndex index = model->index(r, 0, group);
                if (index.data().toString() != name)
                    continue;
                picker->list()->list()->scrollTo(index, MList::PositionAtTop);
                picker->list()->list()->flush();
                return qobject_cast<ContactListRow *>(picker->list()->list()->cellForIndex(index));
            }
        }
        return nullptr;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    // The texts of the labels shown under item.
    static QStringList shownTexts(QGraphicsItem *item)
    {
        QStringList texts;
        for (QGraphicsItem *child : item->childItems()) {
            if (!child->isVisible())
                continue;
            if (auto *label = qobject_cast<MLabel *>(child->toGraphicsObject()))
                texts << label->text();
            texts << shownTexts(child);
        }
        return texts;
    }

    int rowsInScene() const
    {
        int rows = 0;
        for (QGraphicsItem *item : m_window->scene()->items())
            rows += qobject_cast<ContactListRow *>(item->toGraphicsObject()) != nullptr;
        return rows;
    }

    void closeAll()
    {
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            w->dismiss();
        QTRY_VERIFY(m_window->sceneManager()->overlays().isEmpty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        MLocale locale(QStringLiteral("en_GB"));
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
        QVERIFY((m_window = TestSupport::shownWindow()));
    }

    void init()
    {
        // A book of its own for each case: the picker's list reads it once per connection.
        const QString file = QStringLiteral("book%1.db").arg(++m_books);
        m_book = open(file);
        m_other = open(file);
        ContactsAddressBook::setManager(m_book);
    }

    void cleanup()
    {
        closeAll();
        ContactsAddressBook::setManager(nullptr);
        delete m_book;
        delete m_other;
    }

    void cleanupTestCase() { delete m_window; }

    // Another writer changes the contact after the sheet has read the book: the merge adds the
    // number to the contact as stored when it is picked.
    void shouldMergeIntoTheContactAsItIsWhenPicked_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("saved");
        QTest::newRow("nothing changed") << ""
                                         << "Anna Berg: 0401111111,0409999999" << true;
        QTest::newRow("renamed") << "rename"
                                 << "Anne Bergman: 0401111111,0409999999" << true;
        QTest::newRow("number added") << "add number"
                                      << "Anna Berg: 0401111111,0402222222,0409999999" << true;
        QTest::newRow("the same number added") << "add the merged number"
                                               << "Anna Berg: 0401111111,0409999999" << true;
        QTest::newRow("removed") << "remove"
                                 << "gone" << false;
    }

    void shouldMergeIntoTheContactAsItIsWhenPicked()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);
        QFETCH(bool, saved);
        QContact anna =
            person(QStringLiteral("Anna"), QStringLiteral("Berg"), QStringLiteral("0401111111"));
        QVERIFY(m_book->saveContact(&anna));
        const QContactId id = anna.id();

        QPointer<ContactMergePicker> picker = openPicker(prepared(QStringLiteral("0409999999")));
        QTRY_VERIFY(picker->isLoaded() && rowOf(picker, QStringLiteral("Anna Berg")));
        ContactListRow *row = rowOf(picker, QStringLiteral("Anna Berg"));

        QContact theirs = m_other->contact(id);
        if (change == QLatin1String("rename")) {
            QContactName name = theirs.detail<QContactName>();
            name.setFirstName(QStringLiteral("Anne"));
            name.setLastName(QStringLiteral("Bergman"));
            theirs.saveDetail(&name);
            QVERIFY(m_other->saveContact(&theirs));
        } else if (change.startsWith(QLatin1String("add"))) {
            QContactPhoneNumber phone;
            phone.setNumber(change == QLatin1String("add number") ? QStringLiteral("0402222222")
                                                                  : QStringLiteral("0409999999"));
            theirs.saveDetail(&phone);
            QVERIFY(m_other->saveContact(&theirs));
        } else if (change == QLatin1String("remove")) {
            QVERIFY(m_other->removeContact(id));
        }

        QSignalSpy finished(picker.data(), SIGNAL(saveFinished(bool)));
        tap(row);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), saved);
        QCOMPARE(stored(id), expected);
        if (saved) {
            QTRY_VERIFY(!picker);
        } else {
            // Nothing was written back: the sheet stays open and says so.
            QCOMPARE(m_other->contactIds().size(), 0);
            QVERIFY(picker && picker->isVisible());
            QVERIFY(shownTexts(picker).contains(qtTrId("qtn_cont_not_saved")));
            TestSupport::saveScreenshot(m_window, QStringLiteral("mergepicker-not-saved-en"));
        }
    }

    // A large book: the sheet makes rows for what is on screen (and a screen ahead), not one per
    // contact, and a keystroke in its filter keeps it so.
    // The title stands in the middle of the header, whatever stands beside it.
    void shouldCentreTheTitle()
    {
        auto *picker = new ContactMergePicker(QContact());
        picker->appear(m_window, MSceneWindow::DestroyWhenDone);
        QTRY_COMPARE(picker->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_window, QStringLiteral("mergepicker-title"));
        const QRectF sheet = picker->mapRectToScene(picker->rect());
        const QRectF title = picker->titleLabel()->mapRectToScene(picker->titleLabel()->rect());
        QVERIFY2(
            qAbs(title.center().x() - sheet.center().x()) <= 1,
            qPrintable(QStringLiteral("%1 %2").arg(title.center().x()).arg(sheet.center().x())));
    }

    void shouldMakeRowsOnlyForWhatIsOnScreen()
    {
        QList<QContact> contacts;
        for (int i = 0; i < 5000; ++i)
            contacts << person(QStringLiteral("Person"), QStringLiteral("Number %1").arg(i),
                               QStringLiteral("+35840%1").arg(i, 7, 10, QLatin1Char('0')));
        QVERIFY(m_other->saveContacts(&contacts));

        QPointer<ContactMergePicker> picker = openPicker(prepared(QStringLiteral("0409999999")));
        QTRY_VERIFY(picker->isLoaded());
        QCOMPARE(picker->list()->model()->contactCount(), 5000);
        MList *list = picker->list()->list();
        list->flush();
        QTRY_VERIFY(!list->visibleCells().isEmpty());
        // What the view holds, and as much again above and below it.
        const qreal viewHeight = list->viewport()->size().height();
        const qreal rowHeight = list->cellCreator()->cellSize().height();
        QVERIFY(viewHeight > 0 && rowHeight > 0);
        const int bound = 3 * (int(std::ceil(viewHeight / rowHeight)) + 1);
        QVERIFY2(
            rowsInScene() <= bound,
            qPrintable(
                QStringLiteral("%1 rows made, at most %2 expected").arg(rowsInScene()).arg(bound)));
        TestSupport::saveScreenshot(m_window, QStringLiteral("mergepicker-5000-en"));

        picker->list()->filterEdit()->setText(QStringLiteral("number 4"));
        list->flush();
        QCOMPARE(picker->list()->model()->rowCount(picker->list()->model()->index(0, 0)), 1111);
        QVERIFY(rowsInScene() <= bound);
    }
};

CH_TOUCH_TEST_MAIN(TestContactMergePicker)
#include "tst_contactmergepicker.moc"
