// call-ui-dev-service: a call-UI service for development and tests (see devcalluiservice.h).
#include "buslifetime.h"
#include "busopener.h"
#include "devcalluiservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("call-ui-dev-service"));
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
    parser.addOption(answer);
    parser.addOption(end);
    parser.addOption(fail);
    parser.process(app);

    CallSchedule schedule;
    bool okA = false, okE = false;
    schedule.answerAfter = parser.value(answer).toInt(&okA);
    schedule.endAfter = parser.value(end).toInt(&okE);
    schedule.fail = parser.isSet(fail);
    if (!okA || !okE) {
        std::fprintf(stderr, "call-ui-dev-service: --answer-after and --end-after take a whole "
                             "number of milliseconds\n");
        return 2;
    }
    // Before anything else reaches for it (the store announces its changes on it).
    const QDBusConnection bus = BusOpener::session();
    DevCallUiService service(schedule);
    QString error;
    if (!service.openHistory(&error))
        std::fprintf(stderr, "call-ui-dev-service: calls will not be recorded: %s\n",
                     qPrintable(error));
    if (!service.registerOnBus(&error)) {
        std::fprintf(stderr, "call-ui-dev-service: %s\n", qPrintable(error));
        return 1;
    }
    CallUi::BusLifetime lifetime(bus);
    return app.exec();
}
