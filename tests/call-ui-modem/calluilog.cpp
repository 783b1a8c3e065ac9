#include "calluilog.h"

#include <QDBusConnection>
#include <QDBusMessage>

void CallUiLog::listen()
{
    const QString callUi = QStringLiteral("com.velto.CallUi");
    const QString path = QStringLiteral("/com/velto/CallUi");
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(callUi, path, callUi, QStringLiteral("CallAnswered"), this,
                SLOT(onAnswered(QString)));
    bus.connect(callUi, path, callUi, QStringLiteral("CallEnded"), this,
                SLOT(onEnded(QString, int, int, QString)));
    bus.connect(callUi, path, callUi, QStringLiteral("CommandCompleted"), this,
                SLOT(onCompleted(QString)));
    bus.connect(callUi, path, callUi, QStringLiteral("CommandFailed"), this,
                SLOT(onFailed(QString)));
    bus.connect(callUi, path, QStringLiteral("com.velto.CallUi.Modem"),
                QStringLiteral("CallIncoming"), this, SLOT(onIncoming(QString, QString)));
}

bool CallUiLog::ignored() const
{
    return calledFromDBus() && m_ignored.contains(message().service());
}

void CallUiLog::clear()
{
    entries.clear();
    uids.clear();
    incoming.clear();
}

QString CallUiLog::label(const QString &uid)
{
    if (!uids.contains(uid))
        uids << uid;
    return QStringLiteral("call%1").arg(uids.indexOf(uid) + 1);
}

void CallUiLog::onAnswered(const QString &uid)
{
    if (ignored())
        return;
    entries << QStringLiteral("answered ") + label(uid);
}

void CallUiLog::onEnded(const QString &uid, int reason, int, const QString &)
{
    if (ignored())
        return;
    entries << QStringLiteral("ended %1 %2").arg(label(uid)).arg(reason);
}

void CallUiLog::onCompleted(const QString &uid)
{
    if (ignored())
        return;
    entries << QStringLiteral("completed ") + label(uid);
}

void CallUiLog::onFailed(const QString &uid)
{
    if (ignored())
        return;
    entries << QStringLiteral("failed ") + label(uid);
}

void CallUiLog::onIncoming(const QString &uid, const QString &number)
{
    if (ignored())
        return;
    entries << QStringLiteral("incoming %1 %2").arg(label(uid), number).trimmed();
    incoming << uid;
}
