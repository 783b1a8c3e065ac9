#pragma once

#include "page.h"

class PlaceholderApplicationPage;

// The dialer tab. Holds the number handed to it (launch requests and bus calls append digits);
// the keypad itself is not built yet, so the page shows the number and nothing to press.
class DialerPage : public Page
{
    Q_OBJECT
public:
    // Longest number the dialer holds; longer input is cut here, never kept without bound.
    static const int MaxNumberLength = 256;

    explicit DialerPage(QObject *parent = nullptr);
    ~DialerPage() override;

    QString number() const { return m_number; }
    void appendDigits(const QString &digits);

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;

private:
    void setNumber(const QString &number);

    PlaceholderApplicationPage *m_page;
    QString m_number;
};
