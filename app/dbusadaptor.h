#pragma once

#include <QDBusAbstractAdaptor>

// The program's control interface on the session bus ("com.velto.telephony.callhistory" at
// "/callhistory"): other programs open the call history, the dialer (with a number), the
// contacts tab or the voicemail number picker. Every method is one-way. Any peer may call it:
// digits longer than a number (BusLimits::MaxAddressLength) are refused whole (the page and its
// number stay as they were).
class DBusAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.velto.telephony.callhistory")
public:
    explicit DBusAdaptor(QObject *application);

public Q_SLOTS:
    Q_NOREPLY void callHistory(bool force);
    Q_NOREPLY void callHistory();
    Q_NOREPLY void dialer(const QString &digits);
    Q_NOREPLY void dialer();
    Q_NOREPLY void contacts();
    Q_NOREPLY void voicemail();
};
