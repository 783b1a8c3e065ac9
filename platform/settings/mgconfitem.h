#pragma once

#include <QObject>
#include <QVariant>

// One configuration key, kept in dconf (keys are dconf paths such as
// "/apps/call-history/settings/defaultPage"). Reads and writes strings, integers, doubles,
// booleans and string lists; valueChanged() follows every change of the key, also those made
// by other processes. Writes wait for dconf to take them, so that a value written just before
// the process quits is not lost; without a session bus they cannot be stored.
//
// Any process of the session may write a key: a stored value larger than MaxValueSize bytes (as
// dconf keeps it) reads as invalid, and is never copied into the item; set() refuses such a value.
class MGConfItem : public QObject
{
    Q_OBJECT
public:
    // Far beyond a setting's value (a page name, a few numbers).
    enum { MaxValueSize = 64 * 1024 };

    explicit MGConfItem(const QString &key, QObject *parent = nullptr);
    ~MGConfItem() override;

    QString key() const { return m_key; }
    QVariant value() const;
    QVariant value(const QVariant &defaultValue) const;
    // Stores value; returns false if dconf refused it (no bus, not writable, unsupported type).
    bool set(const QVariant &value);
    bool unset();

Q_SIGNALS:
    void valueChanged();

private:
    void refresh();
    static void onChanged(void *client, const char *prefix, const char *const *changes,
                          const char *tag, void *self);

    QString m_key;
    QVariant m_value;
    void *m_client;
    unsigned long m_handler = 0;
};
