#include "detailselectormodel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {
DetailEntry entry(const QString &account, const QString &address, const QString &type,
                  const QString &presence = QString(), bool video = false)
{
    DetailEntry e;
    e.accountPath = account;
    e.displayName = address;
    e.type = type;
    e.presenceState = presence;
    e.isVideoCall = video;
    return e;
}

// "account:address:type:presence[:video]" of every row, in order.
QString rows(const DetailSelectorModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const DetailEntry e = model.entry(row);
        out << QStringList{e.accountPath, e.displayName, e.type, e.presenceState}.join(':') +
                   (e.isVideoCall ? QStringLiteral(":video") : QString());
    }
    return out.join(QLatin1Char(' '));
}

// The model's change notifications, in order: "+first-last" inserted, "-first-last" removed,
// "~row" changed, "reset".
class ChangeLog : public QObject
{
public:
    explicit ChangeLog(QAbstractItemModel *model)
    {
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) {
                    m_log << QStringLiteral("+%1-%2").arg(first).arg(last);
                });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) {
                    m_log << QStringLiteral("-%1-%2").arg(first).arg(last);
                });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to) {
                    m_log << (from == to ? QStringLiteral("~%1").arg(from.row())
                                         : QStringLiteral("~%1-%2").arg(from.row()).arg(to.row()));
                });
        connect(model, &QAbstractItemModel::modelReset, this,
                [this]() { m_log << QStringLiteral("reset"); });
    }
    QString text() const { return m_log.join(QLatin1Char(' ')); }

private:
    QStringList m_log;
};
} // namespace

Q_DECLARE_METATYPE(QList<DetailEntry>)

// The rows of the number picker: a rebuild merged into the shown model keeps rows in place,
// appends what is new, never removes a row, and clears presence that is not found again.
class TestDetailSelectorModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldMergeWithoutMovingOrRemovingRows_data()
    {
        QTest::addColumn<QList<DetailEntry>>("shown");
        QTest::addColumn<QList<DetailEntry>>("rebuilt");
        QTest::addColumn<QString>("expectedRows");
        QTest::addColumn<QString>("expectedChanges");

        const DetailEntry a = entry("cell", "+111", "Mobile");
        const DetailEntry b = entry("cell", "+222", "Home");
        QTest::newRow("rows found again in another order keep their places")
            << QList<DetailEntry>{a, b}
            << QList<DetailEntry>{entry("cell", "+222", "Work"), entry("cell", "+111", "Fax")}
            << "cell:+111:Fax: cell:+222:Work:"
            << "~0 ~1";
        QTest::newRow("a new address is appended")
            << QList<DetailEntry>{a} << QList<DetailEntry>{entry("sip", "x@y", "SIP"), a}
            << "cell:+111:Mobile: sip:x@y:SIP:"
            << "+1-1 ~0";
        QTest::newRow("an address gone from the contact stays")
            << QList<DetailEntry>{a, b} << QList<DetailEntry>{b}
            << "cell:+111:Mobile: cell:+222:Home:"
            << "~1";
        QTest::newRow("presence not found again is cleared")
            << QList<DetailEntry>{entry("sip", "x@y", "SIP", "icon-s-common-presence-online"), a}
            << QList<DetailEntry>{a} << "sip:x@y:SIP: cell:+111:Mobile:"
            << "~0 ~1";
        QTest::newRow("presence found again is kept")
            << QList<DetailEntry>{entry("sip", "x@y", "SIP", "icon-s-common-presence-online")}
            << QList<DetailEntry>{entry("sip", "x@y", "SIP", "icon-s-common-presence-busy")}
            << "sip:x@y:SIP:icon-s-common-presence-busy"
            << "~0";
        QTest::newRow("a video row is a row of its own")
            << QList<DetailEntry>{entry("sip", "x@y", "SIP")}
            << QList<DetailEntry>{entry("sip", "x@y", "Video", QString(), true)}
            << "sip:x@y:SIP: sip:x@y:Video::video"
            << "+1-1";
        QTest::newRow("a key twice in one rebuild ends as one row with the later data")
            << QList<DetailEntry>{}
            << QList<DetailEntry>{entry("cell", "+111", "Home"), entry("cell", "+111", "Work")}
            << "cell:+111:Work:"
            << "+0-0 ~0";
        QTest::newRow("same address on another account is another row")
            << QList<DetailEntry>{a} << QList<DetailEntry>{entry("sip", "+111", "SIP")}
            << "cell:+111:Mobile: sip:+111:SIP:"
            << "+1-1";
    }
    void shouldMergeWithoutMovingOrRemovingRows()
    {
        QFETCH(QList<DetailEntry>, shown);
        QFETCH(QList<DetailEntry>, rebuilt);
        QFETCH(QString, expectedRows);
        QFETCH(QString, expectedChanges);

        DetailSelectorModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const DetailEntry &e : shown)
            model.addItem(e);
        DetailSelectorModel fresh;
        for (const DetailEntry &e : rebuilt)
            fresh.addItem(e);

        ChangeLog log(&model);
        model.mergeFrom(fresh);
        QCOMPARE(rows(model), expectedRows);
        QCOMPARE(log.text(), expectedChanges);
    }

    void shouldKeepRowsAcrossRepeatedMerges()
    {
        DetailSelectorModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        ChangeLog log(&model);
        for (const QStringList &numbers :
             {QStringList{"+1", "+2"}, QStringList{"+3"}, QStringList{}, QStringList{"+2", "+1"}}) {
            DetailSelectorModel fresh;
            for (const QString &n : numbers)
                fresh.addItem(entry("cell", n, "Mobile"));
            model.mergeFrom(fresh);
        }
        QCOMPARE(rows(model), QStringLiteral("cell:+1:Mobile: cell:+2:Mobile: cell:+3:Mobile:"));
        QCOMPARE(log.text(), QStringLiteral("+0-0 +1-1 +2-2 ~0 ~1"));
    }

    void shouldReadEveryValueBackFromARow()
    {
        DetailEntry e = entry("/acc/path", "+358 40 1", "Work", "icon-s-common-presence-away");
        e.image = QStringLiteral("icon-m-service-sip");
        e.showCredits = true;
        e.isPhone = true;
        e.missingAccount = true;
        DetailSelectorModel model;
        model.addItem(e);
        const QVariantMap map = model.data(model.index(0), DetailSelectorModel::EntryRole).toMap();
        QCOMPARE(QStringList(map.keys()).join(','),
                 QStringLiteral("accountPath,displayName,image,isPhone,isVideoCall,missingAccount,"
                                "presenceState,showCredits,type"));
        const DetailEntry back = model.entry(0);
        QCOMPARE(back.toMap(), e.toMap());
        QCOMPARE(model.data(model.index(0)).toString(), QStringLiteral("+358 40 1"));
        QVERIFY(!model.data(model.index(0), Qt::EditRole).isValid());
        QVERIFY(!model.data(model.index(1), DetailSelectorModel::EntryRole).isValid());
        QVERIFY(model.entry(5).displayName.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDetailSelectorModel)
#include "tst_detailselectormodel.moc"
