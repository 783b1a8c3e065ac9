#pragma once

#include <QString>
#include <QStringList>

// Where the program's read-only data lives (theme, icon map, icons, translation catalogues).
// Searched in order: $CALL_HISTORY_DATA_DIR; the installed data folder relative to the running
// executable (<bin>/../share/call-history, or the same seen from the services' libexec folder);
// then, for a program run from a build folder, the build folder's generated data and the source
// data named in its note "data/source-datadir" (found by walking up from the executable a few
// folders). No build or source path is compiled in, so installed files hold none.
// The first root that holds the file wins.
class MDataPaths
{
public:
    static QStringList roots();
    // Absolute path of the first existing file `relative` under a root, or an empty string.
    static QString find(const QString &relative);
    // The roots found from an executable in `executableDir` (without $CALL_HISTORY_DATA_DIR).
    static QStringList rootsFrom(const QString &executableDir);
};
