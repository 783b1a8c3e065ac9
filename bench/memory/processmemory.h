#pragma once

#include <QByteArray>
#include <QVector>

// The memory of this process as the kernel counts it, in KiB: resident (RSS), proportional
// (PSS: each shared page divided by the processes that map it), private dirty (what this process
// alone holds and must keep in RAM or swap: heap, stacks, written data of libraries) from
// /proc/self/smaps_rollup, and the peak resident size (VmHWM) from /proc/self/status.
// breakdown() sums the mappings of /proc/self/smaps into a few kinds, to say where it goes.
struct ProcessMemory
{
    double rss = 0;
    double pss = 0;
    double privateDirty = 0;
    double peakRss = 0;

    static ProcessMemory current();

    struct Part
    {
        QByteArray kind;
        double rss = 0;
        double pss = 0;
        double privateDirty = 0;
    };
    // Kinds: "OpenGL stack", "Qt", "fonts", "ICU", "heap and anonymous", "kernel", "program",
    // "other libraries", "shared buffers" (window buffers shared with the display server).
    static QVector<Part> breakdown();
};
