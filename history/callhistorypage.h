#pragma once

#include "page.h"

#include <QPointer>
#include <QRect>

class CallHistoryApplicationPage;
class CallHistoryFilterProxyModel;
class CallHistoryGroupedModel;
class CallHistoryItem;
class CallHistoryTitle;
class MLabel;
class MList;
class MPannableViewport;
class MWidget;
class QGraphicsLinearLayout;
class QModelIndex;
class QStringListModel;
class SearchTextEdit;

// The call history tab: the shared call model filtered by the search and grouped by day, in a
// list of rows under a header that chooses all, missed, received or dialled calls. It shows a
// loading, an empty or a list layout as the model reports; pulling the list down shows the
// search field, which an empty field's time-out hides again, never while a finger is down (the
// list would move under it); rows can be deleted one by one or all at once. While the user is
// on it, the inbox property is true.
class CallHistoryPage : public Page
{
    Q_OBJECT
public:
    enum ViewState { Loading = 0, Empty = 1, List = 2 };
    enum Choice { AllCalls = 0, MissedCalls = 1, ReceivedCalls = 2, DialledCalls = 3 };

    explicit CallHistoryPage(QObject *parent = nullptr);
    ~CallHistoryPage() override;

    void resetSearch();
    // The other tabs ask for a search reset on their next entry here.
    void requestSearchReset() { m_searchResetPending = true; }
    bool isSearchResetPending() const { return m_searchResetPending; }

    int viewState() const { return m_viewState; }
    int choice() const { return m_choice; }
    CallHistoryTitle *header() const { return m_header; }
    MList *list() const { return m_list; }
    MLabel *emptyLabel() const { return m_emptyLabel; }
    MLabel *noResultsLabel() const { return m_noResultsLabel; }
    SearchTextEdit *searchField() const { return m_search; }
    bool isSearchShown() const;
    CallHistoryFilterProxyModel *filterModel() const { return m_filterModel; }
    CallHistoryGroupedModel *groupedModel() const { return m_groupedModel; }
    MPannableViewport *viewport() const { return m_viewport; }

public Q_SLOTS:
    MApplicationPage *scenePage() override;
    void enterPage() override;
    void leavePage() override;
    void resetPage() override;
    void restorePrestart() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

protected Q_SLOTS:
    void callAnswered() override;
    void callEnded() override;
    void commandCompleted() override;

private Q_SLOTS:
    void fetchDataToModel();
    void onDataChanged();
    void slotOnWidgetCreated(CallHistoryItem *item);
    void onObjectMenuDeleteTriggered(CallHistoryItem *item);
    void onObjectMenuDeleteAllTriggered();
    void onDeleteAllDialogAccepted();
    void onTitleClicked();
    void onTitleListClicked(const QModelIndex &index);
    void onTitleListSelectionChanged(int choice);
    void slotListPannedUpFromTop();
    void onSearchHideRequest();
    void onVisibilityChanged();
    void onRowCountChanged();
    void onSearchTextChanged();
    void slotVkbAreaChanged(const QRect &area);

private:
    void layoutPage();
    void showSearch();
    void hideSearch();
    void scrollToFirstRow();
    void updateEmptyText();
    void updateTexts();
    void callFinishedElsewhere();
    void loadMoreIfNearEnd();
    // Empties the row cache and fills the rows on screen again from their calls.
    void refreshRows();

    CallHistoryApplicationPage *m_page;
    QGraphicsLinearLayout *m_central;
    CallHistoryTitle *m_header;
    MWidget *m_loading;
    MLabel *m_emptyLabel;
    MPannableViewport *m_viewport;
    QGraphicsLinearLayout *m_listLayout;
    MList *m_list;
    MLabel *m_noResultsLabel;
    QPointer<MWidget> m_spacer;
    SearchTextEdit *m_search;
    CallHistoryFilterProxyModel *m_filterModel;
    CallHistoryGroupedModel *m_groupedModel;
    QPointer<QStringListModel> m_choiceModel;
    int m_viewState = Loading;
    int m_choice = AllCalls;
    bool m_firstFetchPending = true;
    bool m_searchResetPending = false;
    // The field asked to hide while a finger was down: it hides when the finger is lifted.
    bool m_hideAfterRelease = false;
};
