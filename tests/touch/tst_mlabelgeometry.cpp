#include "mlabel.h"

#include <QApplication>
#include <QGraphicsLinearLayout>
#include <QGraphicsWidget>
#include <QtTest>

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
};

QTEST_MAIN(TestMLabelGeometry)
#include "tst_mlabelgeometry.moc"
