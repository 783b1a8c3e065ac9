#include "contactsengine.h"
#include "mapplication.h"
#include "mapplicationwindow.h"
#include "mbutton.h"
#include "mgconfitem.h"
#include "mlabel.h"
#include "mlocale.h"
#include "mtextedit.h"
#include "phonenumbers.h"
#include "testsupport.h"
#include "voicemail.h"
#include "voicemaildialog.h"
#include "voicemailstore.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactManager>
#include <QtContacts/QContactPhoneNumber>

#include <QSignalSpy>
#include <QtTest>

#include <sqlite3.h>

using namespace QtContacts;

// The voicemail number dialog: what it refuses, what it stores (the dconf key and the voicemail
// contact), and what it reports.
class TestVoicemailDialog : public QObject
{
    Q_OBJECT
private:
    MApplicationWindow *m_window = nullptr;
    Voicemail *m_service = nullptr;

    static QString storedNumbers()
    {
        MGConfItem item(QLatin1String(VoicemailStore::numbersKey));
        return item.value().toStringList().join(QLatin1Char('|'));
    }

    static QString contactNumbers()
    {
        QContactManager book(ContactsEngine::ensureRegistered());
        QContactDetailFilter filter;
        filter.setDetailType(QContactGuid::Type, QContactGuid::FieldGuid);
        filter.setValue(QString::fromLatin1(VoicemailStore::voicemailContactGUID));
        filter.setMatchFlags(QContactFilter::MatchFixedString);
        QStringList out;
        for (const QContact &contact : book.contacts(filter)) {
            QStringList numbers;
            for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
                numbers << number.number();
            out << numbers.join(QLatin1Char('|'));
        }
        return out.join(QLatin1Char(';'));
    }

    // "number/error" of each report.
    static QString reports(const QSignalSpy &spy)
    {
        QStringList out;
        for (const QList<QVariant> &args : spy)
            out << args.at(0).toString() + QLatin1Char('/') +
                       QString::number(args.at(1).value<Voicemail::VoicemailError>());
        return out.join(QLatin1Char(';'));
    }

    VoicemailDialog *openDialog()
    {
        auto *dialog = new VoicemailDialog(false, m_service, &isValidNumber);
        dialog->appear(m_window, MSceneWindow::DestroyWhenDone);
        return dialog;
    }

    void tap(QGraphicsWidget *w)
    {
        QTest::mouseClick(m_window->viewport(), Qt::LeftButton, {},
                          m_window->mapFromScene(w->mapToScene(w->rect().center())));
    }

    void setLanguage(const QString &name)
    {
        MLocale locale(name);
        locale.installTrCatalog(QStringLiteral("telephony"));
        MLocale::setDefault(locale);
    }

    // dconf takes writes asynchronously: each case starts once the service reads what was set.
    void setNumbers(const QStringList &numbers)
    {
        QCOMPARE(m_service->setVoicemailNumbers(VoicemailNumber::fromStringList(numbers)),
                 Voicemail::NoError);
        QTRY_COMPARE(VoicemailNumber::toStringList(m_service->currentNumbers()), numbers);
    }

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<Voicemail::VoicemailError>();
        setLanguage(QStringLiteral("en_GB"));
        m_service = new Voicemail(this);
        m_window = new MApplicationWindow;
        m_window->resize(480, 854);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    void init() { setNumbers({}); }

    void cleanupTestCase() { delete m_window; }

    void shouldRefuseAnInvalidNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("letters") << "call 0401234";
        QTest::newRow("a lone trailing pause") << "0401234567p";
        QTest::newRow("only spaces") << "   ";
        QTest::newRow("markup") << "<b>040</b>";
    }
    void shouldRefuseAnInvalidNumber()
    {
        QFETCH(QString, number);
        QPointer<VoicemailDialog> dialog = openDialog();
        QSignalSpy results(dialog.data(), &VoicemailDialog::preferredVoicemailNumber);
        dialog->numberEdit()->setText(number);
        tap(dialog->saveButton());
        QTRY_COMPARE(dialog->messageLabel()->text(), qtTrId("qtn_call_voicemail_number_invalid"));
        QCOMPARE(dialog->messageLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
        QCOMPARE(reports(results), QString());
        QCOMPARE(storedNumbers(), QString());
        QCOMPARE(contactNumbers(), QString());
        if (QTest::currentDataTag() == QLatin1String("letters"))
            TestSupport::saveScreenshot(m_window, QStringLiteral("voicemaildialog-invalid-en"));
        dialog->dismiss();
        QTRY_VERIFY(!dialog);
        // Closing without a number reports an empty one.
        QCOMPARE(reports(results), QStringLiteral("/0"));
    }

    void shouldSaveAValidNumberAsThePreferredOne_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first number") << QStringList() << " +358 40 123 4567 "
                                      << "+358 40 123 4567";
        QTest::newRow("others kept after it")
            << QStringList{"0401111111", "0402222222"} << "0402222222"
            << "0402222222|0401111111";
        QTest::newRow("hidden caller id and a pause with digits")
            << QStringList() << "*31#0401234567p12"
            << "*31#0401234567p12";
    }
    void shouldSaveAValidNumberAsThePreferredOne()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, number);
        QFETCH(QString, expected);
        setNumbers(before);
        QPointer<VoicemailDialog> dialog = openDialog();
        QSignalSpy results(dialog.data(), &VoicemailDialog::preferredVoicemailNumber);
        dialog->numberEdit()->setText(number);
        if (QTest::currentDataTag() == QLatin1String("first number"))
            TestSupport::saveScreenshot(m_window, QStringLiteral("voicemaildialog-en"));
        tap(dialog->saveButton());
        QTRY_VERIFY(!dialog);
        QCOMPARE(reports(results), expected.section(QLatin1Char('|'), 0, 0) + QStringLiteral("/0"));
        QTRY_COMPARE(storedNumbers(), expected);
        QCOMPARE(contactNumbers(), expected);
    }

    // Another process holds the address book's write lock: the save waits for it without
    // blocking the dialog (its save button waits), then ends as usual.
    void shouldStayResponsiveWhileTheAddressBookIsBusy()
    {
        sqlite3 *other = nullptr;
        QCOMPARE(
            sqlite3_open(QFile::encodeName(ContactsEngine::databasePath()).constData(), &other),
            SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        QPointer<VoicemailDialog> dialog = openDialog();
        QSignalSpy results(dialog.data(), &VoicemailDialog::preferredVoicemailNumber);
        dialog->numberEdit()->setText(QStringLiteral("0404444444"));
        tap(dialog->saveButton());
        QTRY_VERIFY(dialog && !dialog->saveButton()->isEnabled());
        // A second tap meanwhile starts nothing more.
        dialog->save();
        QCOMPARE(reports(results), QString());
        QCOMPARE(dialog->sceneWindowState(), MSceneWindow::Appeared);
        TestSupport::saveScreenshot(m_window, QStringLiteral("voicemaildialog-saving-en"));
        QCOMPARE(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(other);
        QTRY_VERIFY(!dialog);
        QCOMPARE(reports(results), QStringLiteral("0404444444/0"));
        QTRY_COMPARE(storedNumbers(), QStringLiteral("0404444444"));
        QCOMPARE(contactNumbers(), QStringLiteral("0404444444"));
    }

    void shouldStartWithTheCurrentNumberWhenAsked()
    {
        setNumbers({QStringLiteral("0403333333")});
        QScopedPointer<VoicemailDialog> with(new VoicemailDialog(true, m_service));
        QScopedPointer<VoicemailDialog> without(new VoicemailDialog(false, m_service));
        QCOMPARE(with->numberEdit()->text() + '/' + without->numberEdit()->text(),
                 QStringLiteral("0403333333/"));
    }

    void shouldLayOutRightToLeftInArabic()
    {
        setLanguage(QStringLiteral("ar_EG"));
        QPointer<VoicemailDialog> dialog = openDialog();
        dialog->numberEdit()->setText(QStringLiteral("+358 40 123 4567"));
        QTest::qWait(50);
        TestSupport::saveScreenshot(m_window, QStringLiteral("voicemaildialog-ar"));
        dialog->numberEdit()->setText(QStringLiteral("abc"));
        tap(dialog->saveButton());
        QTRY_COMPARE(dialog->messageLabel()->text(), qtTrId("qtn_call_voicemail_number_invalid"));
        TestSupport::saveScreenshot(m_window, QStringLiteral("voicemaildialog-invalid-ar"));
        dialog->dismiss();
        setLanguage(QStringLiteral("en_GB"));
    }
};

CH_TOUCH_TEST_MAIN(TestVoicemailDialog)
#include "tst_voicemaildialog.moc"
