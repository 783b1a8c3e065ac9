#pragma once

#include "page.h"

#include <QModelIndex>
#include <QPointer>

class AccountSelector;
class MApplicationPage;
class MBanner;
namespace CommHistory {
class CallModel;
}
namespace Dialer {
class DialerWidget;
}

// The dialer tab: the keypad (Dialer::DialerWidget) with the program's account selector in an
// application page. It decides whether a typed number may be called on the chosen account
// (emergency numbers always; on the cellular account only valid numbers and service codes; on
// accounts that need it, numbers in international form), refuses the rest with a banner (one of
// each kind at a time), and fills the keypad with the last dialled phone number when the call
// key is pressed on an empty number. The number is cleared when the call it placed is answered
// (the call history is shown then), ends or completes, while the dialer is the current page.
// While the call it asked for is being set up (Page::isCallInFlight()) the call key places no
// other call; emergency numbers go out on the cellular account whatever account is chosen, and
// are held back by nothing but another emergency call being set up (Page::call()).
//
// Digits handed over by other programs are appended to what the keypad holds, keeping only
// dialable characters and at most MaxNumberLength of them, so that the user sees everything that
// would be called.
class DialerPage : public Page
{
    Q_OBJECT
public:
    // Longest number the dialer holds; longer input is cut here, never kept without bound.
    static const int MaxNumberLength;

    explicit DialerPage(QObject *parent = nullptr);
    ~DialerPage() override;

    QString number() const;
    void appendDigits(const QString &digits);
    Dialer::DialerWidget *dialerWidget() const { return m_dialer; }
    AccountSelector *accountSelector() const { return m_accountSelector; }
    // Whether a last-number lookup runs.
    bool isLookingUpLastNumber() const { return !m_lastCallModel.isNull(); }

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;

protected Q_SLOTS:
    void callAnswered() override;
    void callEnded() override;
    void commandCompleted() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void slotCallRequested(QString callee);
    void onAddMergeContactRequested(QString phoneNumber);
    void onRequestLastCalledPhoneNumber();
    void onLastCallModelReady();
    void onLastCallModelRowsInserted(QModelIndex parent, int start, int end);
    void onVoicemailChanged();

private:
    void updateBlockedState(bool active);
    bool isCurrent() const;
    void dropLastCallModel();

    MApplicationPage *m_page;
    QPointer<MBanner> m_internationalBanner;
    QPointer<MBanner> m_incorrectNumberBanner;
    Dialer::DialerWidget *m_dialer;
    AccountSelector *m_accountSelector;
    QPointer<CommHistory::CallModel> m_lastCallModel;
    bool m_blocked = false;
    int m_rowsSeen = 0;
};
