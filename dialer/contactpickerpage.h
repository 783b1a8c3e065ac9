#pragma once

#include "page.h"

class PlaceholderApplicationPage;

// The contacts tab. Keeps the filter text other pages hand it; the contact picker itself is
// not built yet, so the page shows its title only.
class ContactPickerPage : public Page
{
    Q_OBJECT
public:
    explicit ContactPickerPage(QObject *parent = nullptr);
    ~ContactPickerPage() override;

    QString filter() const { return m_filter; }
    void setFilter(const QString &text);
    void scrollToTop();
    void showVoicemailDetails();

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;

private:
    PlaceholderApplicationPage *m_page;
    QString m_filter;
};
