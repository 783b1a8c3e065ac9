#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPixmap>

#include "mstyle.h"

// The theme: style names mapped to looks, and icon ids mapped to image files.
//
// Styles come from "theme/theme.conf" (found through MDataPaths): blocks of
//   [StyleName]
//   inherits: OtherStyle
//   background-color: #101418
//   font-size: 22
// Icon ids come from "theme/icons.conf": lines "icon-id = file", where file is relative to the
// data root ("icons/toolbar-dialer.svg") or names the breeze theme ("breeze:actions/22/edit-copy").
// Sizes in the file are for a 480 pixel wide portrait screen; scale() adapts them to others.
// A name the theme does not know gives the default style; an unknown icon id gives a null pixmap.
class MTheme : public QObject
{
    Q_OBJECT
public:
    static MTheme *instance();

    const MStyle &style(const QString &styleName) const;
    bool hasStyle(const QString &styleName) const;
    // The icon file of an id, or an empty string.
    QString iconPath(const QString &iconId) const;
    // The icon rendered at size, tinted with color when color is valid (monochrome icons).
    QPixmap pixmap(const QString &iconId, const QSize &size, const QColor &tint = QColor()) const;
    qreal scale() const { return m_scale; }
    void setScale(qreal scale);
    // Reads the theme files again (used by tests that point CALL_HISTORY_DATA_DIR elsewhere).
    void reload();

Q_SIGNALS:
    void themeChanged();

private:
    explicit MTheme(QObject *parent = nullptr);
    void loadStyles(const QString &path);
    void loadIcons(const QString &path);
    void applyProperty(MStyle &style, const QString &key, const QString &value) const;

    QHash<QString, MStyle> m_styles;
    QHash<QString, QString> m_icons;
    MStyle m_default;
    qreal m_scale = 1.0;
    mutable QHash<QString, QPixmap> m_pixmapCache;
};
