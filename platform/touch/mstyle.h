#pragma once

#include <QColor>
#include <QFont>
#include <QMargins>
#include <QString>

// The look of one style name, as read from the theme file: colours, font, sizes, paddings.
// A value type; unset fields keep their defaults, so a style only lists what it changes.
struct MStyle
{
    QColor color = QColor(0xe8, 0xea, 0xed);       // text and icon tint
    QColor backgroundColor;                        // invalid: transparent
    QColor dividerColor;                           // invalid: no divider line at the bottom
    QColor borderColor;                            // invalid: no border
    QColor accentColor = QColor(0x8a, 0xb4, 0xf8); // checked/selected marks, highlights
    QColor checkedBackgroundColor;                 // invalid: same as backgroundColor
    QColor promptColor;                            // a text field's prompt; invalid: dimmed color
    int checkedIndicator = 0;                      // height of the accent line on top when checked
    bool iconTint = true;                          // false: icons keep their own colours
    QString fontFamily = QStringLiteral("DejaVu Sans");
    int fontSize = 20; // pixels
    bool bold = false;
    bool uppercase = false;
    qreal letterSpacing = 0; // pixels
    int height = -1;         // preferred height in pixels, -1: from content
    int minimumWidth = -1;
    QMargins padding; // left, top, right, bottom
    int radius = 0;
    int iconSize = 32;
    int spacing = 8;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;

    QFont font() const;
};
