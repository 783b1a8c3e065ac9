#include "processmemory.h"

#include <QFile>
#include <QMap>

namespace {

double kib(const QByteArray &line)
{
    return line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toDouble();
}

QByteArray readAll(const char *path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray kindOf(const QByteArray &path)
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    const char *gl[] = {
        "libGL",      "libEGL", "libGLX",         "libGLdispatch", "libglapi",       "libLLVM",
        "_dri.so",    "libgbm", "libdrm",         "libz3",         "libvulkan",      "libxshmfence",
        "libsensors", "libelf", "libwayland-egl", "egl",           "glx-integration"};
    for (const char *part : gl) {
        if (name.contains(part))
            return "OpenGL stack";
    }
    if (path.isEmpty() || path == "[heap]" || path == "[stack]")
        return "heap and anonymous";
    if (path.startsWith('['))
        return "kernel";
    if (name.startsWith("memfd:") || path.startsWith("/dev/shm") || path.startsWith("/SYSV"))
        return "shared buffers";
    if (name.startsWith("libQt5") || path.contains("/qt5/plugins/"))
        return "Qt";
    if (name.startsWith("libicu"))
        return "ICU";
    if (path.contains("/fonts/") || name.startsWith("libfreetype") ||
        name.startsWith("libharfbuzz") || name.startsWith("libfontconfig") ||
        path.contains("fontconfig"))
        return "fonts";
    if (path.contains("/call-history") || name.startsWith("bench_") ||
        path.contains("minimal-window"))
        return "program";
    return "other libraries";
}

} // namespace

ProcessMemory ProcessMemory::current()
{
    ProcessMemory m;
    for (const QByteArray &line : readAll("/proc/self/smaps_rollup").split('\n')) {
        if (line.startsWith("Rss:"))
            m.rss = kib(line);
        else if (line.startsWith("Pss:"))
            m.pss = kib(line);
        else if (line.startsWith("Private_Dirty:"))
            m.privateDirty = kib(line);
    }
    for (const QByteArray &line : readAll("/proc/self/status").split('\n')) {
        if (line.startsWith("VmHWM:"))
            m.peakRss = kib(line);
    }
    return m;
}

QVector<ProcessMemory::Part> ProcessMemory::breakdown()
{
    QMap<QByteArray, Part> parts;
    QByteArray kind;
    for (const QByteArray &line : readAll("/proc/self/smaps").split('\n')) {
        const int space = line.indexOf(' ');
        // A mapping's first line: "start-end perms offset dev inode [path]".
        if (space > 0 && line.left(space).contains('-') && !line.left(space).contains(':')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            QByteArray path = fields.size() >= 6 ? fields.mid(5).join(' ') : QByteArray();
            kind = kindOf(path);
            parts[kind].kind = kind;
            continue;
        }
        if (kind.isEmpty())
            continue;
        if (line.startsWith("Rss:"))
            parts[kind].rss += kib(line);
        else if (line.startsWith("Pss:"))
            parts[kind].pss += kib(line);
        else if (line.startsWith("Private_Dirty:"))
            parts[kind].privateDirty += kib(line);
    }
    return parts.values().toVector();
}
