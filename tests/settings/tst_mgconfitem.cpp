// dconf.h pulls in GLib, whose headers clash with Qt's keywords: include it first.
#include <dconf.h>

#include "mgconfitem.h"

#include <QSignalSpy>
#include <QtTest>

// Values of a key written by another client of the settings store, as another process would
// write them (through the dconf service on the test's bus).
class TestMGConfItem : public QObject
{
    Q_OBJECT
private:
    const QString m_key = QStringLiteral("/apps/call-history/tests/value");

    // Writes a string with a dconf client of its own, bypassing MGConfItem.
    bool writeOther(const QString &value)
    {
        DConfClient *client = dconf_client_new();
        GError *error = nullptr;
        const bool ok = dconf_client_write_sync(client, m_key.toUtf8().constData(),
                                                g_variant_new_string(value.toUtf8().constData()),
                                                nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        g_object_unref(client);
        return ok;
    }

    static QString describe(const QVariant &value)
    {
        return value.isValid() ? QStringLiteral("%1 characters").arg(value.toString().size())
                               : QStringLiteral("invalid");
    }

private Q_SLOTS:
    // A string of n ASCII characters takes n + 1 bytes in the store.
    void shouldNotTakeValuesLargerThanItsBound_data()
    {
        const int most = MGConfItem::MaxValueSize;
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("read");
        QTest::newRow("value at the bound") << most - 1 << "65535 characters";
        QTest::newRow("value one byte too large") << most << "invalid";
        QTest::newRow("30 MB value") << 30 * 1024 * 1024 << "invalid";
    }
    void shouldNotTakeValuesLargerThanItsBound()
    {
        QFETCH(int, length);
        QFETCH(QString, read);
        MGConfItem item(m_key);
        QVERIFY(writeOther(QStringLiteral("start")));
        QTRY_COMPARE(item.value().toString(), QStringLiteral("start"));
        QSignalSpy changed(&item, &MGConfItem::valueChanged);
        QVERIFY(writeOther(QString(length, QLatin1Char('x'))));
        QTRY_COMPARE(changed.size(), 1);
        QCOMPARE(describe(item.value()), read);
        // A new item reads the same.
        QCOMPARE(describe(MGConfItem(m_key).value()), read);
    }

    void shouldRefuseToWriteWhatItCouldNotRead_data()
    {
        const int most = MGConfItem::MaxValueSize;
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("written");
        QTest::newRow("value at the bound") << most - 1 << true;
        QTest::newRow("value one byte too large") << most << false;
    }
    void shouldRefuseToWriteWhatItCouldNotRead()
    {
        QFETCH(int, length);
        QFETCH(bool, written);
        MGConfItem item(m_key);
        QVERIFY(item.set(QStringLiteral("start")));
        QCOMPARE(item.set(QString(length, QLatin1Char('x'))), written);
        QCOMPARE(describe(item.value()), written ? QStringLiteral("%1 characters").arg(length)
                                                 : QStringLiteral("5 characters"));
    }
};

QTEST_GUILESS_MAIN(TestMGConfItem)
#include "tst_mgconfitem.moc"
