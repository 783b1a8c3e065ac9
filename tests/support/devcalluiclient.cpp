#include "devcalluiclient.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
const char *const Service = "com.velto.CallUi";
const char *const Path = "/com/velto/CallUi";
const char *const Development = "com.velto.CallUi.Development";
} // namespace

DevCallUiClient::DevCallUiClient(QObject *parent) : QObject(parent)
{
    QDBusConnection::sessionBus().connect(
        QLatin1String(Service), QLatin1String(Path), QLatin1String(Development),
        QStringLiteral("CallRequested"), this,
        SLOT(onCallRequested(QString, QString, QString, uint, QString, bool)));
}

void DevCallUiClient::onCallRequested(const QString &, const QString &accountPath,
                                      const QString &accountId, uint localContactId,
                                      const QString &contactName, bool video)
{
    const QString request = QStringLiteral("%1|%2|%3|%4")
                                .arg(accountId, accountPath.section(QLatin1Char('/'), -1))
                                .arg(localContactId)
                                .arg(contactName);
    m_requests << request;
    Q_EMIT requested(request, video);
}

bool DevCallUiClient::setSchedule(int answerAfter, int endAfter, bool fail)
{
    QDBusMessage msg =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Development), QStringLiteral("SetSchedule"));
    msg << answerAfter << endAfter << fail;
    return QDBusConnection::sessionBus().call(msg, QDBus::Block, 3000).type() ==
           QDBusMessage::ReplyMessage;
}
