#pragma once

#include "callscreenbackend.h"

#include <QStringList>

// A call service for the call screen's tests: it plays the calls the test tells it to (the
// signals are public, emitted by the test) and notes every request the screen makes, as
// "answer(c1)", "dtmf(c1,5)".
class RecordingBackend : public CallScreenBackend
{
    Q_OBJECT
public:
    QStringList requests;

    void answer(const QString &id) override { note(QStringLiteral("answer"), id); }
    void decline(const QString &id) override { note(QStringLiteral("decline"), id); }
    void hangup(const QString &id) override { note(QStringLiteral("hangup"), id); }
    void sendDtmf(const QString &id, const QString &digits) override
    {
        note(QStringLiteral("dtmf"), id + QLatin1Char(',') + digits);
    }
    void endAndAnswer(const QString &id) override { note(QStringLiteral("endAndAnswer"), id); }
    void holdAndAnswer(const QString &id) override { note(QStringLiteral("holdAndAnswer"), id); }

private:
    void note(const QString &what, const QString &args)
    {
        requests << what + QLatin1Char('(') + args + QLatin1Char(')');
    }
};
