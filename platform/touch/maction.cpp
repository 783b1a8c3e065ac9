#include "maction.h"

MAction::MAction(QObject *parent) : QAction(parent) {}

MAction::MAction(const QString &text, QObject *parent) : QAction(text, parent) {}

MAction::MAction(const QString &iconId, const QString &text, QObject *parent)
    : QAction(text, parent), m_iconId(iconId)
{
}

void MAction::setIconID(const QString &iconId)
{
    if (iconId == m_iconId)
        return;
    m_iconId = iconId;
    Q_EMIT changed();
}

void MAction::setLocation(Locations location)
{
    if (location == m_location)
        return;
    m_location = location;
    Q_EMIT changed();
}
