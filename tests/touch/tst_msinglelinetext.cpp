#include "msinglelinetext.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QtTest>

// The kept line draws what QPainter::drawText draws, and is laid out again exactly when what
// it depends on changes.
class TestMSingleLineText : public QObject
{
    Q_OBJECT
private:
    static QImage canvas()
    {
        QImage image(240, 48, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        return image;
    }
    static void prepare(QPainter &p, const QFont &font, Qt::LayoutDirection direction)
    {
        p.setFont(font);
        p.setPen(Qt::black);
        p.setLayoutDirection(direction);
    }
    static QImage byPainter(const QRectF &r, int flags, const QString &text, bool elide,
                            const QFont &font, Qt::LayoutDirection direction)
    {
        QImage image = canvas();
        QPainter p(&image);
        prepare(p, font, direction);
        const QString shown =
            elide ? QFontMetricsF(font).elidedText(text, Qt::ElideRight, r.width()) : text;
        p.drawText(r, flags | Qt::TextSingleLine, shown);
        return image;
    }
    static QImage byKeptLine(MSingleLineText &line, const QRectF &r, int flags, const QString &text,
                             bool elide, const QFont &font, Qt::LayoutDirection direction)
    {
        QImage image = canvas();
        QPainter p(&image);
        prepare(p, font, direction);
        line.draw(&p, r, flags, text, elide);
        return image;
    }

private Q_SLOTS:
    void shouldDrawAsThePainterDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("elide");
        QTest::addColumn<QRectF>("rect");
        QTest::addColumn<int>("direction");
        const QRectF wide(10.5, 4, 200, 40);
        const QRectF narrow(3, 2.25, 60, 30);
        const int vleft = Qt::AlignLeft | Qt::AlignVCenter | Qt::AlignAbsolute;
        const int vright = Qt::AlignRight | Qt::AlignVCenter | Qt::AlignAbsolute;
        const int center = Qt::AlignCenter;
        QTest::newRow("left") << "Anna Virtanen" << vleft << true << wide
                              << int(Qt::LayoutDirectionAuto);
        QTest::newRow("right") << "040 123 4567" << vright << true << wide
                               << int(Qt::LayoutDirectionAuto);
        QTest::newRow("centred") << "Voicemail" << center << true << wide
                                 << int(Qt::LayoutDirectionAuto);
        QTest::newRow("top bottom") << "Top" << int(Qt::AlignRight | Qt::AlignBottom) << false
                                    << wide << int(Qt::LayoutDirectionAuto);
        QTest::newRow("elided") << "A name far too long to fit here" << vleft << true << narrow
                                << int(Qt::LayoutDirectionAuto);
        QTest::newRow("overflowing unelided") << "A name far too long to fit here" << vright
                                              << false << narrow << int(Qt::LayoutDirectionAuto);
        QTest::newRow("trailing spaces right")
            << "end   " << vright << true << wide << int(Qt::LayoutDirectionAuto);
        QTest::newRow("line breaks and tabs")
            << "one\ntwo\tthree\r" << vleft << true << wide << int(Qt::LayoutDirectionAuto);
        QTest::newRow("right to left text")
            << QString::fromUtf8("\u05e9\u05dc\u05d5\u05dd 123 ") << vright << true << wide
            << int(Qt::LayoutDirectionAuto);
        QTest::newRow("right to left painter")
            << "Mixed \u05d0 text" << int(Qt::AlignLeft | Qt::AlignVCenter) << true << wide
            << int(Qt::RightToLeft);
        QTest::newRow("markup looking")
            << "<b>&amp; &x</b>" << center << true << narrow << int(Qt::LeftToRight);
        QTest::newRow("empty") << QString() << center << true << wide
                               << int(Qt::LayoutDirectionAuto);
    }
    void shouldDrawAsThePainterDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(bool, elide);
        QFETCH(QRectF, rect);
        QFETCH(int, direction);
        QFont font = QApplication::font();
        font.setPixelSize(20);
        const auto dir = Qt::LayoutDirection(direction);
        MSingleLineText line;
        const QImage expected = byPainter(rect, flags, text, elide, font, dir);
        QCOMPARE(byKeptLine(line, rect, flags, text, elide, font, dir), expected);
        // Drawn again from the kept line.
        QCOMPARE(byKeptLine(line, rect, flags, text, elide, font, dir), expected);
        QCOMPARE(line.layoutCount(), 1);
    }

    void shouldLayOutAgainOnlyWhenItsInputsChange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("elide");
        QTest::addColumn<int>("layouts");
        QTest::newRow("nothing changed")
            << "Anna" << 20 << 120.0 << int(Qt::LeftToRight) << true << 1;
        QTest::newRow("text") << "Anne" << 20 << 120.0 << int(Qt::LeftToRight) << true << 2;
        QTest::newRow("font") << "Anna" << 22 << 120.0 << int(Qt::LeftToRight) << true << 2;
        QTest::newRow("width") << "Anna" << 20 << 40.0 << int(Qt::LeftToRight) << true << 2;
        QTest::newRow("width, not elided")
            << "Anna" << 20 << 40.0 << int(Qt::LeftToRight) << false << 1;
        QTest::newRow("direction") << "Anna" << 20 << 120.0 << int(Qt::RightToLeft) << true << 2;
    }
    void shouldLayOutAgainOnlyWhenItsInputsChange()
    {
        QFETCH(QString, text);
        QFETCH(int, pixelSize);
        QFETCH(qreal, width);
        QFETCH(int, direction);
        QFETCH(bool, elide);
        QFETCH(int, layouts);
        QFont font = QApplication::font();
        font.setPixelSize(20);
        const int flags = Qt::AlignRight | Qt::AlignVCenter;
        MSingleLineText line;
        byKeptLine(line, QRectF(0, 0, 120, 40), flags, QStringLiteral("Anna"), elide, font,
                   Qt::LeftToRight);
        QFont changed = font;
        changed.setPixelSize(pixelSize);
        const QRectF r(0, 0, width, 40);
        const auto dir = Qt::LayoutDirection(direction);
        const QImage drawn = byKeptLine(line, r, flags, text, elide, changed, dir);
        QCOMPARE(line.layoutCount(), layouts);
        QCOMPARE(drawn, byPainter(r, flags, text, elide, changed, dir));
    }

    void shouldShareAShapedLineOnlyForTheSameInputs_data()
    {
        // A second line draws a text another line has drawn: shaped again only when something
        // the shape depends on differs.
        QTest::addColumn<bool>("otherText");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("elide");
        QTest::addColumn<int>("shaped");
        QTest::newRow("same inputs") << false << 20 << 120.0 << int(Qt::LeftToRight) << true << 0;
        QTest::newRow("other text") << true << 20 << 120.0 << int(Qt::LeftToRight) << true << 1;
        QTest::newRow("other font") << false << 22 << 120.0 << int(Qt::LeftToRight) << true << 1;
        QTest::newRow("other width") << false << 20 << 40.0 << int(Qt::LeftToRight) << true << 1;
        QTest::newRow("not elided") << false << 20 << 120.0 << int(Qt::LeftToRight) << false << 1;
        QTest::newRow("other direction")
            << false << 20 << 120.0 << int(Qt::RightToLeft) << true << 1;
    }
    void shouldShareAShapedLineOnlyForTheSameInputs()
    {
        QFETCH(bool, otherText);
        QFETCH(int, pixelSize);
        QFETCH(qreal, width);
        QFETCH(int, direction);
        QFETCH(bool, elide);
        QFETCH(int, shaped);
        // A text of its own per row: lines shaped by earlier rows are shared too.
        const QString text = QStringLiteral("Anna Virtanen ") + QTest::currentDataTag();
        QFont font = QApplication::font();
        font.setPixelSize(20);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter;
        MSingleLineText first;
        byKeptLine(first, QRectF(0, 0, 120, 40), flags, text, true, font, Qt::LeftToRight);
        const int before = MSingleLineText::shapedCount();
        QFont changed = font;
        changed.setPixelSize(pixelSize);
        const QString shown = otherText ? text + QStringLiteral("!") : text;
        const QRectF r(0, 0, width, 40);
        const auto dir = Qt::LayoutDirection(direction);
        MSingleLineText second;
        const QImage drawn = byKeptLine(second, r, flags, shown, elide, changed, dir);
        QCOMPARE(MSingleLineText::shapedCount() - before, shaped);
        QCOMPARE(drawn, byPainter(r, flags, shown, elide, changed, dir));
        // Both keep drawing their own lines.
        QCOMPARE(byKeptLine(first, QRectF(0, 0, 120, 40), flags, text, true, font, Qt::LeftToRight),
                 byPainter(QRectF(0, 0, 120, 40), flags, text, true, font, Qt::LeftToRight));
    }

    void shouldKeepItsOwnLineWhenTheSharedOnesAreForgotten()
    {
        const QString text = QStringLiteral("Mikko Korhonen");
        QFont font = QApplication::font();
        font.setPixelSize(20);
        const int flags = Qt::AlignLeft | Qt::AlignVCenter;
        const QRectF r(0, 0, 120, 40);
        MSingleLineText shown;
        byKeptLine(shown, r, flags, text, true, font, Qt::LeftToRight);

        MSingleLineText::forgetSharedLines();
        const int before = MSingleLineText::shapedCount();
        // The line drawn keeps its shape; another line with the same text shapes it anew.
        QCOMPARE(byKeptLine(shown, r, flags, text, true, font, Qt::LeftToRight),
                 byPainter(r, flags, text, true, font, Qt::LeftToRight));
        QCOMPARE(MSingleLineText::shapedCount() - before, 0);
        MSingleLineText other;
        QCOMPARE(byKeptLine(other, r, flags, text, true, font, Qt::LeftToRight),
                 byPainter(r, flags, text, true, font, Qt::LeftToRight));
        QCOMPARE(MSingleLineText::shapedCount() - before, 1);
    }
};

QTEST_MAIN(TestMSingleLineText)
#include "tst_msinglelinetext.moc"
