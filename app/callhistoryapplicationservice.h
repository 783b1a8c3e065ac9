#pragma once

#include "mapplicationservice.h"

// Turns launch requests (a start of the program while it runs, or a release from the
// prestarted state) into a page: "contacts", "dialer" [digits], "callhistory" or "voicemail" as
// the first parameter, in any letter case; a "tel:" URI (a link opened with the program) opens the
// dialer with its number, or the empty dialer and a banner when the link holds no number; anything
// else shows the default page. The window is activated in every case.
class CallHistoryApplicationService : public MApplicationService
{
    Q_OBJECT
public:
    explicit CallHistoryApplicationService(const QString &serviceName, QObject *parent = nullptr);

public Q_SLOTS:
    void launch() override;
    void launch(const QStringList &parameters) override;

private:
    void showTelUri(const QString &uri);
};
