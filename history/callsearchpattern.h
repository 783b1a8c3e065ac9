#pragma once

#include <QRegExp>
#include <QString>
#include <QVector>

// The search of the call history that a typed text stands for, and a fast test of it.
//
// From the text: numbers match anywhere; a text holding anything but digits and the usual number
// punctuation is a name search and matches from the start of a word only. Each typed character
// is one step of the pattern: its lowered base letter, and for an accented letter also the
// letter as typed; typed marks, control and format characters are left out. regExpPattern()
// is that search as a QRegExp pattern (case-insensitive), which the highlighter uses.
//
// matches() gives exactly the QRegExp's answer without running it, comparing as the QRegExp's
// matcher does: a plain step compares lowered characters (one by one, without the special
// casing of whole strings); a step with an accented letter accepts the characters whose lower
// or upper case is one of its two letters; a word start is the QRegExp's word boundary
// (letters, numbers, marks and '_' are word characters). A number search, the one pattern the
// QRegExp looks up as a plain string, holds no character that has a case. Steps outside the
// Basic Multilingual Plane, a pattern without steps and the dotted capital I (which the QRegExp
// does not match as the rule says) are left to the QRegExp itself.
class CallSearchPattern
{
public:
    CallSearchPattern() = default;
    // The text as the user typed it, without surrounding white space.
    explicit CallSearchPattern(const QString &text);

    QString regExpPattern() const;
    bool operator==(const CallSearchPattern &other) const;

    // Whether every text found by this search is also found by `wider`: the same steps with
    // more after them, or a word start added.
    bool narrows(const CallSearchPattern &wider) const;

    // Whether the search finds a match in text.
    bool matches(const QString &text) const;

private:
    struct Step
    {
        QString base;  // the lowered base letter
        QString typed; // the accented letter as typed; empty for a plain step
        ushort lowered = 0;
        // An accented step: the characters it accepts.
        QVector<ushort> accepted;
        bool operator==(const Step &o) const { return base == o.base && typed == o.typed; }
    };
    bool matchesAt(const ushort *text, int length, int at) const;

    QVector<Step> m_steps;
    bool m_wordStart = false;
    bool m_fast = false;
    QRegExp m_regexp;
};
