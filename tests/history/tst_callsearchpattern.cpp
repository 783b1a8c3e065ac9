#include "callsearchpattern.h"

#include <QRandomGenerator>
#include <QtTest>

// The call history search's own matching must find exactly what its regular expression finds,
// for every kind of text a name or a number can hold.
class TestCallSearchPattern : public QObject
{
    Q_OBJECT

    static bool expressionFinds(const CallSearchPattern &pattern, const QString &subject)
    {
        return QRegExp(pattern.regExpPattern(), Qt::CaseInsensitive, QRegExp::RegExp)
                   .indexIn(subject, 0) != -1;
    }

private Q_SLOTS:
    void shouldFindWhatTheExpressionFinds_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<bool>("found");
        QTest::newRow("digits anywhere") << "1234"
                                         << "+358401234567" << true;
        QTest::newRow("number punctuation") << "(040) 12"
                                            << "(040) 1234" << true;
        QTest::newRow("number punctuation missing") << "(040) 12"
                                                    << "040 1234" << false;
        QTest::newRow("name at a word start") << "ann"
                                              << "Mary Ann" << true;
        QTest::newRow("name inside a word") << "ann"
                                            << "Joanna" << false;
        QTest::newRow("word start after punctuation") << "ann"
                                                      << "sip:anna@x" << true;
        QTest::newRow("word start after an underscore") << "ann"
                                                        << "x_anna" << false;
        QTest::newRow("word start after a mark") << "nn" << QString::fromUtf8("e\u0301nn") << false;
        QTest::newRow("a typed non-word character first") << "-ann"
                                                          << "x-ann" << true;
        QTest::newRow("a typed non-word character after a space") << "-ann"
                                                                  << "x -ann" << false;
        QTest::newRow("capitals") << "ANN"
                                  << "mary ann" << true;
        // Compared lowered, not case-folded.
        QTest::newRow("long s") << "s" << QString::fromUtf8("\u017f") << false;
        QTest::newRow("final sigma") << QString::fromUtf8("σ") << QString::fromUtf8("ς") << false;
        QTest::newRow("kelvin sign") << "k" << QString::fromUtf8("\u212a") << true;
        QTest::newRow("accent typed, base in the name")
            << QString::fromUtf8("josé") << "Jose" << true;
        QTest::newRow("accent typed, capital in the name")
            << QString::fromUtf8("josé") << QString::fromUtf8("JOSÉ") << true;
        QTest::newRow("capital accent typed, small in the name")
            << QString::fromUtf8("JOSÉ") << QString::fromUtf8("josé") << true;
        QTest::newRow("base typed, accent in the name")
            << "jose" << QString::fromUtf8("José") << false;
        QTest::newRow("dotted capital I typed") << QString::fromUtf8("İ") << "i" << true;
        QTest::newRow("only a mark typed") << QString::fromUtf8("\u0301") << "Ann" << true;
        QTest::newRow("only a mark typed, nothing to start")
            << QString::fromUtf8("\u0301") << "+-" << false;
        // The expression sees no word start before the two halves of such a letter.
        QTest::newRow("a letter beyond the basic plane")
            << QString::fromUtf8("\U0001D400") << QString::fromUtf8("x \U0001D400") << false;
        QTest::newRow("a number beyond the basic plane")
            << QString::fromUtf8("\U0001D7D9") << QString::fromUtf8("+\U0001D7D9") << false;
        QTest::newRow("Hangul syllable")
            << QString::fromUtf8("\uD55C") << QString::fromUtf8("\uD55C\uAE00") << true;
        QTest::newRow("empty subject") << "1"
                                       << "" << false;
    }

    void shouldFindWhatTheExpressionFinds()
    {
        QFETCH(QString, typed);
        QFETCH(QString, subject);
        QFETCH(bool, found);
        const CallSearchPattern pattern(typed);
        QCOMPARE(expressionFinds(pattern, subject), found);
        QCOMPARE(pattern.matches(subject), found);
    }

    // Texts and subjects drawn from characters whose case rules are irregular.
    void shouldAgreeWithTheExpressionOnMixedTexts()
    {
        const QString pool = QString::fromUtf8("aAeE\u00e9\u00c9iI\u0130\u0131kK\u212asS\u017f"
                                               "\u00df\u1e9e -_12.+\u03c3\u03c2\u03a3\u2160"
                                               "\u2170\u24b6\u24d0\u01c4\u01c5\u01c6\u03a9"
                                               "\u03c9\u2126\u0301\u00e5\u00c5\u212b()#");
        QRandomGenerator random(20261207);
        int disagreements = 0;
        QString first;
        for (int i = 0; i < 50000; ++i) {
            QString typed, subject;
            for (int n = 1 + random.bounded(3); n > 0; --n)
                typed += pool.at(random.bounded(pool.size()));
            for (int n = random.bounded(12); n > 0; --n)
                subject += pool.at(random.bounded(pool.size()));
            const CallSearchPattern pattern(typed.trimmed());
            if (pattern.matches(subject) != expressionFinds(pattern, subject)) {
                if (!disagreements++)
                    first = typed + " in " + subject;
            }
        }
        QVERIFY2(disagreements == 0, qPrintable(first));
    }

    void shouldKnowWhichSearchesNarrowOthers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("wider");
        QTest::addColumn<bool>("narrows");
        QTest::newRow("a letter added") << "ann"
                                        << "an" << true;
        QTest::newRow("a letter removed") << "an"
                                          << "ann" << false;
        QTest::newRow("the same") << "an"
                                  << "AN" << true;
        QTest::newRow("a number becoming a name") << "12a"
                                                  << "12" << true;
        QTest::newRow("a name becoming a number") << "12"
                                                  << "12a" << false;
        QTest::newRow("another letter") << "am"
                                        << "an" << false;
        QTest::newRow("an accent added to the last letter")
            << QString::fromUtf8("josé") << "jos" << true;
        QTest::newRow("an accent on the last letter")
            << QString::fromUtf8("josé") << "jose" << false;
        QTest::newRow("anything narrows no search") << "a"
                                                    << "" << true;
    }

    void shouldKnowWhichSearchesNarrowOthers()
    {
        QFETCH(QString, text);
        QFETCH(QString, wider);
        QFETCH(bool, narrows);
        QCOMPARE(CallSearchPattern(text).narrows(CallSearchPattern(wider)), narrows);
    }
};

QTEST_GUILESS_MAIN(TestCallSearchPattern)
#include "tst_callsearchpattern.moc"
