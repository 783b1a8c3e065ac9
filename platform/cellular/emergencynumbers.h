#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMap>
#include <QObject>
#include <QStringList>

namespace Cellular {

// The emergency numbers that the cellular modem accepts for this SIM and network.
//
// Where an oFono modem service ("org.ofono") answers on the given bus (the system bus by default),
// the list is the union of the "EmergencyNumbers" property of every modem's
// "org.ofono.VoiceCallManager", kept current through its PropertyChanged signal. Where no modem
// service answers, or it reports no numbers, the list is a built-in one: the numbers that
// 3GPP TS 22.101 makes callable without a SIM (112, 911, 000, 08, 110, 118, 119, 999).
//
// The modem is asked synchronously when the object is created and whenever the service appears,
// restarts or goes away, and only while the service name has an owner, so that an absent modem
// costs one bus round trip and no timeout.
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
    void onServiceOwnerChanged();
    void onVoiceCallPropertyChanged(const QString &name, const QDBusVariant &value,
                                    const QDBusMessage &message);

private:
    void queryModems();
    QStringList queryModemPaths();
    QStringList unionOfModems() const;
    void setModemNumbers(const QString &modemPath, const QStringList &numbers);

    QDBusConnection m_bus;
    QMap<QString, QStringList> m_perModem;
    QStringList m_modemNumbers;
};

} // namespace Cellular
