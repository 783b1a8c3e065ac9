#pragma once

#include <QString>
#include <QStringList>

// Where the program's read-only data lives (theme, icon map, icons, translation catalogues).
// Searched in order: $CALL_HISTORY_DATA_DIR, the build tree's generated data, the source tree's
// data, the installed data folder. The first root that holds the file wins.
class MDataPaths
{
public:
    static QStringList roots();
    // Absolute path of the first existing file `relative` under a root, or an empty string.
    static QString find(const QString &relative);
};
