#pragma once

#include <QAction>

// An action with a theme icon id and the places it shows in (the toolbar, the application menu,
// an object menu). Added to a window with QWidget::addAction, a toolbar action becomes a
// button or tab of the window's toolbar.
class MAction : public QAction
{
    Q_OBJECT
public:
    enum Location {
        NoLocation = 0,
        ToolBarPortraitLocation = 0x1,
        ToolBarLandscapeLocation = 0x2,
        ToolBarLocation = ToolBarPortraitLocation | ToolBarLandscapeLocation,
        ApplicationMenuLocation = 0x4,
        ObjectMenuLocation = 0x8,
        EveryLocation = 0xf
    };
    Q_DECLARE_FLAGS(Locations, Location)

    explicit MAction(QObject *parent = nullptr);
    MAction(const QString &text, QObject *parent);
    MAction(const QString &iconId, const QString &text, QObject *parent);

    QString iconID() const { return m_iconId; }
    void setIconID(const QString &iconId);
    Locations location() const { return m_location; }
    void setLocation(Locations location);
    void setLocation(int location) { setLocation(Locations(location)); }

private:
    QString m_iconId;
    Locations m_location = EveryLocation;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MAction::Locations)
