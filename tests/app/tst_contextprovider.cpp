#include "callhistorycontextprovider.h"
#include "mapplication.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QtTest>

// The inbox property as another program sees it: changes arrive as PropertiesChanged.
class TestContextProvider : public QObject
{
    Q_OBJECT
public:
    QStringList changes;

public Q_SLOTS:
    void onChanged(const QString &, const QVariantMap &changed, const QStringList &)
    {
        if (!changed.value(QStringLiteral("IsSet")).toBool()) {
            changes << QStringLiteral("unset");
            return;
        }
        const QVariant v = changed.value(QStringLiteral("Value"));
        changes << (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
        QVERIFY(other.connect(QStringLiteral("com.velto.CallHistory.Context"),
                              QStringLiteral("/ContextProperty/CallHistory/Inbox"),
                              QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), this,
                              SLOT(onChanged(QString, QVariantMap, QStringList))));
        CallHistoryContextProvider::instance();
        QVERIFY(TestSupport::waitForBusName(QStringLiteral("com.velto.CallHistory.Context")));
    }

    void shouldPublishOnlyRealChanges()
    {
        CallHistoryContextProvider *p = CallHistoryContextProvider::instance();
        // Unset reads as false: the first false publishes nothing.
        p->setInbox(false);
        p->setInbox(true);
        p->setInbox(true);
        p->setInbox(false);
        p->setInbox(true);
        QTRY_COMPARE(changes.join(QLatin1Char(' ')), QStringLiteral("true false true"));
        QTest::qWait(100);
        QCOMPARE(changes.size(), 3);
    }
};

CH_TOUCH_TEST_MAIN(TestContextProvider)
#include "tst_contextprovider.moc"
