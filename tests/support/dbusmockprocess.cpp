#include "dbusmockprocess.h"

#include "testsupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace {
const char MockInterface[] = "org.freedesktop.DBus.Mock";

// A value as the tests compare it: booleans as true/false, lists joined by "|", dictionaries as
// {key=value;...} in key order.
QString text(const QVariant &v)
{
    if (v.type() == QVariant::Bool)
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (v.type() == QVariant::StringList)
        return v.toStringList().join(QLatin1Char('|'));
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::MapType) {
            const QVariantMap map = qdbus_cast<QVariantMap>(arg);
            QStringList entries;
            for (auto it = map.constBegin(); it != map.constEnd(); ++it)
                entries << it.key() + QLatin1Char('=') + text(it.value());
            return QLatin1Char('{') + entries.join(QLatin1Char(';')) + QLatin1Char('}');
        }
        if (arg.currentType() == QDBusArgument::ArrayType)
            return qdbus_cast<QStringList>(arg).join(QLatin1Char('|'));
    }
    if (v.userType() == QMetaType::UChar)
        return QString::number(v.value<uchar>());
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return text(v.value<QDBusVariant>().variant());
    if (v.canConvert<QString>())
        return v.toString();
    return QString::fromLatin1(v.typeName());
}
} // namespace

DBusMockProcess::DBusMockProcess(const QString &templateName, const QString &service,
                                 const QString &path)
    : m_template(templateName), m_service(service), m_path(path)
{
}

DBusMockProcess::~DBusMockProcess()
{
    stop();
}

bool DBusMockProcess::start(const QString &parameters)
{
    QStringList args{QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                     QStringLiteral("--template"), m_template};
    if (!parameters.isEmpty())
        args << QStringLiteral("-p") << parameters;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // Debian's python with its python3-dbusmock, whatever python comes first in PATH.
    m_process.start(QStringLiteral("/usr/bin/python3"), args);
    return m_process.waitForStarted() && TestSupport::waitForBusName(m_service, 15000);
}

void DBusMockProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
    TestSupport::waitForBusNameGone(m_service);
}

QVariantList DBusMockProcess::call(const QString &interface, const QString &method,
                                   const QVariantList &args, bool *ok)
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_service, m_path, interface, method);
    message.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
    if (ok)
        *ok = reply.type() == QDBusMessage::ReplyMessage;
    return reply.arguments();
}

QStringList DBusMockProcess::methodCalls(const QString &method)
{
    // a(tav): a time stamp and the arguments of each call.
    const QVariantList reply =
        call(QLatin1String(MockInterface), QStringLiteral("GetMethodCalls"), {method});
    QStringList calls;
    if (reply.isEmpty())
        return calls;
    const QDBusArgument list = reply.first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        quint64 time = 0;
        QVariantList arguments;
        list.beginStructure();
        list >> time;
        list.beginArray();
        while (!list.atEnd()) {
            QDBusVariant value;
            list >> value;
            const QVariant v = value.variant();
            arguments << v;
        }
        list.endArray();
        list.endStructure();
        QStringList texts;
        for (const QVariant &v : arguments)
            texts << text(v);
        calls << texts.join(QLatin1Char(','));
    }
    list.endArray();
    return calls;
}

void DBusMockProcess::clearCalls()
{
    call(QLatin1String(MockInterface), QStringLiteral("ClearCalls"), {});
}

bool DBusMockProcess::emitSignal(const QString &interface, const QString &name,
                                 const QString &signature, const QVariantList &args)
{
    QVariantList wrapped;
    for (const QVariant &a : args)
        wrapped << QVariant::fromValue(QDBusVariant(a));
    bool ok = false;
    call(QLatin1String(MockInterface), QStringLiteral("EmitSignal"),
         {interface, name, signature, QVariant::fromValue(wrapped)}, &ok);
    return ok;
}
