#include "callhistoryapplicationservice.h"

#include "pagemanager.h"

CallHistoryApplicationService::CallHistoryApplicationService(const QString &serviceName,
                                                             QObject *parent)
    : MApplicationService(serviceName, parent)
{
}

void CallHistoryApplicationService::launch()
{
    PageManager::instance()->showDefault();
    PageManager::instance()->activateWindow();
    MApplicationService::launch();
}

void CallHistoryApplicationService::launch(const QStringList &parameters)
{
    PageManager *pm = PageManager::instance();
    const QString first = parameters.value(0);
    if (parameters.isEmpty())
        pm->showDefault();
    else if (first.compare(QLatin1String("contacts"), Qt::CaseInsensitive) == 0)
        pm->showContacts(false);
    else if (first.compare(QLatin1String("dialer"), Qt::CaseInsensitive) == 0)
        pm->showDialer(parameters.size() >= 2 ? parameters.at(1) : QString());
    else if (first.compare(QLatin1String("callhistory"), Qt::CaseInsensitive) == 0)
        pm->showCallHistory(true, false);
    else if (first.compare(QLatin1String("voicemail"), Qt::CaseInsensitive) == 0)
        pm->showVoicemailDetailPicker();
    else
        pm->showDefault();
    pm->activateWindow();
    MApplicationService::launch();
}
