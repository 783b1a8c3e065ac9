// call-ui-dev-service: a call-UI service for development and tests (see devcalluiservice.h).
#include "buslifetime.h"
#include "busopener.h"
#include "callaudio.h"
#include "callfeedback.h"
#include "callscreen.h"
#include "callscreenapplication.h"
#include "devcalluiservice.h"
#include "missedcallnotifier.h"
#include "terminationwatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app(
        CallScreenApplication::create(argc, argv, QStringLiteral("call-ui-dev-service")));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Development call-UI service: accepts call requests on the session bus "
                       "and plays each call out on a schedule."));
    parser.addHelpOption();
    const QCommandLineOption answer(QStringLiteral("answer-after"),
                                    QStringLiteral("Answer each call after MS milliseconds "
                                                   "(negative: never). Default 2000."),
                                    QStringLiteral("MS"), QStringLiteral("2000"));
    const QCommandLineOption end(QStringLiteral("end-after"),
                                 QStringLiteral("End each call after MS milliseconds "
                                                "(negative: never). Default 6000."),
                                 QStringLiteral("MS"), QStringLiteral("6000"));
    const QCommandLineOption fail(QStringLiteral("fail"), QStringLiteral("Refuse every call."));
    const QCommandLineOption ring(QStringLiteral("ring-for"),
                                  QStringLiteral("A call rung in rings MS milliseconds before "
                                                 "the caller gives up (negative: until answered "
                                                 "or declined). Default 30000."),
                                  QStringLiteral("MS"), QStringLiteral("30000"));
    parser.addOption(answer);
    parser.addOption(end);
    parser.addOption(fail);
    parser.addOption(ring);
    parser.process(*app);

    CallSchedule schedule;
    bool okA = false, okE = false, okR = false;
    schedule.answerAfter = parser.value(answer).toInt(&okA);
    schedule.endAfter = parser.value(end).toInt(&okE);
    schedule.fail = parser.isSet(fail);
    schedule.ringFor = parser.value(ring).toInt(&okR);
    if (!okA || !okE || !okR) {
        std::fprintf(stderr, "call-ui-dev-service: --answer-after, --end-after and --ring-for "
                             "take a whole number of milliseconds\n");
        return 2;
    }
    // Asked to end from now on (the bus name, taken below, tells others the service is up),
    // it ends in order.
    CallUi::TerminationWatch termination;
    // Before anything else reaches for it (the store announces its changes on it).
    const QDBusConnection bus = BusOpener::session();
    DevCallUiService service(schedule);
    QString error;
    if (!service.openHistory(&error))
        std::fprintf(stderr, "call-ui-dev-service: calls will not be recorded: %s\n",
                     qPrintable(error));
    // The screen is ready before the first call can come.
    CallAudio audio(bus);
    CallFeedback feedback(bus, QStringLiteral("call-history"));
    std::unique_ptr<CallScreen> screen;
    if (CallScreenApplication::hasScreen()) {
        screen.reset(new CallScreen(&service));
        screen->setAudio(&audio);
        screen->setFeedback(&feedback);
    }
    if (!service.registerOnBus(&error)) {
        std::fprintf(stderr, "call-ui-dev-service: %s\n", qPrintable(error));
        return 1;
    }
    // Missed calls are announced whether or not there is a screen.
    MissedCallNotifier missed(bus);
    QObject::connect(&missed, &MissedCallNotifier::callBackRequested, &service,
                     &DevCallUiService::callBack);
    CallUi::BusLifetime lifetime(bus);
    return app->exec();
}
