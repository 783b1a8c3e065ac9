#include "avatarwidget.h"
#include "contactfiltercache.h"
#include "contactlistrow.h"
#include "contactnameindex.h"
#include "contactpickercellcreator.h"
#include "contactpickercontroller.h"
#include "contactpickermodel.h"
#include "contactsaddressbook.h"
#include "contactsengine.h"
#include "mapplication.h"
#include "mapplicationpage.h"
#include "mapplicationwindow.h"
#include "mcellcreator.h"
#include "mlabel.h"
#include "mlist.h"
#include "mpannableviewport.h"
#include "mscenemanager.h"
#include "sortedcontactlist.h"
#include "testsupport.h"

#include <QtContacts/QContactManager>
#include <QtContacts/QContactName>

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// The contact picker's shared, sorted names: the filter's fast search against a plain
// case-insensitive one, the index following changes of the book for every picker, and the rows
// made as the list scrolls or is filtered showing the contacts of their places.
class TestContactNameIndex : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QContactManager *m_book = nullptr;
    MApplicationWindow *m_window = nullptr;

    QContactLocalId addContact(const QString &first, const QString &last)
    {
        QContact contact;
        QContactName name;
        name.setFirstName(first);
        name.setLastName(last);
        contact.saveDetail(&name);
        return m_book->saveContact(&contact) ? ContactsEngine::toLocalId(contact.id()) : 0;
    }
    static QStringList namesOf(const SortedContactList &list,
                               const QVector<SortedContactList::Group> &groups)
    {
        QStringList names;
        for (const SortedContactList::Group &g : groups)
            for (int row : g.rows)
                names << g.letter + ':' + list.entries().at(row).name;
        return names;
    }
    // Names whose case folding is awkward (length changing, locale-like letters, a null).
    static QSharedPointer<const SortedContactList> awkwardNames()
    {
        const QStringList names = {"Anna Berg",
                                   "ANNA berg",
                                   "Ärni Straße",
                                   "STRASSE Ärni",
                                   "İlkay",
                                   "ilkay",
                                   "ΣΟΦΙΑ",
                                   "σοφία",
                                   "+358 12 345",
                                   "Zoë",
                                   QString(),
                                   "a",
                                   QStringLiteral("Bo") + QChar(0) + "nul",
                                   "Anna b",
                                   "erg",
                                   "berg erg",
                                   "Ämma",
                                   "Bertil"};
        QVector<SortedContactList::Entry> entries;
        for (int i = 0; i < names.size(); ++i)
            entries.append({QContactLocalId(i + 1), names.at(i)});
        return SortedContactList::build(entries);
    }
    // The names of `list` that a plain case-insensitive search finds, under their groups.
    static QString plainSearch(const SortedContactList &list, const QString &needle)
    {
        QVector<SortedContactList::Group> expected;
        for (const SortedContactList::Group &g : list.groups()) {
            SortedContactList::Group kept{g.letter, {}};
            for (int row : g.rows)
                if (list.entries().at(row).name.contains(needle.trimmed(), Qt::CaseInsensitive))
                    kept.rows.append(row);
            if (!kept.rows.isEmpty())
                expected.append(kept);
        }
        return namesOf(list, expected).join('|');
    }
    static QStringList listedNames(const ContactPickerModel *model)
    {
        QStringList names;
        for (int g = 0; g < model->rowCount(); ++g)
            for (int r = 0; r < model->rowCount(model->index(g, 0)); ++r)
                names << model->index(r, 0, model->index(g, 0)).data().toString();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_book = new QContactManager(ContactsEngine::ensureRegistered(),
                                     {{QString::fromLatin1(ContactsEngine::databaseParameter),
                                       m_dir.filePath(QStringLiteral("book.db"))}});
        ContactsAddressBook::setManager(m_book);
        for (int i = 0; i < 300; ++i)
            QVERIFY(addContact(QStringLiteral("Person"), QStringLiteral("Number %1").arg(i)));
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanupTestCase()
    {
        delete m_window;
        ContactsAddressBook::setManager(nullptr);
        delete m_book;
    }

    void shouldFilterAsACaseInsensitiveSearchDoes_data()
    {
        QTest::addColumn<QString>("needle");
        QTest::newRow("one letter") << "a";
        QTest::newRow("upper case") << "ANN";
        QTest::newRow("across words") << "a b";
        QTest::newRow("at the end of a name") << "erg";
        QTest::newRow("sharp s") << "straße";
        QTest::newRow("dotted capital I") << "İ";
        QTest::newRow("greek capitals") << "ΣΟΦ";
        QTest::newRow("greek small") << "σοφ";
        QTest::newRow("digits") << "12";
        QTest::newRow("nothing") << "qqq";
        QTest::newRow("spaces around") << "  anna  ";
        QTest::newRow("longer than every name") << "Anna Berg Anna Berg Anna Berg";
    }
    void shouldFilterAsACaseInsensitiveSearchDoes()
    {
        QFETCH(QString, needle);
        const QSharedPointer<const SortedContactList> list = awkwardNames();
        QCOMPARE(namesOf(*list, list->filtered(needle)).join('|'), plainSearch(*list, needle));
    }

    void shouldFilterAsAFreshSearchWhateverWasTypedBefore_data()
    {
        // Filters typed one after another, and how each is answered: searched over every name
        // ("full"), over the rows of an earlier filter it contains ("narrowed"), or kept.
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QString>("answers");
        QTest::newRow("typed on") << QStringList{"a", "an", "ann", "anna b"}
                                  << "full,narrowed,narrowed,narrowed";
        QTest::newRow("typed back")
            << QStringList{"a", "an", "ann", "an", "a"} << "full,narrowed,narrowed,kept,kept";
        QTest::newRow("other case typed on")
            << QStringList{"ärni", "ÄRNI STR", "ärni straße"} << "full,narrowed,narrowed";
        QTest::newRow("sharp s typed on") << QStringList{"stra", "straß", "STRASSE", "straße"}
                                          << "full,narrowed,narrowed,narrowed";
        QTest::newRow("accented capital typed on")
            << QStringList{"r", "rn", "Ärni S"} << "full,narrowed,narrowed";
        QTest::newRow("greek typed on")
            << QStringList{"σ", "σο", "ΣΟΦΊ", "σοφια"} << "full,narrowed,narrowed,narrowed";
        QTest::newRow("dotted capital I")
            << QStringList{"i", "İl", "il", "İlk"} << "full,full,narrowed,narrowed";
        QTest::newRow("spaces typed around")
            << QStringList{"an", " an ", "an b", "n b "} << "full,kept,narrowed,full";
        QTest::newRow("a null in the name")
            << QStringList{"b", "bo", "bo\\0", "o"} << "full,narrowed,narrowed,full";
        QTest::newRow("letters in other groups")
            << QStringList{"e", "er", "erg", "rg", "r"} << "full,narrowed,narrowed,full,full";
        QTest::newRow("emptied between") << QStringList{"an", "", "ann"} << "full,kept,narrowed";
        QTest::newRow("more filters than are kept")
            << QStringList{"a", "b", "e", "i", "k", "n", "o", "r", "s", "a"}
            << "full,full,full,full,full,full,full,full,full,full";
    }
    void shouldFilterAsAFreshSearchWhateverWasTypedBefore()
    {
        QFETCH(QStringList, filters);
        QFETCH(QString, answers);
        const QSharedPointer<const SortedContactList> list = awkwardNames();
        ContactFilterCache cache;
        QStringList answered;
        for (QString filter : qAsConst(filters)) {
            filter.replace(QLatin1String("\\0"), QString(QChar(0)));
            const qint64 before = cache.testedNames();
            const QString shown = namesOf(*list, cache.filtered(list, filter)).join('|');
            QCOMPARE(shown, plainSearch(*list, filter));
            const qint64 tested = cache.testedNames() - before;
            answered << (tested == 0                        ? "kept"
                         : tested == list->entries().size() ? "full"
                                                            : "narrowed");
        }
        QCOMPARE(answered.join(','), answers);
    }

    void shouldShareOneListAndFollowChangesForEveryPicker()
    {
        ContactNameIndex *index = ContactNameIndex::of(m_book);
        QCOMPARE(ContactNameIndex::of(m_book), index);
        QTRY_VERIFY(index->isReady());
        // A picker opened once the list is read shows it at once.
        ContactPickerController first(m_book);
        QVERIFY(first.isLoaded());
        QCOMPARE(first.model()->contactCount(), 300);
        ContactPickerController second(m_book);
        QAbstractItemModelTester tester(second.model());
        second.setFilter(QStringLiteral("zelda"));
        QCOMPARE(listedNames(second.model()).join(','), QString());
        // A change of the book reaches both.
        QSignalSpy updated(index, &ContactNameIndex::updated);
        const QContactLocalId added = addContact(QStringLiteral("Zelda"), QStringLiteral("Added"));
        QVERIFY(added);
        QTRY_COMPARE(listedNames(second.model()).join(','), QStringLiteral("Zelda Added"));
        QCOMPARE(first.model()->contactCount(), 301);
        QCOMPARE(listedNames(first.model()).last(), QStringLiteral("Zelda Added"));
        QVERIFY(m_book->removeContact(ContactsEngine::toContactId(added)));
        QTRY_COMPARE(listedNames(second.model()).join(','), QString());
        QCOMPARE(first.model()->contactCount(), 300);
        QVERIFY(updated.size() >= 2);
    }

    void shouldShowTheContactOfEachPlaceInTheList_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("scrollTo");
        QTest::newRow("top") << "" << 0;
        QTest::newRow("far down") << "" << 250;
        QTest::newRow("filtered") << "number 1" << 0;
        QTest::newRow("filtered, scrolled") << "number 2" << 40;
    }
    void shouldShowTheContactOfEachPlaceInTheList()
    {
        QFETCH(QString, filter);
        QFETCH(int, scrollTo);
        ContactPickerController picker(m_book);
        QTRY_VERIFY(picker.isLoaded());
        m_window->sceneManager()->appearSceneWindowNow(picker.page());
        // Scrolled before the filter, so that the rows made first are filled again.
        const QModelIndex far = picker.model()->index(250, 0, picker.model()->index(0, 0));
        picker.list()->scrollTo(far, MList::PositionAtTop);
        picker.list()->flush();
        picker.setFilter(filter);
        const QModelIndex group = picker.model()->index(0, 0);
        const int row = qMin(scrollTo, picker.model()->rowCount(group) - 1);
        picker.list()->scrollTo(picker.model()->index(row, 0, group), MList::PositionAtTop);
        picker.list()->flush();
        QCoreApplication::processEvents();
        const QList<MWidget *> cells = picker.list()->visibleCells();
        // Only rows near the view exist, each showing the contact of its index.
        QVERIFY(!cells.isEmpty());
        QVERIFY(cells.size() < 40);
        for (MWidget *cell : cells) {
            auto *r = qobject_cast<ContactListRow *>(cell);
            QVERIFY(r);
            const QModelIndex index = picker.list()->indexForCell(cell);
            QCOMPARE(r->name(), index.data().toString());
            QCOMPARE(r->contactId(), index.data(ContactPickerModel::IdRole).toUInt());
            QCOMPARE(r->avatar()->contactId(), r->contactId());
            QCOMPARE(r->avatar()->initials(), AvatarWidget::initialsOf(r->name()));
            QVERIFY(r->name().contains(filter, Qt::CaseInsensitive));
        }
        m_window->sceneManager()->disappearSceneWindowNow(picker.page());
    }

    void shouldShowRightRowsAndLettersAfterEachFilter_data()
    {
        // Filters typed one after another: each adds, removes or reorders the rows the list
        // had, its cells and letters refilled or reused.
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{"A:Anna",  "A:Antti",  "B:Bertil", "H:Hanna Mäki", "K:Kaisa",
                              "K:Kalle", "S:Sakari", "S:Ström",  "#:+358 40"};
        QTest::newRow("narrowed") << QStringList{"", "a", "an"}
                                  << QStringList{"A:Anna", "A:Antti", "H:Hanna Mäki"};
        QTest::newRow("widened") << QStringList{"ki", "k", ""} << all;
        QTest::newRow("other letters")
            << QStringList{"anna", "kal", "s", "40"} << QStringList{"#:+358 40"};
        QTest::newRow("same rows again") << QStringList{"an", "ann", "ann", "an"}
                                         << QStringList{"A:Anna", "A:Antti", "H:Hanna Mäki"};
        QTest::newRow("nothing, then all") << QStringList{"zzz", ""} << all;
    }
    void shouldShowRightRowsAndLettersAfterEachFilter()
    {
        QFETCH(QStringList, filters);
        QFETCH(QStringList, shown);
        QVector<ContactPickerModel::Entry> entries;
        const QStringList names{"Kalle",  "Anna",    "Ström", "Hanna Mäki", "Bertil",
                                "Sakari", "+358 40", "Antti", "Kaisa"};
        for (int i = 0; i < names.size(); ++i)
            entries.append({QContactLocalId(i + 1), names.at(i)});
        ContactPickerModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setContacts(entries);
        MApplicationPage page;
        auto *list = new MList;
        list->setShowGroups(true);
        list->setCellCreator(new ContactPickerCellCreator);
        list->setItemModel(&model);
        page.pannableViewport()->setWidget(list);
        m_window->sceneManager()->appearSceneWindowNow(&page);
        for (const QString &filter : qAsConst(filters)) {
            model.setFilter(filter);
            list->flush();
        }
        QCoreApplication::processEvents();
        // Rows and letters from top to bottom, each letter above its own rows.
        QMap<qreal, QString> byPlace;
        QString letter;
        for (QGraphicsItem *child : list->childItems()) {
            auto *label = qobject_cast<MLabel *>(child->toGraphicsObject());
            if (label && label->isVisible() &&
                label->styleName() == QLatin1String("CommonGroupHeader"))
                byPlace.insert(label->pos().y(), '=' + label->text());
        }
        for (MWidget *cell : list->visibleCells()) {
            auto *row = qobject_cast<ContactListRow *>(cell);
            QVERIFY(row);
            const QModelIndex index = list->indexForCell(cell);
            QCOMPARE(row->name(), index.data().toString());
            QCOMPARE(row->contactId(), index.data(ContactPickerModel::IdRole).toUInt());
            QCOMPARE(row->avatar()->initials(), AvatarWidget::initialsOf(row->name()));
            byPlace.insert(cell->pos().y(), row->name());
        }
        QStringList seen;
        for (const QString &text : qAsConst(byPlace)) {
            if (text.startsWith('='))
                letter = text.mid(1);
            else
                seen << letter + ':' + text;
        }
        QCOMPARE(seen.join(','), shown.join(','));
        // As tall as its rows, or as the view when they fill less.
        const qreal rows =
            model.rowCount() * 40.0 + shown.size() * list->cellCreator()->cellSize().height();
        QCOMPARE(list->size().height(), qMax(rows, page.pannableViewport()->size().height()));
        m_window->sceneManager()->disappearSceneWindowNow(&page);
    }

    void shouldTakeTheInitialsOfTheFirstAndLastWords_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initials");
        QTest::newRow("two words") << "anna berg"
                                   << "AB";
        QTest::newRow("three words") << "Anna Maria Berg"
                                     << "AB";
        QTest::newRow("one word") << "anna"
                                  << "A";
        QTest::newRow("spaces around and between") << "  anna \t\n  berg  "
                                                   << "AB";
        QTest::newRow("words not starting with a letter") << "2nd Anna (Berg) 3"
                                                          << "A";
        QTest::newRow("letter after a digit") << "Anna 2b"
                                              << "A";
        QTest::newRow("accented") << "ärni ÖSTBERG"
                                  << "ÄÖ";
        QTest::newRow("right to left")
            << QStringLiteral("\u0633\u0627\u0631\u0629 \u0639\u0644\u064a")
            << QStringLiteral("\u0633\u0639");
        QTest::newRow("no letters") << "+358 40 123"
                                    << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void shouldTakeTheInitialsOfTheFirstAndLastWords()
    {
        QFETCH(QString, name);
        QFETCH(QString, initials);
        QCOMPARE(AvatarWidget::initialsOf(name), initials);
    }

    void shouldKeepARowsPlacesWhateverTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "Al";
        QTest::newRow("longer than the row") << QString(120, QLatin1Char('W'));
        QTest::newRow("empty") << "";
        QTest::newRow("right to left") << QStringLiteral("\u0633\u0627\u0631\u0629");
    }
    void shouldKeepARowsPlacesWhateverTheName()
    {
        QFETCH(QString, name);
        // A row refilled with another name keeps its size and the name's room beside the
        // avatar, and shows the whole name.
        ContactListRow row(1, QStringLiteral("Anna"));
        const QSizeF hint = row.effectiveSizeHint(Qt::PreferredSize);
        row.resize(480, hint.height());
        QCoreApplication::sendPostedEvents();
        MLabel *label = nullptr;
        for (QGraphicsItem *child : row.childItems())
            label = label ? label : qobject_cast<MLabel *>(child->toGraphicsObject());
        QVERIFY(label);
        const QRectF before = label->geometry();
        QVERIFY(before.left() >= row.avatar()->geometry().right());
        QCOMPARE(before.right(), row.contentsRect().right());
        row.showContact(2, name, QString());
        QCoreApplication::sendPostedEvents();
        QCOMPARE(label->geometry(), before);
        QCOMPARE(row.effectiveSizeHint(Qt::PreferredSize).height(), hint.height());
        QCOMPARE(row.name(), name);
    }
};

CH_TOUCH_TEST_MAIN(TestContactNameIndex)
#include "tst_contactnameindex.moc"
