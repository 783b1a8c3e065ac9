// call-ui-modem-service: the call-UI service of a phone, on ModemManager (see
// modemcalluiservice.h and README.md).
#include "blocklist.h"
#include "buslifetime.h"
#include "busopener.h"
#include "callaudio.h"
#include "callerfilter.h"
#include "callfeedback.h"
#include "callhistoryrecorder.h"
#include "calljournal.h"
#include "callscreen.h"
#include "callscreenapplication.h"
#include "calluiserviceadaptor.h"
#include "calluiservicenames.h"
#include "emergencynumbers.h"
#include "eventstore.h"
#include "missedcallnotifier.h"
#include "modemcallcontroladaptor.h"
#include "modemcalluiservice.h"
#include "modemmanagerobjects.h"
#include "terminationwatch.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <cstdio>
#include <memory>

namespace {
QDBusConnection modemBus(const QString &which)
{
    if (which == QLatin1String("system"))
        return BusOpener::system();
    if (which == QLatin1String("session"))
        return BusOpener::session();
    return QDBusConnection::connectToBus(which, QStringLiteral("call-ui-modem-bus"));
}
} // namespace

int main(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app(
        CallScreenApplication::create(argc, argv, QStringLiteral("call-ui-modem-service")));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Call-UI service on ModemManager: places and follows the modem's calls "
                       "and writes each into the call history."));
    parser.addHelpOption();
    const QCommandLineOption bus(
        QStringLiteral("modem-bus"),
        QStringLiteral("Where ModemManager is: system (default), session or a bus address."),
        QStringLiteral("BUS"), QStringLiteral("system"));
    const QCommandLineOption journal(
        QStringLiteral("journal"),
        QStringLiteral("File of the calls being followed (default: %1).")
            .arg(CallJournal::defaultPath()),
        QStringLiteral("FILE"), CallJournal::defaultPath());
    const QCommandLineOption retry(
        QStringLiteral("retry-delay"),
        QStringLiteral("Milliseconds before writes that failed (journal, history) are tried again "
                       "(default 1000); each later delay is twice as long, up to 256 times this."),
        QStringLiteral("MS"), QStringLiteral("1000"));
    parser.addOption(bus);
    parser.addOption(journal);
    parser.addOption(retry);
    parser.process(*app);
    bool retryOk = false;
    const int retryMs = parser.value(retry).toInt(&retryOk);
    if (!retryOk || retryMs < 1 || retryMs > 60000) {
        std::fprintf(stderr,
                     "call-ui-modem-service: --retry-delay takes 1 to 60000 milliseconds\n");
        return 2;
    }
    // Asked to end from now on (the bus name, taken below, tells others the service is up),
    // it ends in order.
    CallUi::TerminationWatch termination;
    // Before anything else reaches for it (the store announces its changes on it).
    QDBusConnection session = BusOpener::session();

    QString error;
    CommHistory::EventStore history;
    if (!history.open())
        std::fprintf(stderr, "call-ui-modem-service: the call history cannot be opened now: %s\n",
                     qPrintable(history.errorString()));
    CallJournal calls(parser.value(journal));
    if (!calls.load(&error))
        std::fprintf(stderr, "call-ui-modem-service: %s\n", qPrintable(error));

    const QDBusConnection modems = modemBus(parser.value(bus));
    if (!modems.isConnected())
        std::fprintf(stderr, "call-ui-modem-service: no bus to reach ModemManager on: %s\n",
                     qPrintable(modems.lastError().message()));
    Cellular::ModemManagerObjects objects(modems);
    Cellular::EmergencyNumbers emergency(modems);
    CallHistoryRecorder recorder(&history);
    ModemCallUiService service(&objects, &calls, &recorder, &emergency);
    service.setRetryDelay(retryMs);
    // The block list, followed in dconf: a change counts from the next call on.
    Blocking::BlockList blockList;
    CallerFilter filter(&blockList, &emergency, &history);
    service.setCallerFilter(&filter);
    new CallUi::ServiceAdaptor(&service, [&service](const QString &accountPath,
                                                    const QString &accountId, uint localContactId,
                                                    const QString &contactName, bool video) {
        return service.RequestCallToContact(accountPath, accountId, localContactId, contactName,
                                            video);
    });
    new ModemCallControlAdaptor(&service);
    // The screen is ready before the first call can ring; answering is only there.
    CallAudio audio(session);
    CallFeedback feedback(session, QStringLiteral("call-history"));
    std::unique_ptr<CallScreen> screen;
    if (CallScreenApplication::hasScreen()) {
        screen.reset(new CallScreen(&service));
        screen->setAudio(&audio);
        screen->setFeedback(&feedback);
    }
    MissedCallNotifier missed(session);
    QObject::connect(&missed, &MissedCallNotifier::callBackRequested, &service,
                     &ModemCallUiService::callBack);

    if (!session.isConnected() ||
        !session.registerObject(CallUi::objectPath(), &service, QDBusConnection::ExportAdaptors)) {
        std::fprintf(stderr, "call-ui-modem-service: cannot publish %s on the session bus\n",
                     qPrintable(CallUi::objectPath()));
        return 1;
    }
    if (!session.registerService(CallUi::serviceName())) {
        std::fprintf(stderr, "call-ui-modem-service: %s is already owned by another process\n",
                     qPrintable(CallUi::serviceName()));
        return 1;
    }
    // Calls still followed stay in the journal for the next start.
    CallUi::BusLifetime lifetime(session);
    return app->exec();
}
