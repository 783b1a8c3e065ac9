#include "accountpaths.h"
#include "displaytext.h"
#include "mlocale.h"
#include "videocalls.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtTest>

class TestDisplayText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldWrapNumberInLocaleDigits_data();
    void shouldWrapNumberInLocaleDigits();
    void shouldReadNumbersLeftToRightInRightToLeftText_data();
    void shouldReadNumbersLeftToRightInRightToLeftText();
    void shouldKeepOutsideTextInItsOwnDirection();
    void shouldStripEveryBidiControl();
    void shouldPickLengthVariants_data();
    void shouldPickLengthVariants();
    void shouldCombineLengthVariants_data();
    void shouldCombineLengthVariants();
    void shouldTreatNullAsEmptyText();
    void shouldRecognizeCellularAccount_data();
    void shouldRecognizeCellularAccount();
    void shouldFollowVideoButtonFlagFile();
};

void TestDisplayText::shouldWrapNumberInLocaleDigits_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("shown");
    QTest::newRow("english") << "en_GB"
                             << "+358 40 123"
                             << "+358 40 123";
    QTest::newRow("arabic") << "ar_EG"
                            << "+358 40 123" << QString::fromUtf8("+٣٥٨ ٤٠ ١٢٣");
    QTest::newRow("persian") << "fa_IR"
                             << "*#06#" << QString::fromUtf8("*#۰۶#");
}

void TestDisplayText::shouldWrapNumberInLocaleDigits()
{
    QFETCH(QString, locale);
    QFETCH(QString, number);
    QFETCH(QString, shown);
    MLocale::setDefault(MLocale(locale));
    // An isolated left-to-right run: it reads left to right whatever stands around it.
    QCOMPARE(numberForDisplay(number),
             QString(QChar(0x2066)) + QChar(0x202d) + shown + QChar(0x202c) + QChar(0x2069));
}

void TestDisplayText::shouldReadNumbersLeftToRightInRightToLeftText_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("displayForm");
    QTest::addColumn<bool>("readsLeftToRight");
    QTest::addColumn<QString>("locale");
    QTest::newRow("alone") << "%1" << true << true << "en_GB";
    QTest::newRow("before a kind") << QString::fromUtf8("%1 | الجوال") << true << true << "en_GB";
    QTest::newRow("after a kind") << QString::fromUtf8("الجوال | %1") << true << true << "en_GB";
    QTest::newRow("in a sentence")
        << QString::fromUtf8("تعذّر الاتصال بالرقم %1.") << true << true << "en_GB";
    QTest::newRow("before a name written left to right")
        << QString::fromUtf8("%1 Anna") << true << true << "en_GB";
    // What the check sees in a number as it stands: its groups and its "+" out of order.
    QTest::newRow("bare number after a kind")
        << QString::fromUtf8("الجوال | %1") << false << false << "en_GB";
    // Arabic-Indic digits are numbers of their own direction: groups of them must not trade
    // places.
    QTest::newRow("Arabic digits in groups after a kind")
        << QString::fromUtf8("الجوال | %1") << true << true << "ar_EG";
    QTest::newRow("Arabic digits in groups alone") << "%1" << true << true << "ar_EG";
}

void TestDisplayText::shouldReadNumbersLeftToRightInRightToLeftText()
{
    QFETCH(QString, pattern);
    QFETCH(bool, displayForm);
    QFETCH(bool, readsLeftToRight);
    QFETCH(QString, locale);
    MLocale::setDefault(MLocale(locale));
    const QString written = QStringLiteral("+358 45 222 3344");
    const auto restore = qScopeGuard([] { MLocale::setDefault(MLocale(QStringLiteral("en_GB"))); });
    // As shown: grouped anew, in an isolated run; or as written, bare.
    const QString number = displayForm ? stripBidiMarks(numberForDisplay(written)) : written;
    const QString text = pattern.arg(displayForm ? numberForDisplay(written) : written);
    QTextLayout layout(text, QFont());
    QTextOption option;
    option.setTextDirection(Qt::RightToLeft);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1000);
    layout.endLayout();
    // Where each character of the number starts on screen, in the number's own order.
    const int at = text.indexOf(number);
    QVERIFY(at >= 0);
    QStringList order;
    qreal previous = -1;
    bool leftToRight = true;
    for (int i = at; i < at + number.size(); ++i) {
        if (number.at(i - at) == QLatin1Char(' '))
            continue;
        // The edge a character starts at in reading order.
        const qreal x = line.cursorToX(i, QTextLine::Leading);
        if (x < previous)
            leftToRight = false;
        order << QStringLiteral("%1@%2").arg(number.at(i - at)).arg(x);
        previous = x;
    }
    QVERIFY2(leftToRight == readsLeftToRight, qPrintable(text + ' ' + order.join(' ')));
}

void TestDisplayText::shouldKeepOutsideTextInItsOwnDirection()
{
    QCOMPARE(ownDirectionRun(QStringLiteral("Home")),
             QChar(0x2068) + QStringLiteral("Home") + QChar(0x2069));
    QCOMPARE(ownDirectionRun(QString()), QString());
    QCOMPARE(stripBidiMarks(ownDirectionRun(QStringLiteral("Home"))), QStringLiteral("Home"));
}

void TestDisplayText::shouldStripEveryBidiControl()
{
    const QString marked = leftToRightRun(QStringLiteral("+358401234567"));
    QCOMPARE(stripBidiMarks(QChar(0x2067) + marked + QChar(0x202b) + QChar(0x202c) + QChar(0x2068) +
                            QChar(0x2069)),
             QStringLiteral("+358401234567"));
}

void TestDisplayText::shouldPickLengthVariants_data()
{
    const QChar sep(0x9c);
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("no variants") << "Video call"
                                 << "Video call"
                                 << "Video call";
    QTest::newRow("two variants") << "Video call" + QString(sep) + "Video"
                                  << "Video call"
                                  << "Video";
    QTest::newRow("three variants") << QString("Long%1Mid%1S").arg(sep) << "Long"
                                    << "S";
    QTest::newRow("separator first") << QString(sep) + "Short" << QString(sep) + "Short"
                                     << "Short";
    QTest::newRow("separator last") << "Long" + QString(sep) << "Long"
                                    << "";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestDisplayText::shouldPickLengthVariants()
{
    QFETCH(QString, text);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QCOMPARE(firstLengthVariant(text), first);
    QCOMPARE(lastLengthVariant(text), last);
}

void TestDisplayText::shouldCombineLengthVariants_data()
{
    const QString sep(QChar(0x9c));
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("combined");
    QTest::newRow("both with variants") << "0401234567"
                                        << "Mobile" + sep + "Mob"
                                        << "0401234567 | Mobile" + sep + "0401234567 | Mob";
    QTest::newRow("none") << "a"
                          << "b"
                          << "a | b" + sep + "a | b";
    QTest::newRow("placeholder inside argument") << "50%2 off"
                                                 << "Work"
                                                 << "50%2 off | Work" + sep + "50%2 off | Work";
}

void TestDisplayText::shouldCombineLengthVariants()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, combined);
    QCOMPARE(argWithLengthVariants(QStringLiteral("%1 | %2"), a, b), combined);
}

void TestDisplayText::shouldTreatNullAsEmptyText()
{
    QVERIFY(isEmptyText(QString()));
    QVERIFY(isEmptyText(QLatin1String("")));
    QVERIFY(!isEmptyText(QStringLiteral(" ")));
}

void TestDisplayText::shouldRecognizeCellularAccount_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("cellular");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("cellular") << "/org/freedesktop/Telepathy/Account/pulse/tel/pulse" << true;
    QTest::newRow("sip") << "/org/freedesktop/Telepathy/Account/sofiasip/sip/a0" << false;
    QTest::newRow("cellular with suffix")
        << "/org/freedesktop/Telepathy/Account/pulse/tel/pulse0" << false;
}

void TestDisplayText::shouldRecognizeCellularAccount()
{
    QFETCH(QString, path);
    QFETCH(bool, cellular);
    QCOMPARE(isCellularAccount(path), cellular);
}

void TestDisplayText::shouldFollowVideoButtonFlagFile()
{
    QTemporaryDir dir;
    const QString flag = dir.filePath(QStringLiteral("callUIVideoButton"));
    qputenv("CALL_HISTORY_VIDEO_BUTTON_FLAG", flag.toLocal8Bit());
    QVERIFY(!isVideoCallButtonEnabled());
    QFile file(flag);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(isVideoCallButtonEnabled());
    qunsetenv("CALL_HISTORY_VIDEO_BUTTON_FLAG");
    QCOMPARE(videoCallButtonFlagPath(), QStringLiteral("/etc/call-ui/callUIVideoButton"));
}

QTEST_MAIN(TestDisplayText)
#include "tst_displaytext.moc"
