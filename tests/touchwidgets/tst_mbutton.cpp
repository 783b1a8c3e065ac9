#include "mapplication.h"
#include "mbutton.h"
#include "testsupport.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

// How a button draws its checked state: a round button (the call screen's toggles) stays round,
// a square one (a toolbar tab) is filled to its corners.
class TestMButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldDrawTheCheckedStateInTheButtonsShape_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("cornerFilled");
        QTest::newRow("round toggle") << "CallScreenToggle" << false;
        QTest::newRow("square tab") << "MToolBarTab" << true;
    }
    void shouldDrawTheCheckedStateInTheButtonsShape()
    {
        QFETCH(QString, style);
        QFETCH(bool, cornerFilled);
        MButton button;
        button.setStyleName(style);
        button.setCheckable(true);
        button.setChecked(true);
        button.resize(72, 72);
        QImage image(72, 72, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QStyleOptionGraphicsItem option;
        button.paint(&painter, &option);
        painter.end();
        const QColor checked = button.style().checkedBackgroundColor;
        QVERIFY(checked.isValid());
        // Beside the middle of the left edge the checked colour shows in both shapes.
        QCOMPARE(image.pixelColor(8, 36).name(), checked.name());
        // The bottom corner (a tab's checked mark runs along its top).
        const QColor corner = image.pixelColor(1, 70);
        QCOMPARE(corner.alpha() == 255 && corner.name() == checked.name(), cornerFilled);
    }
};

CH_TOUCH_TEST_MAIN(TestMButton)
#include "tst_mbutton.moc"
