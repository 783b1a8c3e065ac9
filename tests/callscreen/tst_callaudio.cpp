#include "callaudio.h"
#include "callscreen.h"
#include "callscreenbutton.h"
#include "callscreenpage.h"
#include "dbusmockprocess.h"
#include "mapplication.h"
#include "mbutton.h"
#include "mwindow.h"
#include "recordingbackend.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QtTest>

using Backend = CallScreenBackend;

namespace {
const QString Control = QStringLiteral("com.velto.Test.FakeCallAudio");
} // namespace

// The call's audio through callaudiod, and the call screen's use of it. callaudiod's SelectMode
// never answers without a sound card, so these run against a stand-in that answers as its
// interface file says (tests/support/fakecallaudio.py, python-dbusmock), not the daemon itself.
class TestCallAudio : public QObject
{
    Q_OBJECT
private:
    DBusMockProcess m_daemon{QStringLiteral(CH_FAKE_CALLAUDIO),
                             QStringLiteral("org.mobian_project.CallAudio"),
                             QStringLiteral("/org/mobian_project/CallAudio")};

    void tap(MWindow *window, QGraphicsWidget *w)
    {
        QVERIFY(w->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    QString calls(const QString &method) { return m_daemon.methodCalls(method).join(' '); }

private Q_SLOTS:
    void init() { QVERIFY(m_daemon.start()); }

    void cleanup() { m_daemon.stop(); }

    void shouldShowWhatTheDaemonReports_data()
    {
        QTest::addColumn<QString>("method"); // refused by the daemon, or none
        QTest::addColumn<bool>("muted");
        QTest::addColumn<bool>("speaker");
        QTest::newRow("both done") << "" << true << true;
        QTest::newRow("mute refused") << "MuteMic" << false << true;
        QTest::newRow("speaker refused") << "EnableSpeaker" << true << false;
    }
    void shouldShowWhatTheDaemonReports()
    {
        QFETCH(QString, method);
        QFETCH(bool, muted);
        QFETCH(bool, speaker);
        if (!method.isEmpty())
            m_daemon.call(Control, QStringLiteral("SetRefuse"), {method, true});
        CallAudio audio(QDBusConnection::sessionBus());
        QSignalSpy failed(&audio, &CallAudio::requestFailed);
        audio.refresh();
        QTRY_COMPARE(audio.mode(), int(CallAudio::DefaultMode));
        QVERIFY(!audio.isMuted());
        audio.setMuted(true);
        audio.setSpeaker(true);
        QTRY_COMPARE(calls(QStringLiteral("MuteMic")) + " " + calls("EnableSpeaker"),
                     QStringLiteral("true true"));
        QTRY_COMPARE(audio.isMuted(), muted);
        QTRY_COMPARE(audio.isSpeakerOn(), speaker);
        QTRY_COMPARE(failed.size(), method.isEmpty() ? 0 : 1);
        if (!method.isEmpty())
            QCOMPARE(failed.first().value(0).toString(), method);
    }

    void shouldGiveUpOnADaemonThatDoesNotAnswer()
    {
        CallAudio audio(QDBusConnection::sessionBus());
        audio.refresh();
        QTRY_COMPARE(audio.mode(), int(CallAudio::DefaultMode));
        audio.setTimeout(300);
        m_daemon.call(Control, QStringLiteral("SetDelay"), {QStringLiteral("SelectMode"), 3.0});
        QSignalSpy failed(&audio, &CallAudio::requestFailed);
        audio.selectMode(CallAudio::CallMode);
        QVERIFY(failed.wait(3000));
        QCOMPARE(failed.first().value(0).toString(), QStringLiteral("SelectMode"));
        QCOMPARE(failed.first().value(1).toString(),
                 QStringLiteral("org.freedesktop.DBus.Error.NoReply"));
    }

    // The screen: call mode while a call is placed or talked on, mute and speaker off on each
    // new call, buttons as the daemon says; and it never waits for the daemon.
    void shouldRouteTheAudioForTheCalls_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("states"); // after the first, then the end
        QTest::addColumn<QString>("modes");      // SelectMode's calls
        QTest::newRow("answered") << int(Backend::Incoming) << QStringList{"Ringing", "Active"}
                                  << "1 0";
        QTest::newRow("missed") << int(Backend::Incoming) << QStringList{"Ringing"} << "";
        QTest::newRow("placed") << int(Backend::Outgoing)
                                << QStringList{"Dialing", "Alerting", "Active"} << "1 0";
    }
    void shouldRouteTheAudioForTheCalls()
    {
        QFETCH(int, direction);
        QFETCH(QStringList, states);
        QFETCH(QString, modes);
        RecordingBackend backend;
        CallAudio audio(QDBusConnection::sessionBus());
        CallScreen screen(&backend);
        screen.setAudio(&audio);
        screen.setEndedDelay(0);
        const QMetaEnum meta = QMetaEnum::fromType<Backend::State>();
        Q_EMIT backend.callAdded(QStringLiteral("c1"), QStringLiteral("0401234567"),
                                 Backend::Direction(direction),
                                 Backend::State(meta.keyToValue(qPrintable(states.first()))));
        for (const QString &state : states.mid(1))
            Q_EMIT backend.callStateChanged(QStringLiteral("c1"),
                                            Backend::State(meta.keyToValue(qPrintable(state))));
        Q_EMIT backend.callEnded(QStringLiteral("c1"), Backend::Normal);
        QTRY_COMPARE(calls(QStringLiteral("SelectMode")), modes);
        QCOMPARE(calls(QStringLiteral("MuteMic")), QStringLiteral("false"));
        QCOMPARE(calls(QStringLiteral("EnableSpeaker")), QStringLiteral("false"));
    }

    void shouldShowTheDaemonsStateOnTheButtons()
    {
        RecordingBackend backend;
        CallAudio audio(QDBusConnection::sessionBus());
        CallScreen screen(&backend);
        screen.setAudio(&audio);
        // The mute button asks; the daemon refuses: it stays off. The speaker is switched on.
        m_daemon.call(Control, QStringLiteral("SetRefuse"), {QStringLiteral("MuteMic"), true});
        Q_EMIT backend.callAdded(QStringLiteral("c1"), QString(), Backend::Outgoing,
                                 Backend::Active);
        tap(screen.window(), screen.page()->muteButton()->button());
        tap(screen.window(), screen.page()->speakerButton()->button());
        QTRY_COMPARE(calls(QStringLiteral("EnableSpeaker")), QStringLiteral("false true"));
        QTRY_VERIFY(screen.page()->speakerButton()->isChecked());
        QCOMPARE(calls(QStringLiteral("MuteMic")), QStringLiteral("false true"));
        QVERIFY(!screen.page()->muteButton()->isChecked());
        // The next call starts with the speaker off again.
        Q_EMIT backend.callEnded(QStringLiteral("c1"), Backend::Normal);
        Q_EMIT backend.callAdded(QStringLiteral("c2"), QString(), Backend::Incoming,
                                 Backend::Ringing);
        QTRY_COMPARE(calls(QStringLiteral("EnableSpeaker")), QStringLiteral("false true false"));
        QTRY_VERIFY(!screen.page()->speakerButton()->isChecked());
    }

    void shouldAnswerWhileTheDaemonHangs()
    {
        RecordingBackend backend;
        CallAudio audio(QDBusConnection::sessionBus());
        audio.refresh();
        QTRY_COMPARE(audio.mode(), int(CallAudio::DefaultMode));
        CallScreen screen(&backend);
        screen.setAudio(&audio);
        m_daemon.call(Control, QStringLiteral("SetDelay"), {QStringLiteral("MuteMic"), 3.0});
        QSignalSpy answered(&audio, &CallAudio::stateChanged);
        QSignalSpy failed(&audio, &CallAudio::requestFailed);
        Q_EMIT backend.callAdded(QStringLiteral("c1"), QString(), Backend::Incoming,
                                 Backend::Ringing);
        tap(screen.window(), screen.page()->answerButton()->button());
        QTRY_COMPARE(backend.requests.join(' '), QStringLiteral("answer(c1)"));
        // The tap went through while the daemon still sat on the call's first request.
        QCOMPARE(answered.size() + failed.size(), 0);
    }
};

CH_TOUCH_TEST_MAIN(TestCallAudio)
#include "tst_callaudio.moc"
