#pragma once

#include "mlistitem.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QPointer>

class CallHistoryContact;
class CallHistoryFilterProxyModel;
class MAction;
class MCommonLabelHighlighter;
class MImageWidget;
class MLabel;
class MList;

// One row of the call history list: who (title), when, through which account and with which
// number type (sub-title), the call's direction (icon) and the contact's presence. A tap opens
// the return-call dialog; a long press offers the duration, copying the number, deleting the
// call and clearing the history. Rows are recycled: fill() takes any event at any time, and
// only the parts that changed are redrawn (the pending-change bits), so refilling a row with
// the same event costs no redraw. A tap and the menu act on the call that was pressed, even
// when the row shows another one by the time they run; the menu closes when its row is
// refilled with another call, and, registered with the dialog manager, on a page switch.
class CallHistoryItem : public MListItem
{
    Q_OBJECT
public:
    enum Change : uint {
        TitleText = 0x01,
        TitleStyle = 0x02,
        DirectionIcon = 0x04,
        Subtitle = 0x08,
        PresenceIcon = 0x10,
        ContactRefresh = 0x20,
        AllChanges = 0x3F
    };
    enum NumberClass { EmergencyCall = 0, VoicemailNumber = 1, PrivateNumber = 2, OtherNumber = 3 };
    typedef QPair<quint32, QString> Contact;

    // The call that a press went down on, as the row showed it then. A tap, the dialog it
    // opens and the long-press menu act on it: the list recycles rows, so by the time a queued
    // action runs the row may show another call.
    struct PressedCall
    {
        int eventId = -1;
        QString localUid;
        QString remoteUid;
        QString title;
        int direction = 0;
        bool read = false;
        int numberClass = -1;
        QList<Contact> contacts;
        QDateTime startTime;
        QDateTime endTime;
        bool video = false;
        QString statusMessage;
        int presence = 0;
        int numberType = 0;
        int numberCount = 0;
    };

    CallHistoryItem(CallHistoryFilterProxyModel *filterModel, MList *list);
    ~CallHistoryItem() override;

    // Fills the row from an index of the list's model (a call event under Qt::UserRole).
    void fill(const QModelIndex &index);
    // The title with the suffix, as drawn (numbers in display form when the title is one).
    QString titleText(const QString &suffix) const;

    int eventId() const { return m_eventId; }
    QList<Contact> contacts() const { return m_contacts; }
    QString localUid() const { return m_localUid; }
    QString remoteUid() const { return m_remoteUid; }
    QString title() const { return m_title; }
    QDateTime startTime() const { return m_startTime; }
    QDateTime endTime() const { return m_endTime; }
    int directionCode() const { return m_direction; }
    bool isRead() const { return m_read; }
    int eventCount() const { return m_eventCount; }
    int numberClass() const { return m_numberClass; }
    QString statusMessage() const { return m_statusMessage; }
    int presence() const { return m_presence; }
    int numberType() const { return m_numberType; }
    int numberCount() const { return m_numberCount; }
    bool isVideo() const { return m_video; }
    bool isCellular() const;
    MLabel *titleLabel() const { return m_titleLabel; }
    MLabel *subtitleLabel() const { return m_subtitleLabel; }
    MImageWidget *directionIcon() const { return m_directionIcon; }
    MImageWidget *presenceIcon() const { return m_presenceIcon; }
    QList<MAction *> menuActions() const;
    // The call the last long-press menu was opened for (the one shown before any menu).
    PressedCall menuCall() const { return m_menuCall.eventId < 0 ? shownCall() : m_menuCall; }
    // The call the row shows now, with what it knows of its contact.
    PressedCall shownCall() const;
    // Total redraws of row parts since construction (for tests and benchmarks).
    int redrawCount() const { return m_redraws; }

Q_SIGNALS:
    void updated(uint changes);
    void objectMenuDeleteTriggered(CallHistoryItem *item);
    void objectMenuDeleteAllTriggered();

public Q_SLOTS:
    void onUpdated();
    void onObjectMenuDeleteTriggered();
    void onObjectMenuDeleteAllTriggered();
    void onObjectMenuCopyNumberTriggered();
    void onFilterChanged(QPointer<MCommonLabelHighlighter> highlighter);
    void onTimeSettingsChanged();
    void onClicked();
    void onVoicemailChanged();
    void onPanningStarted();
    void onPanningStopped();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent *event) override;
    void retranslateUi() override;
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;
    void ungrabMouseEvent(QEvent *event) override;

private:
    // The call under the finger: the pressed one while a press lasts, else the one shown.
    PressedCall targetCall() const { return m_pressing ? m_pressed : shownCall(); }
    // The menu's texts in the current language, the duration of the menu's call included.
    void updateMenuTexts();
    void setContacts(const QList<Contact> &contacts);
    void resolveContact();
    void dropContact();
    bool refreshFromContact();
    void applyChanges();
    void drawTitleText();
    void drawTitleStyle();
    void drawDirectionIcon();
    void drawSubtitle();
    void drawPresenceIcon();
    bool hasSingleContact() const { return m_contacts.size() == 1; }

    MLabel *m_titleLabel;
    MLabel *m_subtitleLabel;
    MImageWidget *m_presenceIcon;
    MImageWidget *m_directionIcon;
    MAction *m_durationAction;
    MAction *m_copyAction;
    MAction *m_deleteAction;
    MAction *m_deleteAllAction;

    int m_eventId = -1;
    QList<Contact> m_contacts;
    QString m_localUid;
    QString m_remoteUid;
    QString m_title;
    QDateTime m_startTime;
    QDateTime m_endTime;
    qint64 m_startT = 0;
    qint64 m_endT = 0;
    int m_direction = 0;
    bool m_read = false;
    int m_eventCount = 0;
    int m_numberClass = -1;
    QString m_statusMessage;
    int m_presence = 0;
    int m_numberType = 0;
    int m_numberCount = 0;
    bool m_video = false;
    CallHistoryFilterProxyModel *m_filterModel;
    QPointer<CallHistoryContact> m_contact;
    bool m_panning = false;
    bool m_pressing = false;
    PressedCall m_pressed;
    PressedCall m_menuCall;
    // Taps whose queued handling has not run yet, oldest first.
    QList<PressedCall> m_taps;
    uint m_changes = AllChanges;
    int m_redraws = 0;
};
