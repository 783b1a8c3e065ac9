#include "mlabel.h"

#include <QApplication>
#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QGraphicsWidget>
#include <QtTest>

namespace {
// Counts how often its size hints are worked out.
class CountingLabel : public MLabel
{
public:
    mutable int hints = 0;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint) const override
    {
        ++hints;
        return MLabel::sizeHint(which, constraint);
    }
};
} // namespace

// A label asks the layout around it to run again only when a new text changes its measure.
class TestMLabelGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldRelayoutOnlyWhenTheMeasureChanges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wordWrap");
        QTest::addColumn<bool>("relayout");
        QTest::newRow("same digits, other order") << "21:05" << false << false;
        QTest::newRow("longer") << "12:050" << false << true;
        QTest::newRow("shorter") << "12" << false << true;
        QTest::newRow("wrapped text always") << "21:05" << true << true;
    }
    void shouldRelayoutOnlyWhenTheMeasureChanges()
    {
        QFETCH(QString, text);
        QFETCH(bool, wordWrap);
        QFETCH(bool, relayout);
        QGraphicsWidget parent;
        auto *layout = new QGraphicsLinearLayout(&parent);
        auto *label = new MLabel(QStringLiteral("12:05"));
        label->setWordWrap(wordWrap);
        layout->addItem(label);
        parent.resize(300, 100);
        layout->activate();
        QVERIFY(layout->isActivated());
        label->setText(text);
        QCOMPARE(!layout->isActivated(), relayout);
        QCOMPARE(label->text(), text);
    }

    // A label outside any layout is fitted to its hints only once it can be seen; it then has
    // the height of a label that was fitted all along.
    void shouldFitLabelWhenItGetsAPlace_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::newRow("made outside any scene, then given a parent") << false;
        QTest::newRow("hidden in the scene, then shown") << true;
    }
    void shouldFitLabelWhenItGetsAPlace()
    {
        QFETCH(bool, hidden);
        QGraphicsScene scene;
        auto *parent = new QGraphicsWidget;
        scene.addItem(parent);
        // The reference: in the scene and shown from the start.
        auto *reference = new MLabel(parent);
        reference->setStyleName(QStringLiteral("CommonTitle"));
        reference->setWordWrap(true);
        reference->setText(QStringLiteral("Anna Berg"));

        auto *label = new CountingLabel;
        if (hidden) {
            label->setParentItem(parent);
            label->hide();
        }
        const int hintsBefore = label->hints;
        const QSizeF sizeBefore = label->size();
        label->setStyleName(QStringLiteral("CommonTitle"));
        label->setWordWrap(true);
        label->setText(QStringLiteral("Anna Berg"));
        // Nothing measured or fitted meanwhile.
        QCOMPARE(label->hints, hintsBefore);
        QCOMPARE(label->size(), sizeBefore);

        if (hidden)
            label->show();
        else
            label->setParentItem(parent);
        QVERIFY(label->hints > hintsBefore);
        // As tall as its text in its style (the height is fixed by its hints; the width follows
        // from where it is put).
        QCOMPARE(label->size().height(), reference->size().height());
        QVERIFY(reference->size().height() > 20);
    }
};

QTEST_MAIN(TestMLabelGeometry)
#include "tst_mlabelgeometry.moc"
