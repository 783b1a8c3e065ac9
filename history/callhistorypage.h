#pragma once

#include "page.h"

class PlaceholderApplicationPage;

// The call history tab. Publishes whether the user is on it (the inbox property); the list of
// calls itself is not built yet, so the page shows its title only.
class CallHistoryPage : public Page
{
    Q_OBJECT
public:
    explicit CallHistoryPage(QObject *parent = nullptr);
    ~CallHistoryPage() override;

    // Clears the search; the other tabs ask for it on their next entry here.
    void resetSearch();
    void requestSearchReset() { m_searchResetPending = true; }
    bool isSearchResetPending() const { return m_searchResetPending; }

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;

private:
    PlaceholderApplicationPage *m_page;
    bool m_searchResetPending = false;
};
