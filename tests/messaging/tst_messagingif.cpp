#include "messagingif.h"
#include "uricatcher.h"

#include <QGuiApplication>
#include <QtTest>

namespace {
const QString Cellular = QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse");
const QString Sip = QStringLiteral("/org/freedesktop/Telepathy/Account/sofiasip/sip/office");

} // namespace

// Conversations are handed to the desktop as URIs; nothing is sent by the program itself.
class TestMessagingIf : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldWriteConversationUri_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<QString>("uri");
        QTest::newRow("cellular number with separators") << Cellular << "+358 (40) 123-4567"
                                                         << "sms:+358401234567";
        QTest::newRow("no account, service code keeps star and hash") << QString() << "*100#"
                                                                      << "sms:*100%23";
        QTest::newRow("sip address holding a number") << Sip << "sip:%2B358401234567@example.com"
                                                      << "sms:+358401234567";
        QTest::newRow("sip address") << Sip << "sip:alice@example.com"
                                     << "sip:alice@example.com";
        QTest::newRow("user name without scheme") << Sip << "alice"
                                                  << "";
        QTest::newRow("cellular account, letters") << Cellular << "alice"
                                                   << "";
        QTest::newRow("private number") << Cellular << ""
                                        << "";
        QTest::newRow("markup is no uri") << Sip << "<b>x</b>"
                                          << "";
        QTest::newRow("sips address") << Sip << "sips:alice@example.com"
                                      << "sips:alice@example.com";
        QTest::newRow("xmpp address") << Sip << "xmpp:alice@example.com"
                                      << "xmpp:alice@example.com";
        QTest::newRow("im address") << Sip << "im:alice@example.com"
                                    << "im:alice@example.com";
        QTest::newRow("scheme in capitals") << Sip << "XMPP:alice@example.com"
                                            << "xmpp:alice@example.com";
        QTest::newRow("file refused") << Sip << "file:///etc/passwd"
                                      << "";
        QTest::newRow("smb share refused") << Sip << "smb://evil.example.com/share"
                                           << "";
        QTest::newRow("web page refused") << Sip << "https://evil.example.com/"
                                          << "";
        QTest::newRow("application's own scheme refused") << Sip << "steam://run/1"
                                                          << "";
        QTest::newRow("file refused on cellular") << Cellular << "file:///etc/passwd"
                                                  << "";
    }

    void shouldWriteConversationUri()
    {
        QFETCH(QString, account);
        QFETCH(QString, remote);
        QFETCH(QString, uri);
        QCOMPARE(MessagingIf::conversationUri(account, remote), uri);
    }

    void shouldReportWhetherHandlerTookIt()
    {
        MessagingIf messaging;
        UriCatcher catcher({QStringLiteral("sms")});
        QVERIFY(messaging.startConversation(Cellular, QStringLiteral("0401234567")));
        QVERIFY(!messaging.startConversation(Cellular, QString()));
        QCOMPARE(catcher.uris.join(','), QStringLiteral("sms:0401234567"));
    }

    void shouldHandNothingButMessagingToHandlers()
    {
        MessagingIf messaging;
        UriCatcher catcher({"file", "smb", "https", "steam", "xmpp"});
        for (const char *remote : {"file:///etc/passwd", "smb://evil.example.com/share",
                                   "https://evil.example.com/", "steam://run/1"})
            QVERIFY(!messaging.startConversation(Sip, QString::fromLatin1(remote)));
        QVERIFY(messaging.startConversation(Sip, QStringLiteral("xmpp:alice@example.com")));
        QCOMPARE(catcher.uris.join(','), QStringLiteral("xmpp:alice@example.com"));
    }
};

QTEST_MAIN(TestMessagingIf)
#include "tst_messagingif.moc"
