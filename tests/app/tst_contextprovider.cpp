#include "callhistorycontextprovider.h"
#include "contextproperty.h"
#include "mapplication.h"
#include "mwindow.h"
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

    // A page switch sets the property and repaints the window: the bus hears of it once the
    // frame is painted, never before (and never later than a turn, or a short wait, when no
    // frame comes).
    void shouldAnnounceAfterTheScreenShowsTheChange_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("seen");
        QTest::newRow("no window") << "none"
                                   << "false"
                                   << "| false";
        QTest::newRow("window repainted") << "shown"
                                          << "false repaint"
                                          << "| paint false";
        QTest::newRow("change and undo, window repainted") << "shown"
                                                           << "false true repaint"
                                                           << "| paint false true";
        QTest::newRow("window not repainted") << "shown"
                                              << "false"
                                              << "| false";
        QTest::newRow("window hidden") << "hidden"
                                       << "false"
                                       << "| false";
    }
    void shouldAnnounceAfterTheScreenShowsTheChange()
    {
        QFETCH(QString, window);
        QFETCH(QString, steps);
        QFETCH(QString, seen);
        CallHistoryContextProvider *p = CallHistoryContextProvider::instance();
        p->setInbox(true);
        QTest::qWait(CallHistoryContextProvider::PaintWaitMs + 20);
        QScopedPointer<MWindow> shown;
        if (window != QLatin1String("none")) {
            shown.reset(new MWindow);
            shown->show();
            QVERIFY(QTest::qWaitForWindowExposed(shown.data()));
            QTest::qWait(20);
            if (window == QLatin1String("hidden"))
                shown->hide();
        }
        auto *property = p->findChild<ContextProvider::Property *>();
        QVERIFY(property);
        QStringList log;
        connect(property, &ContextProvider::Property::valueChanged, this,
                [&log](const QVariant &v) { log << v.toString(); });
        struct PaintLog : QObject
        {
            QStringList *log;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    *log << QStringLiteral("paint");
                return false;
            }
        } paints;
        paints.log = &log;
        if (shown)
            shown->viewport()->installEventFilter(&paints);
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("repaint"))
                shown->viewport()->update();
            else
                p->setInbox(step == QLatin1String("true"));
        }
        log << QStringLiteral("|");
        QTRY_VERIFY(log.size() >= seen.split(QLatin1Char(' ')).size());
        QTest::qWait(20);
        disconnect(property, nullptr, this, nullptr);
        QCOMPARE(log.join(QLatin1Char(' ')), seen);
    }

    // Runs last: the provider goes, with a change not yet announced.
    void shouldAnnounceAWaitingChangeWhenItGoes()
    {
        CallHistoryContextProvider *p = CallHistoryContextProvider::instance();
        p->setInbox(false);
        QTest::qWait(CallHistoryContextProvider::PaintWaitMs + 20);
        changes.clear();
        p->setInbox(true);
        delete p;
        QTRY_COMPARE(changes.join(QLatin1Char(' ')), QStringLiteral("true"));
    }
};

CH_TOUCH_TEST_MAIN(TestContextProvider)
#include "tst_contextprovider.moc"
