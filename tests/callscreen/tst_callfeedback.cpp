#include "callfeedback.h"
#include "callscreen.h"
#include "callscreenbutton.h"
#include "callscreenpage.h"
#include "mapplication.h"
#include "mbutton.h"
#include "mwindow.h"
#include "recordingbackend.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QtTest>

using Backend = CallScreenBackend;

// What feedbackd itself says: the ids of the feedbacks that ended (FeedbackEnded).
class FeedbackEndedListener : public QObject
{
    Q_OBJECT
public:
    QList<uint> ids;

    bool listen()
    {
        return QDBusConnection::sessionBus().connect(
            QStringLiteral("org.sigxcpu.Feedback"), QStringLiteral("/org/sigxcpu/Feedback"),
            QStringLiteral("org.sigxcpu.Feedback"), QStringLiteral("FeedbackEnded"), this,
            SLOT(onEnded(uint, uint)));
    }

public Q_SLOTS:
    void onEnded(uint id, uint) { ids << id; }
};

// The ring and the missed-call mark through feedbackd itself (Debian's feedbackd, started by the
// test's session bus on the first call, headless): each feedback started is ended by the daemon
// when the call stops ringing.
class TestCallFeedback : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldRingUntilTheCallIsTaken_data()
    {
        QTest::addColumn<QString>("end"); // what stops the ringing
        QTest::addColumn<QString>("events");
        QTest::newRow("answered") << "answer"
                                  << "phone-incoming-call";
        QTest::newRow("declined") << "decline"
                                  << "phone-incoming-call";
        QTest::newRow("missed") << "missed"
                                << "phone-incoming-call phone-missed-call";
        QTest::newRow("another call placed over it") << "placed"
                                                     << "phone-incoming-call";
    }
    void shouldRingUntilTheCallIsTaken()
    {
        QFETCH(QString, end);
        QFETCH(QString, events);
        RecordingBackend backend;
        CallFeedback feedback(QDBusConnection::sessionBus(), QStringLiteral("call-history"));
        QSignalSpy triggered(&feedback, &CallFeedback::triggered);
        QSignalSpy ended(&feedback, &CallFeedback::ended);
        QSignalSpy failed(&feedback, &CallFeedback::failed);
        FeedbackEndedListener daemon;
        QVERIFY(daemon.listen());
        CallScreen screen(&backend);
        screen.setFeedback(&feedback);
        screen.setEndedDelay(0);
        Q_EMIT backend.callAdded(QStringLiteral("c1"), QStringLiteral("0401234567"),
                                 Backend::Incoming, Backend::Ringing);
        QVERIFY(feedback.isRinging());
        // The daemon is started by the bus on the first call: give it the usual time.
        QTRY_VERIFY_WITH_TIMEOUT(triggered.size() == 1 || failed.size() > 0, 15000);
        QCOMPARE(failed.size(), 0);
        const uint id = triggered.first().value(1).toUInt();
        QVERIFY(id > 0);
        if (end == QLatin1String("answer")) {
            Q_EMIT backend.callStateChanged(QStringLiteral("c1"), Backend::Active);
        } else if (end == QLatin1String("decline")) {
            Q_EMIT backend.callEnded(QStringLiteral("c1"), Backend::Declined);
        } else if (end == QLatin1String("missed")) {
            Q_EMIT backend.callEnded(QStringLiteral("c1"), Backend::Missed);
        } else {
            Q_EMIT backend.callAdded(QStringLiteral("c2"), QStringLiteral("0509876543"),
                                     Backend::Outgoing, Backend::Dialing);
        }
        QVERIFY(!feedback.isRinging());
        QTRY_VERIFY(ended.contains({QVariant(id)}));
        QTRY_VERIFY(daemon.ids.contains(id));
        QTRY_COMPARE(triggered.size(), events.count(QLatin1Char(' ')) + 1);
        QStringList seen;
        for (const QList<QVariant> &t : triggered)
            seen << t.value(0).toString();
        QCOMPARE(seen.join(' '), events);
        QCOMPARE(failed.size(), 0);
    }

    void shouldEndARingStoppedBeforeTheDaemonAnswered()
    {
        CallFeedback feedback(QDBusConnection::sessionBus(), QStringLiteral("call-history"));
        QSignalSpy triggered(&feedback, &CallFeedback::triggered);
        QSignalSpy ended(&feedback, &CallFeedback::ended);
        FeedbackEndedListener daemon;
        QVERIFY(daemon.listen());
        feedback.startRinging();
        feedback.stopRinging();
        QTRY_VERIFY_WITH_TIMEOUT(triggered.size() == 1, 15000);
        const uint id = triggered.first().value(1).toUInt();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended.first().value(0).toUInt(), id);
        QTRY_VERIFY(daemon.ids.contains(id));
    }
};

CH_TOUCH_TEST_MAIN(TestCallFeedback)
#include "tst_callfeedback.moc"
