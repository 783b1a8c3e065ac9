#pragma once

#include <QObject>
#include <QString>

namespace Dialer {

// The dialer keypad's account chooser, as the keypad sees it: the program behind it announces
// which account a typed number goes out on (accountChanged, creditsChanged), says whether that
// is the cellular account, and opens its list of accounts when the keypad's account button is
// tapped. Abstract: the keypad holds no knowledge of accounts itself.
class DialerAccountSelector : public QObject
{
    Q_OBJECT
public:
    explicit DialerAccountSelector(QObject *parent = nullptr) : QObject(parent) {}

public Q_SLOTS:
    virtual bool isCellularSelected() = 0;
    virtual void showAccountList() = 0;

Q_SIGNALS:
    // The current account: whether it is the cellular one, whether the user has another to pick,
    // its service and account names, its credits text, a logo (icon id or image file) and a
    // background colour ("#rrggbb"); any of the texts may be empty.
    void accountChanged(bool isCellular, bool hasChoice, const QString &serviceName,
                        const QString &accountName, const QString &credits, const QString &logo,
                        const QString &backgroundColor);
    void creditsChanged(const QString &credits);
};

} // namespace Dialer
