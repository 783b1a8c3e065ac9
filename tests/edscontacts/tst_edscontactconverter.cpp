#include "contactsengine.h"
#include "edscontactconverter.h"

#include <QtContacts/QContactAvatar>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactPhoneNumber>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace QtContacts;

// EDS's cards as contacts of the mirror and back, and changes merged into EDS's card.
class TestEdsContactConverter : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    static QByteArray card(const QByteArray &lines)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\n" + lines + "END:VCARD\r\n";
    }

    static QString sorted(const QSet<QString> &names)
    {
        QStringList list = names.values();
        list.sort();
        return list.join(QLatin1Char(','));
    }

private Q_SLOTS:
    void shouldReadCardOfEds_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("expected"); // label|numbers|guid, or "refused"
        QTest::newRow("name and numbers")
            << QByteArray("FN:Ann Example\r\nN:Example;Ann;;;\r\n"
                          "TEL;X-EVOLUTION-E164=401234567,\"+358\";TYPE=CELL:+358 40 123 4567\r\n"
                          "REV:2026-12-08T07:16:58Z\r\n")
            << "Ann Example|+358 40 123 4567|u1";
        QTest::newRow("named by FN alone")
            << QByteArray("FN:Bob\r\nTEL:0401112222\r\n") << "Bob|0401112222|u1";
        QTest::newRow("contact list")
            << QByteArray("FN:Friends\r\nX-EVOLUTION-LIST:TRUE\r\n") << "refused";
    }

    void shouldReadCardOfEds()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, expected);
        EdsContactConverter converter(m_dir.filePath(QStringLiteral("pictures")));
        QContact contact;
        QString error;
        if (!converter.toContact(card(lines), &contact, &error)) {
            QCOMPARE(QStringLiteral("refused"), expected);
            return;
        }
        QStringList numbers;
        for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
            numbers << number.number();
        QCOMPARE(QStringLiteral("%1|%2|%3")
                     .arg(ContactsEngine::synthesizedContactDisplayLabel(contact),
                          numbers.join(QLatin1Char(',')), contact.detail<QContactGuid>().guid()),
                 expected);
    }

    void shouldKeepPictureOfCardAsFile()
    {
        const QByteArray picture("\x89PNG\r\n\x1a\nnot really a picture", 28);
        const QByteArray lines =
            "FN:Cid\r\nPHOTO;ENCODING=b;TYPE=image/png:" + picture.toBase64() + "\r\n";
        const QString folder = m_dir.filePath(QStringLiteral("pictures"));
        EdsContactConverter converter(folder);
        QContact contact;
        QString error;
        QVERIFY2(converter.toContact(card(lines), &contact, &error), qPrintable(error));
        const QUrl url = contact.detail<QContactAvatar>().imageUrl();
        QVERIFY2(url.isLocalFile() && url.toLocalFile().startsWith(folder),
                 qPrintable(url.toString()));
        QFile file(url.toLocalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), picture);
        QVERIFY(url.toLocalFile().endsWith(QLatin1String(".png")));
    }

    void shouldMergeOnlyWhatChanged_data()
    {
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QByteArray>("ours");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QStringList>("merged"); // lines expected in the merged card
        QTest::addColumn<QStringList>("gone");   // lines expected gone from it
        const QByteArray current = card("FN:Ann\r\nTEL:111\r\nEMAIL:ann@example.com\r\n"
                                        "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nX-OTHER:kept\r\n"
                                        "REV:2026-01-01T00:00:00Z\r\n");
        QTest::newRow("number added")
            << card("FN:Ann\r\nTEL:111\r\n") << card("FN:Ann\r\nTEL:111\r\nTEL:222\r\n") << "TEL"
            << QStringList{"TEL:111", "TEL:222", "X-OTHER:kept", "PHOTO", "EMAIL:ann@example.com"}
            << QStringList();
        QTest::newRow("renamed") << card("FN:Ann\r\nTEL:111\r\n") << card("FN:Anna\r\nTEL:111\r\n")
                                 << "FN" << QStringList{"FN:Anna", "TEL:111", "X-OTHER:kept"}
                                 << QStringList{"FN:Ann"};
        QTest::newRow("number removed")
            << card("FN:Ann\r\nTEL:111\r\n") << card("FN:Ann\r\n") << "TEL"
            << QStringList{"FN:Ann", "EMAIL:ann@example.com"} << QStringList{"TEL:111"};
        QTest::newRow("revision only")
            << card("FN:Ann\r\nREV:1\r\n") << card("FN:Ann\r\nREV:2\r\n") << ""
            << QStringList{"TEL:111", "X-OTHER:kept"} << QStringList();
        Q_UNUSED(current);
    }

    void shouldMergeOnlyWhatChanged()
    {
        QFETCH(QByteArray, base);
        QFETCH(QByteArray, ours);
        QFETCH(QString, changed);
        QFETCH(QStringList, merged);
        QFETCH(QStringList, gone);
        const QByteArray current = card("FN:Ann\r\nTEL:111\r\nEMAIL:ann@example.com\r\n"
                                        "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\nX-OTHER:kept\r\n");
        QCOMPARE(sorted(EdsContactConverter::changedProperties(base, ours)), changed);
        const QStringList lines = QString::fromUtf8(EdsContactConverter::merge(current, base, ours))
                                      .split(QStringLiteral("\r\n"));
        // A picture kept in the card stays, whatever order EDS writes its parameters in.
        const bool picture = std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
            return line.startsWith(QLatin1String("PHOTO;")) &&
                   line.endsWith(QLatin1String(":AAAA"));
        });
        for (const QString &line : merged)
            QVERIFY2(line == QLatin1String("PHOTO") ? picture : lines.contains(line),
                     qPrintable(line + QLatin1String(" missing from ") + lines.join(' ')));
        for (const QString &line : gone)
            QVERIFY2(!lines.contains(line), qPrintable(line + QLatin1String(" kept")));
    }

    void shouldWriteUidGiven()
    {
        QContact contact;
        QContactPhoneNumber number;
        number.setNumber(QStringLiteral("0401234567"));
        contact.saveDetail(&number);
        const QByteArray vcard = EdsContactConverter::toVCard(contact, QStringLiteral("new-uid"));
        QCOMPARE(EdsContactConverter::uidOf(vcard), QStringLiteral("new-uid"));
        QVERIFY(vcard.contains("TEL"));
    }
};

QTEST_GUILESS_MAIN(TestEdsContactConverter)
#include "tst_edscontactconverter.moc"
