#include "callhistorypage.h"

#include "busopener.h"
#include "callhistoryapplicationpage.h"
#include "callhistorycache.h"
#include "callhistorycontextprovider.h"
#include "callhistorydialogmanager.h"
#include "callhistoryfilterproxymodel.h"
#include "callhistorygroupedmodel.h"
#include "callhistoryitem.h"
#include "callhistoryitemcreator.h"
#include "callhistorytitle.h"
#include "callhistoryvoicemail.h"
#include "callmodel.h"
#include "contactpickerpage.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mcellcreator.h"
#include "minputmethodstate.h"
#include "mlabel.h"
#include "mlist.h"
#include "mlistfilter.h"
#include "mmessagebox.h"
#include "modelmanager.h"
#include "mpannableviewport.h"
#include "mpopuplist.h"
#include "msinglelinetext.h"
#include "mtextedit.h"
#include "pagemanager.h"
#include "searchtextedit.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGraphicsLinearLayout>
#include <QGraphicsScene>
#include <QStringListModel>
#include <QTimer>

namespace {
struct ChoiceRow
{
    const char *header;
    const char *empty;
    int sorting;
    int callType;
};
// What each call-type choice shows and asks of the store.
const ChoiceRow Choices[] = {
    {"qtn_call_sort_by_contact", "qtn_call_empty_view", 0, 0},
    {"qtn_call_log_vm_missed", "qtn_call_view_no_missed_calls", 1, 2},
    {"qtn_call_log_vm_received", "qtn_call_view_no_received_calls", 1, 3},
    {"qtn_call_log_vm_dialled", "qtn_call_view_no_dialed_calls", 1, 1},
};
// How close to the end of the loaded rows the view may come before more are loaded.
const qreal LoadAheadScreens = 6;

// The header texts of the choices, in choice order.
QStringList choiceTexts()
{
    QStringList texts;
    for (const ChoiceRow &row : Choices)
        texts << qtTrId(row.header);
    return texts;
}

MLabel *makeEmptyStateLabel(QGraphicsItem *parent)
{
    auto *label = new MLabel(parent);
    // Hidden until its state comes: it is measured in its look when it is shown, not before.
    label->hide();
    label->setStyleName(QStringLiteral("CommonEmptyStateTitle"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    return label;
}

void removeFromLayout(QGraphicsLinearLayout *layout, QGraphicsLayoutItem *item)
{
    for (int i = 0; i < layout->count(); ++i) {
        if (layout->itemAt(i) == item) {
            layout->removeAt(i);
            return;
        }
    }
}

int indexInLayout(QGraphicsLinearLayout *layout, QGraphicsLayoutItem *item)
{
    for (int i = 0; i < layout->count(); ++i) {
        if (layout->itemAt(i) == item)
            return i;
    }
    return -1;
}
} // namespace

CallHistoryPage::CallHistoryPage(QObject *parent)
    : Page(parent), m_page(new CallHistoryApplicationPage), m_header(new CallHistoryTitle),
      // Every part belongs to the scene page from the start, so that whatever the page never
      // showed goes with it.
      m_loading(new MWidget(m_page->centralWidget())),
      m_emptyLabel(makeEmptyStateLabel(m_page->centralWidget())),
      m_viewport(new MPannableViewport(m_page->centralWidget())),
      m_listLayout(new QGraphicsLinearLayout(Qt::Vertical)), m_list(new MList),
      m_noResultsLabel(makeEmptyStateLabel(nullptr))
{
    // 1. The scene page.
    m_page->setTitle(QStringLiteral("call-history"));
    m_page->setPannable(false);

    // 2. The central layout: the header first, then the part for the current state.
    QGraphicsWidget *central = m_page->centralWidget();
    m_central = new QGraphicsLinearLayout(Qt::Vertical, central);
    m_central->setContentsMargins(0, 0, 0, 0);
    m_central->setSpacing(0);
    m_header->setStyleName(QStringLiteral("CommonHeaderPanel"));
    m_central->addItem(m_header);
    connect(m_header, SIGNAL(clicked()), this, SLOT(onTitleClicked()), Qt::QueuedConnection);
    m_loading->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    m_loading->hide();
    m_emptyLabel->hide();
    m_viewport->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    m_viewport->hide();
    auto *listArea = new QGraphicsWidget;
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setSpacing(0);
    listArea->setLayout(m_listLayout);
    m_viewport->setWidget(listArea);
    m_list->setStyleName(QStringLiteral("CallHistoryList"));
    m_list->setShowGroups(true);
    m_listLayout->addItem(m_list);
    m_noResultsLabel->setParentItem(listArea);
    m_noResultsLabel->hide();

    // 3. Every change of the shared model, after the event that caused it.
    ModelManager *models = ModelManager::instance();
    connect(models, SIGNAL(modelChanged()), this, SLOT(onDataChanged()), Qt::QueuedConnection);
    // The page's own texts follow a change of language at once.
    connect(m_page, &MApplicationPage::languageChanged, this, [this]() {
        updateTexts();
        if (m_viewState == Empty)
            updateEmptyText();
        if (m_choiceModel)
            m_choiceModel->setStringList(choiceTexts());
    });

    // 4. The search filter on the shared model.
    m_filterModel = new CallHistoryFilterProxyModel(models->model());
    m_filterModel->setDynamicSortFilter(true);
    const auto unique = Qt::ConnectionType(Qt::AutoConnection | Qt::UniqueConnection);
    connect(m_filterModel, SIGNAL(rowsRemoved(QModelIndex, int, int)), this,
            SLOT(onRowCountChanged()), unique);
    connect(m_filterModel, SIGNAL(rowsInserted(QModelIndex, int, int)), this,
            SLOT(onRowCountChanged()), unique);
    connect(m_filterModel, SIGNAL(layoutChanged()), this, SLOT(onRowCountChanged()), unique);
    connect(m_filterModel, SIGNAL(modelReset()), this, SLOT(onRowCountChanged()), unique);

    // 5. Day groups on the filter, and the rows.
    m_groupedModel = new CallHistoryGroupedModel(m_filterModel, nullptr);
    m_list->setItemModel(m_groupedModel);
    auto *creator = new CallHistoryItemCreator(m_list, m_filterModel);
    connect(creator, SIGNAL(widgetCreated(CallHistoryItem *)), this,
            SLOT(slotOnWidgetCreated(CallHistoryItem *)));
    m_list->setCellCreator(creator);

    // 6. The list's search: pulled down from the top, typed into the field.
    MListFilter *filtering = m_list->filtering();
    filtering->setEnabled(true);
    filtering->setFilterMode(2);
    m_search = new SearchTextEdit(filtering->editor(), central);
    m_search->hide();
    connect(m_search, SIGNAL(hideRequest()), this, SLOT(onSearchHideRequest()));
    connect(filtering->editor(), SIGNAL(textChanged()), this, SLOT(onSearchTextChanged()));
    connect(filtering, SIGNAL(listPannedUpFromTop()), this, SLOT(slotListPannedUpFromTop()));

    // 7. The row cache pauses while the list moves.
    CallHistoryCache::instance()->watchList(m_list);
    // More stored calls are loaded as the view nears the end of those loaded.
    connect(m_viewport, &MPannableWidget::positionChanged, this,
            &CallHistoryPage::loadMoreIfNearEnd);

    // Calls to a number that becomes, or stops being, a voicemail number are renamed at once.
    connect(CallHistoryVoicemail::instance(), &CallHistoryVoicemail::voicemailChanged, this,
            &CallHistoryPage::refreshRows);

    // 8, 9.
    layoutPage();
    CallHistoryContextProvider::instance()->setInbox(false);

    // 10. Whether the user can see the page.
    if (MApplicationWindow *window = MApplication::activeApplicationWindow()) {
        connect(window, SIGNAL(displayEntered()), this, SLOT(onVisibilityChanged()));
        connect(window, SIGNAL(displayExited()), this, SLOT(onVisibilityChanged()));
        connect(window, SIGNAL(switcherEntered()), this, SLOT(onVisibilityChanged()));
        connect(window, SIGNAL(switcherExited()), this, SLOT(onVisibilityChanged()));
    }

    // 11. The space the virtual keyboard leaves for the no-results text.
    m_spacer = new MWidget(listArea);
    m_spacer->setMinimumHeight(0);
    m_spacer->setMaximumHeight(0);
    m_spacer->hide();
    connect(MInputMethodState::instance(), SIGNAL(inputMethodAreaChanged(QRect)), this,
            SLOT(slotVkbAreaChanged(QRect)), Qt::QueuedConnection);

    // 12.
    QTimer::singleShot(0, this, SLOT(fetchDataToModel()));
}

CallHistoryPage::~CallHistoryPage()
{
    // The list's rows refer to the models: take the page down first.
    delete m_page;
    delete m_groupedModel;
    delete m_filterModel;
}

MApplicationPage *CallHistoryPage::scenePage()
{
    return m_page;
}

void CallHistoryPage::enterPage()
{
    CallHistoryContextProvider::instance()->setInbox(true);
    if (m_searchResetPending)
        resetSearch();
}

void CallHistoryPage::leavePage()
{
    CallHistoryContextProvider::instance()->setInbox(false);
    if (ContactPickerPage *contacts = PageManager::instance()->contactPickerPage())
        contacts->setFilter(m_search->editor()->text());
}

void CallHistoryPage::resetPage()
{
    resetSearch();
    m_viewport->setPosition(QPointF(0, 0));
    // Back at the top: the rows that a long scroll or a search loaded are read again if needed,
    // and the search filter lets go of what it kept for them.
    if (ModelManager::instance()->releaseUnusedRows()) {
        m_filterModel->releaseUnusedMemory();
        MSingleLineText::forgetSharedLines();
    }
    if (m_choice != AllCalls) {
        m_choice = AllCalls;
        updateTexts();
        fetchDataToModel();
    }
}

void CallHistoryPage::restorePrestart()
{
    CallHistoryDialogManager::instance()->dismissAll();
    resetPage();
}

void CallHistoryPage::callFinishedElsewhere()
{
    if (!m_page || m_page->isOnDisplay())
        return;
    m_search->editor()->setText(QString());
    ContactPickerPage *contacts = PageManager::instance()->contactPickerPage();
    if (contacts)
        contacts->setFilter(QString());
    scrollToFirstRow();
    if (contacts)
        contacts->scrollToTop();
    onTitleListSelectionChanged(AllCalls);
}

void CallHistoryPage::callAnswered()
{
    callFinishedElsewhere();
}

void CallHistoryPage::commandCompleted()
{
    callFinishedElsewhere();
}

void CallHistoryPage::callEnded()
{
    if (m_page && !m_page->isOnDisplay() && m_choice == AllCalls)
        scrollToFirstRow();
}

void CallHistoryPage::resetSearch()
{
    m_searchResetPending = false;
    m_search->editor()->setText(QString());
    if (ContactPickerPage *contacts = PageManager::instance()->contactPickerPage())
        contacts->setFilter(QString());
    m_search->clearText();
    hideSearch();
    scrollToFirstRow();
}

void CallHistoryPage::scrollToFirstRow()
{
    m_list->flush();
    const QModelIndex firstGroup = m_groupedModel->index(0, 0);
    const QModelIndex first = m_groupedModel->index(0, 0, firstGroup);
    if (first.isValid())
        m_list->scrollTo(first, MList::EnsureVisible);
    m_viewport->setPosition(QPointF(0, 0));
}

void CallHistoryPage::updateTexts()
{
    m_header->setText(qtTrId(Choices[m_choice].header));
    // No rows under a search means nothing matched, not that there are no calls.
    const bool searching = !m_search->editor()->text().trimmed().isEmpty();
    m_noResultsLabel->setText(
        qtTrId(searching ? "qtn_call_no_matching_calls" : Choices[m_choice].empty));
}

void CallHistoryPage::updateEmptyText()
{
    // A history that cannot be read is not an empty one: "no calls" would tell the user that
    // the calls are gone. The store may fail after the page showed it empty.
    const bool unreadable = ModelManager::instance()->model()->hasError();
    m_emptyLabel->setText(
        qtTrId(unreadable ? "qtn_call_history_unreadable" : Choices[m_choice].empty));
}

void CallHistoryPage::fetchDataToModel()
{
    const ChoiceRow &row = Choices[m_choice];
    m_viewState = Loading;
    layoutPage();
    CommHistory::CallModel *model = ModelManager::instance()->model();
    // Start-up may have begun the first load already, with this very filter, while the window
    // was being built: setting the filter again would load again.
    const bool loadingThis = m_firstFetchPending && model->isStarted() &&
                             model->sorting() == row.sorting && model->callType() == row.callType;
    if (!loadingThis)
        model->setFilter(row.sorting, row.callType, QDateTime());
    if (m_firstFetchPending) {
        if (!loadingThis)
            model->getEvents();
        m_firstFetchPending = false;
    }
}

void CallHistoryPage::onDataChanged()
{
    updateTexts();
    const bool empty = ModelManager::instance()->isEmpty();
    if (!empty && m_viewState != List) {
        m_viewState = List;
        layoutPage();
    } else if (empty) {
        updateEmptyText();
        if (m_viewState != Empty) {
            m_viewState = Empty;
            layoutPage();
        }
    }
}

void CallHistoryPage::layoutPage()
{
    hideSearch();
    while (m_central->count() > 1) {
        QGraphicsLayoutItem *item = m_central->itemAt(1);
        m_central->removeAt(1);
        if (item->graphicsItem())
            item->graphicsItem()->hide();
    }
    switch (m_viewState) {
    case Empty:
        m_central->addItem(m_emptyLabel);
        m_emptyLabel->show();
        m_header->setBusy(false);
        break;
    case Loading:
        m_central->addItem(m_loading);
        m_loading->show();
        m_header->setBusy(true);
        break;
    default:
        m_central->addItem(m_viewport);
        m_viewport->show();
        m_header->setBusy(false);
        if (!m_search->editor()->text().isEmpty())
            showSearch();
        onRowCountChanged();
        break;
    }
}

void CallHistoryPage::onRowCountChanged()
{
    if (m_viewState != List)
        return;
    const bool hasRows = m_filterModel->rowCount() > 0;
    const int labelAt = indexInLayout(m_listLayout, m_noResultsLabel);
    const int listAt = indexInLayout(m_listLayout, m_list);
    if (hasRows && (labelAt == 0 || labelAt == 1)) {
        m_listLayout->removeAt(labelAt);
        m_listLayout->insertItem(labelAt, m_list);
        m_list->show();
        m_noResultsLabel->hide();
        if (m_spacer) {
            removeFromLayout(m_listLayout, m_spacer);
            m_spacer->hide();
        }
    } else if (!hasRows && (listAt == 0 || listAt == 1)) {
        m_listLayout->removeAt(listAt);
        m_list->hide();
        m_listLayout->insertItem(listAt, m_noResultsLabel);
        m_noResultsLabel->show();
        if (m_spacer) {
            slotVkbAreaChanged(MInputMethodState::instance()->inputMethodArea());
            m_listLayout->insertItem(3, m_spacer);
            m_listLayout->setAlignment(m_spacer, Qt::AlignBottom | Qt::AlignHCenter);
            m_spacer->show();
        }
    }
}

void CallHistoryPage::slotVkbAreaChanged(const QRect &area)
{
    if (!m_spacer)
        return;
    const int h = area.height();
    const qreal height = h > 0 ? (h + m_search->size().height()) * 0.5 : 0;
    m_spacer->setMinimumHeight(height);
    m_spacer->setMaximumHeight(height);
}

void CallHistoryPage::slotOnWidgetCreated(CallHistoryItem *item)
{
    const auto unique = Qt::ConnectionType(Qt::AutoConnection | Qt::UniqueConnection);
    connect(item, SIGNAL(objectMenuDeleteTriggered(CallHistoryItem *)), this,
            SLOT(onObjectMenuDeleteTriggered(CallHistoryItem *)), unique);
    connect(item, SIGNAL(objectMenuDeleteAllTriggered()), this,
            SLOT(onObjectMenuDeleteAllTriggered()), unique);
}

void CallHistoryPage::onObjectMenuDeleteTriggered(CallHistoryItem *item)
{
    // The call the menu was opened for: the row may show another one by now.
    m_groupedModel->removeEvent(item->menuCall().eventId);
}

void CallHistoryPage::onObjectMenuDeleteAllTriggered()
{
    CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
    if (dialogs->hasDialogs())
        return;
    auto *box = new MMessageBox(qtTrId("qtn_call_conf_clear_history"), QString(),
                                MDialog::Yes | MDialog::No);
    dialogs->addDialog(box);
    connect(box, SIGNAL(accepted()), this, SLOT(onDeleteAllDialogAccepted()), Qt::QueuedConnection);
    box->appear(MSceneWindow::DestroyWhenDone);
}

void CallHistoryPage::onDeleteAllDialogAccepted()
{
    m_viewState = Loading;
    layoutPage();
    ModelManager::instance()->model()->deleteAll();
    // The cellular side forgets the last dialled number too, so redial finds nothing.
    QDBusMessage clear = QDBusMessage::createMethodCall(
        QStringLiteral("com.velto.csd.Call"), QStringLiteral("/com/velto/csd/call"),
        QStringLiteral("com.velto.csd.Call"), QStringLiteral("SetLastNumber"));
    clear << QString();
    BusOpener::system().call(clear, QDBus::NoBlock);
}

void CallHistoryPage::onTitleClicked()
{
    CallHistoryDialogManager *dialogs = CallHistoryDialogManager::instance();
    if (dialogs->hasDialogs() || m_viewState == Loading)
        return;
    if (!m_choiceModel)
        m_choiceModel = new QStringListModel(choiceTexts(), this);
    auto *popup = new MPopupList;
    popup->setTitle(qtTrId("qtn_call_log_vm_grouping"));
    popup->setItemModel(m_choiceModel);
    popup->setCurrentIndex(m_choiceModel->index(m_choice, 0));
    dialogs->addDialog(popup);
    connect(popup, SIGNAL(clicked(QModelIndex)), this, SLOT(onTitleListClicked(QModelIndex)));
    popup->appear(MSceneWindow::DestroyWhenDone);
}

void CallHistoryPage::onTitleListClicked(const QModelIndex &index)
{
    if (index.row() != m_choice)
        onTitleListSelectionChanged(index.row());
}

void CallHistoryPage::onTitleListSelectionChanged(int choice)
{
    if (choice == m_choice || choice < AllCalls || choice > DialledCalls)
        return;
    m_choice = choice;
    updateTexts();
    QTimer::singleShot(0, this, SLOT(fetchDataToModel()));
}

bool CallHistoryPage::isSearchShown() const
{
    return indexInLayout(m_listLayout, m_search) == 0;
}

void CallHistoryPage::slotListPannedUpFromTop()
{
    if (m_viewState != List)
        return;
    m_page->watchItem(m_viewport);
    showSearch();
}

void CallHistoryPage::showSearch()
{
    if (isSearchShown())
        return;
    m_listLayout->insertItem(0, m_search);
    m_search->setSearchVisible(true);
}

void CallHistoryPage::hideSearch()
{
    if (!isSearchShown())
        return;
    m_list->setFocus(Qt::OtherFocusReason);
    m_search->setSearchVisible(false);
    m_listLayout->removeAt(0);
}

void CallHistoryPage::onSearchHideRequest()
{
    QGraphicsScene *scene = m_page->scene();
    if (scene && scene->mouseGrabberItem()) {
        // Hiding the field moves the list up under the finger: a tap would land on another row.
        if (!m_hideAfterRelease)
            scene->installEventFilter(this);
        m_hideAfterRelease = true;
        return;
    }
    hideSearch();
}

bool CallHistoryPage::eventFilter(QObject *watched, QEvent *event)
{
    if (m_hideAfterRelease && event->type() == QEvent::GraphicsSceneMouseRelease) {
        watched->removeEventFilter(this);
        m_hideAfterRelease = false;
        // Once the release has reached the list; by then the field may be in use again.
        QTimer::singleShot(0, this, [this]() {
            MTextEdit *editor = m_search->editor();
            if (editor->text().trimmed().isEmpty() && !editor->hasEditorFocus())
                hideSearch();
        });
    }
    return Page::eventFilter(watched, event);
}

void CallHistoryPage::onSearchTextChanged()
{
    m_filterModel->setFilterText(m_search->editor()->text());
    updateTexts();
}

void CallHistoryPage::onVisibilityChanged()
{
    PageManager *pages = PageManager::instance();
    if (pages->currentPageType() != PageManager::CallHistory)
        return;
    MApplicationWindow *window = pages->window();
    if (window && window->isOnDisplay() && !window->isMinimized())
        enterPage();
    else
        leavePage();
}

void CallHistoryPage::refreshRows()
{
    CallHistoryCache::instance()->clear();
    MCellCreator *creator = m_list->cellCreator();
    const QList<MWidget *> cells = m_list->visibleCells();
    for (MWidget *cell : cells)
        creator->updateCell(m_list->indexForCell(cell), cell);
}

void CallHistoryPage::loadMoreIfNearEnd()
{
    CommHistory::CallModel *model = ModelManager::instance()->model();
    const qreal remaining = m_viewport->panRange().height() - m_viewport->position().y();
    if (remaining < m_viewport->size().height() * LoadAheadScreens &&
        model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
}
