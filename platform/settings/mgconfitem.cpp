// dconf.h pulls in GLib, whose headers clash with Qt's keywords: include it first.
#include <dconf.h>

#include "mgconfitem.h"

#include <QStringList>

namespace {

GVariant *toGVariant(const QVariant &v)
{
    switch (v.userType()) {
    case QMetaType::Bool:
        return g_variant_new_boolean(v.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return g_variant_new_int32(v.toInt());
    case QMetaType::Double:
    case QMetaType::Float:
        return g_variant_new_double(v.toDouble());
    case QMetaType::QStringList: {
        const QStringList list = v.toStringList();
        GVariantBuilder b;
        g_variant_builder_init(&b, G_VARIANT_TYPE_STRING_ARRAY);
        for (const QString &s : list)
            g_variant_builder_add(&b, "s", s.toUtf8().constData());
        return g_variant_builder_end(&b);
    }
    default:
        if (v.canConvert<QString>())
            return g_variant_new_string(v.toString().toUtf8().constData());
        return nullptr;
    }
}

QVariant fromGVariant(GVariant *g)
{
    if (!g || g_variant_get_size(g) > gsize(MGConfItem::MaxValueSize))
        return QVariant();
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_BOOLEAN))
        return bool(g_variant_get_boolean(g));
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_INT32))
        return int(g_variant_get_int32(g));
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_INT64))
        return qlonglong(g_variant_get_int64(g));
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_DOUBLE))
        return g_variant_get_double(g);
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_STRING))
        return QString::fromUtf8(g_variant_get_string(g, nullptr));
    if (g_variant_is_of_type(g, G_VARIANT_TYPE_STRING_ARRAY)) {
        QStringList list;
        gsize n = 0;
        const gchar **strv = g_variant_get_strv(g, &n);
        for (gsize i = 0; i < n; ++i)
            list << QString::fromUtf8(strv[i]);
        g_free(strv);
        return list;
    }
    return QVariant();
}

} // namespace

MGConfItem::MGConfItem(const QString &key, QObject *parent)
    : QObject(parent), m_key(key), m_client(dconf_client_new())
{
    m_handler = g_signal_connect(m_client, "changed", G_CALLBACK(&MGConfItem::onChanged), this);
    const QByteArray k = key.toUtf8();
    if (dconf_is_key(k.constData(), nullptr))
        dconf_client_watch_sync(static_cast<DConfClient *>(m_client), k.constData());
    refresh();
}

MGConfItem::~MGConfItem()
{
    auto *client = static_cast<DConfClient *>(m_client);
    const QByteArray k = m_key.toUtf8();
    if (dconf_is_key(k.constData(), nullptr))
        dconf_client_unwatch_fast(client, k.constData());
    g_signal_handler_disconnect(client, m_handler);
    g_object_unref(client);
}

QVariant MGConfItem::value() const
{
    return m_value;
}

QVariant MGConfItem::value(const QVariant &defaultValue) const
{
    return m_value.isValid() ? m_value : defaultValue;
}

bool MGConfItem::set(const QVariant &value)
{
    const QByteArray k = m_key.toUtf8();
    if (!dconf_is_key(k.constData(), nullptr))
        return false;
    GVariant *g = value.isValid() ? toGVariant(value) : nullptr;
    if (value.isValid() && !g)
        return false;
    if (g) {
        // Written only if it reads back.
        g_variant_ref_sink(g);
        if (g_variant_get_size(g) > gsize(MaxValueSize)) {
            g_variant_unref(g);
            return false;
        }
    }
    DConfChangeset *change = dconf_changeset_new_write(k.constData(), g);
    if (g)
        g_variant_unref(g);
    const gboolean ok = dconf_client_change_sync(static_cast<DConfClient *>(m_client), change,
                                                 nullptr, nullptr, nullptr);
    dconf_changeset_unref(change);
    refresh();
    return ok;
}

bool MGConfItem::unset()
{
    return set(QVariant());
}

void MGConfItem::refresh()
{
    const QByteArray k = m_key.toUtf8();
    GVariant *g = dconf_is_key(k.constData(), nullptr)
                      ? dconf_client_read(static_cast<DConfClient *>(m_client), k.constData())
                      : nullptr;
    const QVariant v = fromGVariant(g);
    if (g)
        g_variant_unref(g);
    if (v == m_value && v.isValid() == m_value.isValid())
        return;
    m_value = v;
    Q_EMIT valueChanged();
}

void MGConfItem::onChanged(void *, const char *prefix, const char *const *changes, const char *,
                           void *self)
{
    auto *item = static_cast<MGConfItem *>(self);
    const QByteArray k = item->m_key.toUtf8();
    for (int i = 0; changes && changes[i]; ++i) {
        const QByteArray full = QByteArray(prefix) + changes[i];
        if (full == k || (full.endsWith('/') && k.startsWith(full))) {
            item->refresh();
            return;
        }
    }
}
