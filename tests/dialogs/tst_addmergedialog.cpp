#include "addmergedialog.h"
#include "displaytext.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mlabel.h"
#include "mlocale.h"
#include "mscenemanager.h"
#include "testsupport.h"

#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Number = QStringLiteral("+358401234567");
} // namespace

// The add-or-merge question in each language: its buttons show their whole texts (side by
// side when they fit, else one above the other), it says which number it is about, and its
// choices are reported to the caller, who closes it.
class TestAddMergeDialog : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;

    static void setLanguage(const QString &name)
    {
        MLocale locale(name);
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
        QCoreApplication::processEvents();
    }

    AddMergeDialog *open()
    {
        auto *dialog = new AddMergeDialog(Cellular, Number);
        dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
        QCoreApplication::sendPostedEvents();
        return dialog;
    }

    static QRectF inScene(QGraphicsWidget *w) { return w->mapRectToScene(w->rect()); }

    // The room left and right of the text drawn on a button, on a picture of the window.
    QString marginsOfText(const QImage &shot, MButton *b) const
    {
        const QRect r = m_window->mapFromScene(inScene(b)).boundingRect();
        const int y = r.center().y();
        const QColor bg = shot.pixelColor(r.left() + r.height(), r.top() + 2);
        int first = -1, last = -1;
        for (int x = r.left() + r.height() / 2; x < r.right() - r.height() / 2; ++x) {
            for (int dy = -6; dy <= 6; ++dy) {
                const QColor c = shot.pixelColor(x, y + dy);
                if (qAbs(c.red() - bg.red()) + qAbs(c.green() - bg.green()) +
                        qAbs(c.blue() - bg.blue()) >
                    150) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
            }
        }
        if (first < 0)
            return QStringLiteral("no text");
        const int left = first - r.left(), right = r.right() - last;
        return qAbs(left - right) <= 3 ? QStringLiteral("centred")
                                       : QStringLiteral("%1 | %2").arg(left).arg(right);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_window = TestSupport::shownWindow();
        QVERIFY(m_window);
    }

    void cleanup()
    {
        for (MSceneWindow *w : m_window->sceneManager()->overlays())
            w->dismiss();
        QTRY_VERIFY(m_window->sceneManager()->overlays().isEmpty());
        setLanguage(QStringLiteral("en_GB"));
    }

    void cleanupTestCase() { delete m_window; }

    void shouldShowWholeButtonTextsAndTheNumber_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "en_GB";
        QTest::newRow("German") << "de_DE";
        QTest::newRow("Arabic") << "ar_EG";
    }
    void shouldShowWholeButtonTextsAndTheNumber()
    {
        QFETCH(QString, language);
        setLanguage(language);
        QPointer<AddMergeDialog> dialog = open();
        QTRY_COMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
        const QImage shot(TestSupport::saveScreenshot(m_window, "addmerge-" + language.left(2)));

        const QRectF card = inScene(dialog);
        const QList<MButton *> buttons = dialog->buttons();
        QCOMPARE(buttons.size(), 2);
        QStringList cut;
        for (MButton *b : buttons) {
            // The whole text, the button's padding included, inside the card.
            if (b->size().width() + 0.5 < b->effectiveSizeHint(Qt::PreferredSize).width())
                cut << b->text();
            QVERIFY(card.contains(inScene(b)));
        }
        QCOMPARE(cut.join('|'), QString());
        for (MButton *b : buttons)
            QCOMPARE(marginsOfText(shot, b), QStringLiteral("centred"));
        QVERIFY(!inScene(buttons.at(0)).intersects(inScene(buttons.at(1))));
        // Side by side they share the row equally; stacked each takes the whole row.
        QCOMPARE(buttons.at(0)->size().width(), buttons.at(1)->size().width());

        QVERIFY(dialog->numberLabel());
        QCOMPARE(dialog->numberLabel()->text(), numberForDisplay(Number));
        QCOMPARE(dialog->numberLabel()->textFormat(), Qt::PlainText);
        QVERIFY(card.contains(inScene(dialog->numberLabel())));
    }

    void shouldReportTheChoiceAndLeaveClosingToTheCaller_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("choice");
        QTest::newRow("save as a new contact") << 0 << int(AddMergeDialog::NewContact);
        QTest::newRow("add to an existing contact") << 1 << int(AddMergeDialog::ExistingContact);
    }
    void shouldReportTheChoiceAndLeaveClosingToTheCaller()
    {
        QFETCH(int, button);
        QFETCH(int, choice);
        QPointer<AddMergeDialog> dialog = open();
        QSignalSpy chosen(dialog.data(), &AddMergeDialog::chosen);
        dialog->buttons().at(button)->click();
        QTRY_COMPARE(chosen.count(), 1);
        QCOMPARE(int(chosen.first().first().value<AddMergeDialog::Choice>()), choice);
        QVERIFY(dialog);
        QCOMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
        // A second tap before the caller has closed it asks nothing more.
        dialog->buttons().at(1 - button)->click();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(chosen.count(), 1);
    }
};

CH_TOUCH_TEST_MAIN(TestAddMergeDialog)
#include "tst_addmergedialog.moc"
