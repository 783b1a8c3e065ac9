#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMap>
#include <QObject>
#include <QStringList>

#include <functional>

namespace Cellular {

class ModemManagerObjects;

// The emergency numbers that the cellular modem accepts for this SIM and network.
//
// Where an oFono modem service ("org.ofono") answers on the given bus (the system bus by default),
// the list is the union of the "EmergencyNumbers" property of every modem's
// "org.ofono.VoiceCallManager", kept current through its PropertyChanged signal. Where
// ModemManager ("org.freedesktop.ModemManager1") answers on the same bus, the "EmergencyNumbers"
// of each modem's SIM ("org.freedesktop.ModemManager1.Sim", the modem's "Sim" property) count
// too, with 112 and 911, which ModemManager documents as emergency numbers beside the SIM's.
// Where no modem service answers, or it reports no numbers, the list is a built-in one: the
// numbers that 3GPP TS 22.101 makes callable without a SIM (112, 911, 000, 08, 110, 118, 119,
// 999).
//
// The modem is asked with asynchronous calls when the object is created and whenever the service
// appears or restarts; the object never waits for the bus. Until a modem's answer arrives its
// previous list (at first: the built-in one) serves, and numbersChanged() tells when the list
// changes. A call left unanswered ends after a time-out and leaves the list as it was. Answers to
// questions made before the service restarted are ignored. The service is never started by the
// question (no auto-start).
//
// Bounds on what a modem service hands over: at most 64 numbers of at most 32 characters per
// modem, lists of at most 32 modems, modem and SIM paths of at most
// BusLimits::MaxObjectPathLength characters; anything beyond is passed over.
class EmergencyNumbers : public QObject
{
    Q_OBJECT
public:
    explicit EmergencyNumbers(QObject *parent = nullptr);
    EmergencyNumbers(const QDBusConnection &bus, QObject *parent = nullptr);

    // The current list; never empty.
    QStringList numbers() const;
    // True when the list came from a modem service.
    bool fromModem() const { return !m_modemNumbers.isEmpty(); }

    static QStringList defaultNumbers();

Q_SIGNALS:
    void numbersChanged();

private Q_SLOTS:
    void onServiceOwnerChanged(const QString &service, const QString &oldOwner,
                               const QString &newOwner);
    void onVoiceCallPropertyChanged(const QString &name, const QDBusVariant &value,
                                    const QDBusMessage &message);
    void onModemManagerModem(const QString &modemPath);
    void onModemManagerModemRemoved(const QString &modemPath);
    void onSimPropertiesChanged(const QDBusMessage &message);

private:
    // Asks the service for its modems, then each modem for its list.
    void queryModems();
    void onModems(const QDBusMessage &reply);
    void queryModem(const QString &path);
    // Calls method asynchronously; onReply runs with the reply unless the service restarted since.
    void callAsync(const QString &path, const QString &interface, const QString &method,
                   const std::function<void(const QDBusMessage &)> &onReply);
    // Asks the SIM at simPath for the numbers of the ModemManager modem at modemPath.
    void querySim(const QString &modemPath, const QString &simPath);
    void setSimNumbers(const QString &modemPath, const QStringList &numbers);
    QStringList unionOfModems() const;
    void setModemNumbers(const QString &modemPath, const QStringList &numbers);
    void updateUnion();

    QDBusConnection m_bus;
    // By modem path; ModemManager's modems under their paths with a "mm:" prefix.
    QMap<QString, QStringList> m_perModem;
    ModemManagerObjects *m_modemManager = nullptr;
    // ModemManager modem path to the path of its SIM.
    QMap<QString, QString> m_sims;
    QStringList m_modemNumbers;
    // Counts the service's restarts; answers carry the count of their question.
    int m_generation = 0;
};

} // namespace Cellular
