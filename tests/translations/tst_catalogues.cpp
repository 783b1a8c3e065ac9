#include "mdatapaths.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// The catalogue an id belongs to: the dialer's one Skype text has a catalogue of its own.
QString catalogueOf(const QString &id)
{
    return id.startsWith(QLatin1String("qtn_skyp_")) ? QStringLiteral("skype")
                                                     : QStringLiteral("telephony");
}

// Every text id the program shows, whether or not the code showing it exists yet.
const char *const ProgramIds[] = {"qtn_call_add_contact",
                                  "qtn_call_add_contact_question",
                                  "qtn_call_conf_clear_history",
                                  "qtn_call_contact_picker_dialog_title",
                                  "qtn_call_contact_picker_title",
                                  "qtn_call_copy_number",
                                  "qtn_call_duration",
                                  "qtn_call_empty_view",
                                  "qtn_call_history_unreadable",
                                  "qtn_call_incorrect_number",
                                  "qtn_call_link_not_number",
                                  "qtn_call_log_empty",
                                  "qtn_call_log_vm_dialled",
                                  "qtn_call_log_vm_grouping",
                                  "qtn_call_log_vm_missed",
                                  "qtn_call_log_vm_received",
                                  "qtn_call_merge_contact",
                                  "qtn_call_mobile",
                                  "qtn_call_multiple_contact_number",
                                  "qtn_call_multiple_contacts_title",
                                  "qtn_call_not_allowed",
                                  "qtn_call_number_copied",
                                  "qtn_call_save_number",
                                  "qtn_call_select_type",
                                  "qtn_call_sort_by_contact",
                                  "qtn_call_type_emergency",
                                  "qtn_call_type_private",
                                  "qtn_call_type_voicemail",
                                  "qtn_call_video_call",
                                  "qtn_call_view_no_dialed_calls",
                                  "qtn_call_view_no_missed_calls",
                                  "qtn_call_view_no_received_calls",
                                  "qtn_comm_command_done",
                                  "qtn_comm_delete",
                                  "qtn_comm_older",
                                  "qtn_comm_search",
                                  "qtn_comm_share_disabled_account",
                                  "qtn_comm_time_last_week",
                                  "qtn_comm_time_today",
                                  "qtn_comm_time_yesterday",
                                  "qtn_comm_type_fax",
                                  "qtn_comm_type_home",
                                  "qtn_comm_type_mobile",
                                  "qtn_comm_type_work",
                                  "qtn_cont_type_other",
                                  "qtn_skyp_not_international_format",
                                  "qtn_call_tab_history",
                                  "qtn_call_tab_dialer",
                                  "qtn_call_tab_contacts",
                                  "qtn_call_page_coming",
                                  "qtn_comm_cancel",
                                  "qtn_comm_popup_no",
                                  "qtn_comm_popup_ok",
                                  "qtn_comm_popup_yes"};

// Ids quoted in the program's sources ("qtn_..."), with the files that use them.
QMap<QString, QStringList> idsInSources()
{
    QMap<QString, QStringList> ids;
    const QRegularExpression quoted(QStringLiteral("\"(qtn_[a-z0-9_]+)\""));
    const QDir root(QStringLiteral(CH_SOURCE_DIR));
    for (const char *folder : {"app", "calling", "history", "contacts", "accounts", "dialogs",
                               "dialer", "services", "tools", "platform"}) {
        QDirIterator it(root.filePath(QLatin1String(folder)), {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                continue;
            auto matches = quoted.globalMatch(QString::fromUtf8(file.readAll()));
            while (matches.hasNext())
                ids[matches.next().captured(1)] << root.relativeFilePath(file.fileName());
        }
    }
    return ids;
}

struct Message
{
    QStringList forms; // one text, or the plural forms
};

// The messages of a catalogue's source file, by id.
QMap<QString, Message> readTs(const QString &path)
{
    QMap<QString, Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString id;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("message")) {
            id = xml.attributes().value(QLatin1String("id")).toString();
            messages.insert(id, Message());
        } else if (xml.name() == QLatin1String("numerusform")) {
            messages[id].forms << xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            if (xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished"))
                continue;
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (messages[id].forms.isEmpty())
                messages[id].forms << text;
        }
    }
    return messages;
}

} // namespace

class TestCatalogues : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shouldHaveEnglishForEveryIdInUse_data();
    void shouldHaveEnglishForEveryIdInUse();
    void shouldTranslateEveryEnglishId_data();
    void shouldTranslateEveryEnglishId();
    void shouldKeepLengthVariantsAndPlurals();
};

void TestCatalogues::shouldHaveEnglishForEveryIdInUse_data()
{
    QTest::addColumn<QString>("id");
    QMap<QString, QStringList> ids = idsInSources();
    for (const char *id : ProgramIds)
        ids[QLatin1String(id)] << QStringLiteral("(program text)");
    for (auto it = ids.cbegin(); it != ids.cend(); ++it)
        QTest::newRow(qPrintable(it.key() + QLatin1String(" in ") + it.value().first()))
            << it.key();
}

void TestCatalogues::shouldHaveEnglishForEveryIdInUse()
{
    QFETCH(QString, id);
    const QString file =
        MDataPaths::find(QStringLiteral("translations/%1_en.qm").arg(catalogueOf(id)));
    QVERIFY2(!file.isEmpty(), "the English catalogue is built");
    QTranslator translator;
    QVERIFY(translator.load(file));
    const QString text = translator.translate(nullptr, id.toUtf8().constData());
    QVERIFY2(!text.isEmpty(), qPrintable(id + QLatin1String(" has no English text")));
    QVERIFY(text != id);
}

void TestCatalogues::shouldTranslateEveryEnglishId_data()
{
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("language");
    for (const char *catalogue : {"telephony", "skype", "call-accounts"})
        for (const char *language : {"ar", "de"})
            QTest::newRow(qPrintable(QStringLiteral("%1_%2").arg(catalogue, language)))
                << catalogue << language;
}

void TestCatalogues::shouldTranslateEveryEnglishId()
{
    QFETCH(QString, catalogue);
    QFETCH(QString, language);
    const QDir dir(QStringLiteral(CH_SOURCE_DIR "/data/translations"));
    const auto english = readTs(dir.filePath(catalogue + QLatin1String("_en.ts")));
    const auto translated = readTs(dir.filePath(catalogue + QLatin1Char('_') + language + ".ts"));
    QVERIFY(!english.isEmpty());
    QStringList missing;
    for (auto it = english.cbegin(); it != english.cend(); ++it) {
        const Message m = translated.value(it.key());
        if (m.forms.isEmpty() || m.forms.contains(QString()))
            missing << it.key();
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));
    QCOMPARE(translated.keys(), english.keys());
}

void TestCatalogues::shouldKeepLengthVariantsAndPlurals()
{
    QTranslator english;
    QVERIFY(english.load(MDataPaths::find(QStringLiteral("translations/telephony_en.qm"))));
    QCOMPARE(english.translate(nullptr, "qtn_call_video_call"),
             QStringLiteral("Video call") + QChar(0x9c) + QStringLiteral("Video"));
    QCOMPARE(english.translate(nullptr, "qtn_call_multiple_contact_number", nullptr, 1),
             QStringLiteral("%n contact"));
    QCOMPARE(english.translate(nullptr, "qtn_call_multiple_contact_number", nullptr, 3),
             QStringLiteral("%n contacts"));

    QTranslator arabic;
    QVERIFY(arabic.load(MDataPaths::find(QStringLiteral("translations/telephony_ar.qm"))));
    QCOMPARE(arabic.translate(nullptr, "qtn_call_multiple_contact_number", nullptr, 2),
             QString::fromUtf8("جهتا اتصال"));
    QCOMPARE(arabic.translate(nullptr, "qtn_call_multiple_contact_number", nullptr, 5),
             QString::fromUtf8("%n جهات اتصال"));
}

QTEST_GUILESS_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
