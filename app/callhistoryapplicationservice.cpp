#include "callhistoryapplicationservice.h"

#include "informationbanner.h"
#include "pagemanager.h"
#include "teluri.h"

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
    else if (TelUri::isTelUri(first))
        showTelUri(first);
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

void CallHistoryApplicationService::showTelUri(const QString &uri)
{
    const QString number = TelUri::number(uri);
    PageManager::instance()->showDialer(number);
    if (number.isEmpty())
        showInformationBanner(qtTrId("qtn_call_link_not_number"));
}
