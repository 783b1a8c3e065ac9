#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Date and time patterns in the ICU (Unicode TR 35) syntax, which is the syntax MLocale hands out
// and accepts: conversion from Qt's format strings, switching the hour cycle, and formatting.
//
// Supported fields: G, y, Q, M, L, w, d, D, E, c, e, a, h, H, K, k, m, s, S, z, Z, v, V, O, X, x;
// text in single quotes is literal ("''" is one quote). Other letters are dropped. Digits are
// written in the locale's native digits; names (months, weekdays, AM/PM) come from the locale.
class MIcuPattern
{
public:
    // Qt's QLocale format ("d.M.yy", "h:mm AP") as an ICU pattern ("d.M.yy", "h:mm a").
    static QString fromQtFormat(const QString &qtFormat);
    // The same pattern with every hour field in the 24-hour cycle (H) and no AM/PM marker, or in
    // the 12-hour cycle (h) with an AM/PM marker (appended when the pattern had none).
    static QString withHourCycle(const QString &pattern, bool twentyFourHour);
    // `dateTime` written by `pattern` in `locale`.
    static QString format(const QDateTime &dateTime, const QString &pattern, const QLocale &locale);
};
