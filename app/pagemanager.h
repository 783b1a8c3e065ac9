#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSharedPointer>

#include <QtContacts/QContact>

#include "contactsengine.h"

class CallHistoryPage;
class ContactEditorHandle;
class ContactsInterface;
class ContactPickerPage;
class DialerPage;
class MAction;
class MApplicationWindow;
class MGConfItem;
class Page;
class QAction;

// Owns the main window's content: the three pages (call history, dialer, contacts) and the
// toolbar tabs that switch between them. Decides which page is shown on launch requests, bus
// calls, tab taps and prestart release/restore, and keeps the last page shown as the default
// for the next start (dconf key "/apps/call-history/settings/defaultPage", written only on
// return to the prestarted state and at quit).
//
// It also opens the contacts application's sheets for the program: a contact's card (whose
// calls go through the call history page), the editor of a new contact and the merge picker,
// holding the handle of the editor or picker until it finishes or the next page switch
// dismisses it.
class PageManager : public QObject
{
    Q_OBJECT
public:
    enum PageType { None = 0, CallHistory = 1, Dialer = 2, Contacts = 3 };
    // Which pages setWindow() makes at once: all three, or the call history alone, the others
    // being made by completePages() (start-up calls it after the first frame) or by the first
    // operation that needs them (showing the dialer or the contacts, a launch, a bus call).
    enum PageSet { AllPages, CallHistoryFirst };

    static PageManager *instance();

    void setWindow(MApplicationWindow *window, PageSet pages = AllPages);
    // Makes the pages setWindow() left for later, if any; then the manager is as if it had made
    // them at once (the dialer page left as the first page switch leaves it).
    void completePages();
    // While prestarted and before any page was shown: puts the call history, when it is the
    // default page, into the hidden window, so that it lays itself and its rows out in the
    // background and a launch has only to show the window. The manager's state is left as it is
    // (the launch still enters the page); other default pages are made ready by the launch.
    void prepareDefaultPage();
    // Hands over pages made elsewhere (before setWindow, which then makes none); the manager
    // owns them from here on. Lets tests watch what the manager asks of its pages.
    void setPages(CallHistoryPage *callHistory, DialerPage *dialer, ContactPickerPage *contacts);
    void activateWindow();

    int currentPageType() const { return m_currentType; }
    QString currentPageName() const { return m_currentName; }
    MApplicationWindow *window() const { return m_window; }
    CallHistoryPage *callHistoryPage() const { return m_callHistoryPage; }
    // The dialer and contacts pages; null while left for later (see PageSet).
    DialerPage *dialerPage() const { return m_dialerPage; }
    ContactPickerPage *contactPickerPage() const { return m_contactPickerPage; }
    QList<QAction *> toolbarActions() const { return m_actions; }

    void openContactCard(QContactLocalId contactId);
    void editContact(const QtContacts::QContact &contact);
    void mergeContact(const QtContacts::QContact &contact);
    // The editor or merge picker now held (null when none).
    ContactEditorHandle *contactEditor() const;
    ContactsInterface *contactsInterface() const;

public Q_SLOTS:
    void showCallHistory(bool force, bool clear);
    void showCallHistory(bool force);
    void showCallHistory();
    void showDialer(QString digits);
    void showDialer();
    void showContacts(bool clear);
    void showContacts();
    void showVoicemailDetailPicker();
    void showDefault();

private Q_SLOTS:
    void onPrestartReleased();
    void onPrestartRestored();
    void onGConfDefaultPageChanged();
    void onContactCardFinished();
    void onModelChanged();
    void onAboutToQuit();

private:
    explicit PageManager(QObject *parent);

    void createToolbar();
    // The steps every show operation shares, up to the page switch.
    void prepareShow(PageType type, const QString &name);
    // The steps after the page-specific one.
    void finishShow(PageType type);
    void dismissForeignWindows();
    void leavePrestart();
    void setCurrentPageName(const QString &name);
    void switchTo(PageType type);
    Page *pageOf(int type) const;
    QAction *actionOf(int type) const;
    void saveDefaultPage();

    MGConfItem *m_defaultPage;
    QString m_currentName;
    int m_currentType = None;
    QList<Page *> m_pages;
    // setWindow() left the dialer and contacts pages for completePages().
    bool m_pagesLeft = false;
    CallHistoryPage *m_callHistoryPage = nullptr;
    DialerPage *m_dialerPage = nullptr;
    ContactPickerPage *m_contactPickerPage = nullptr;
    MAction *m_callHistoryAction = nullptr;
    MAction *m_dialerAction = nullptr;
    MAction *m_contactsAction = nullptr;
    MApplicationWindow *m_window = nullptr;
    QList<QAction *> m_actions;
    QSharedPointer<ContactEditorHandle> m_contactEditor;
    QPointer<ContactsInterface> m_contactsInterface;
};
