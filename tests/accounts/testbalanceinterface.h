#pragma once

#include <TelepathyQt/BaseConnection>
#include <TelepathyQt/Types>

// The Balance interface of a Telepathy connection for the tests' connection manager: the
// AccountBalance property and its BalanceChanged signal. It is its own adaptee (the generated
// adaptor reads the Qt property and relays the Qt signal).
class TestBalanceInterface : public Tp::AbstractConnectionInterface
{
    Q_OBJECT
    Q_PROPERTY(Tp::CurrencyAmount accountBalance READ accountBalance)
    Q_PROPERTY(QString manageCreditURI READ manageCreditURI)
public:
    explicit TestBalanceInterface(const Tp::CurrencyAmount &balance);

    Tp::CurrencyAmount accountBalance() const { return m_balance; }
    QString manageCreditURI() const { return QString(); }
    void setBalance(const Tp::CurrencyAmount &balance);

Q_SIGNALS:
    void balanceChanged(const Tp::CurrencyAmount &balance);

protected:
    void createAdaptor() override;

private:
    Tp::CurrencyAmount m_balance;
};

typedef Tp::SharedPtr<TestBalanceInterface> TestBalanceInterfacePtr;
