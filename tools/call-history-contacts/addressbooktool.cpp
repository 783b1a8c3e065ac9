#include "addressbooktool.h"

#include "addressbookchangebus.h"
#include "addressbookdatabase.h"
#include "contactsengine.h"
#include "contactssource.h"
#include "edscontactsservice.h"
#include "vcardcodec.h"

#include <QtContacts/QContactDetailFilter>
#include <QtContacts/QContactGuid>
#include <QtContacts/QContactName>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

using namespace QtContacts;
using ContactsEngine::ContactsSource;
using ContactsEngine::EdsRegistryProbe;

namespace {

const char usageText[] =
    "Usage: call-history-contacts [--database FILE] COMMAND [ARGUMENTS]\n"
    "Commands:\n"
    "  list                          one line per contact: id, name, numbers and addresses\n"
    "  import FILE|-                 adds the contacts of a vCard 2.1/3.0/4.0 file; a card whose "
    "UID\n"
    "                                is already stored replaces that contact (a file with two\n"
    "                                cards of one UID is refused)\n"
    "  export [--vcard4] [FILE|-]    writes every contact as vCard 3.0 (4.0 with --vcard4)\n"
    "  add NAME [--mobile N] [--home N] [--work N] [--fax N] [--phone N]\n"
    "           [--voip URI [--account-path PATH] [--capabilities LIST]] [--guid GUID]\n"
    "                                adds a contact and prints its id\n"
    "  delete ID...                  deletes the contacts\n"
    "  sources                       which address book is used and why, and the address books\n"
    "                                of the desktop's address book (Evolution Data Server, EDS)\n"
    "  sync [--timeout SECONDS]      brings the mirror of EDS and EDS in step (both ways) and\n"
    "                                ends (30 s at most by default); nothing to do when the\n"
    "                                program, which keeps them in step, is running\n"
    "The address book is FILE, else $CALL_HISTORY_CONTACTS_DB, else the chosen one: the desktop's\n"
    "(EDS, through its mirror $XDG_DATA_HOME/call-history/eds-contacts.db) or our own\n"
    "($XDG_DATA_HOME/call-history/contacts.db). $CALL_HISTORY_CONTACTS (eds or local) chooses, "
    "else\n"
    "the setting /apps/call-history/contacts/source (eds, local or auto), else EDS's when it has "
    "an\n"
    "enabled address book. Changes to the mirror reach EDS at once (sync) when the program is not\n"
    "running.\n";

QString describe(const QContact &contact)
{
    QStringList parts;
    parts << QString::number(ContactsEngine::toLocalId(contact.id()))
          << ContactsEngine::synthesizedContactDisplayLabel(contact);
    for (const QContactPhoneNumber &number : contact.details<QContactPhoneNumber>())
        parts << number.number();
    for (const QContactOnlineAccount &account : contact.details<QContactOnlineAccount>())
        parts << account.accountUri();
    return parts.join(QLatin1Char('\t'));
}

} // namespace

AddressBookTool::AddressBookTool(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

AddressBookTool::~AddressBookTool() = default;

int AddressBookTool::usage(const QString &problem)
{
    if (!problem.isEmpty())
        m_err << "call-history-contacts: " << problem << "\n";
    m_err << usageText;
    m_err.flush();
    return 2;
}

bool AddressBookTool::openBook(const QString &databaseFile, bool writing)
{
    m_file = ContactsEngine::databasePath(
        databaseFile.isEmpty()
            ? QMap<QString, QString>()
            : QMap<QString, QString>{
                  {QString::fromLatin1(ContactsEngine::databaseParameter), databaseFile}});
    // Opened once directly, to report why a file cannot be used (for a command that writes, also
    // a file damaged inside).
    {
        ContactsEngine::AddressBookDatabase check(m_file);
        if (!check.open() || (writing && !check.checkIntegrity())) {
            m_err << "call-history-contacts: " << check.errorString() << "\n";
            m_err.flush();
            return false;
        }
    }
    const QString name = ContactsEngine::ensureRegistered();
    m_manager.reset(new QContactManager(
        name, {{QString::fromLatin1(ContactsEngine::databaseParameter), m_file}}));
    if (m_manager->managerName() != name || m_manager->error() != QContactManager::NoError) {
        m_err << "call-history-contacts: the address book " << m_file << " cannot be opened\n";
        m_err.flush();
        return false;
    }
    return true;
}

int AddressBookTool::run(QStringList arguments)
{
    QString databaseFile;
    if (arguments.value(0) == QLatin1String("--database")) {
        if (arguments.size() < 2)
            return usage(QStringLiteral("--database needs a file"));
        databaseFile = arguments.at(1);
        arguments = arguments.mid(2);
    }
    if (arguments.isEmpty())
        return usage(QString());
    const QString command = arguments.takeFirst();
    static const QStringList commands = {QStringLiteral("list"),   QStringLiteral("import"),
                                         QStringLiteral("export"), QStringLiteral("add"),
                                         QStringLiteral("delete"), QStringLiteral("sources"),
                                         QStringLiteral("sync")};
    if (command == QLatin1String("--help") || command == QLatin1String("help")) {
        m_out << usageText;
        return 0;
    }
    if (!commands.contains(command))
        return usage(QStringLiteral("unknown command \"%1\"").arg(command));
    if (command == QLatin1String("sources"))
        return sources(arguments);
    if (command == QLatin1String("sync"))
        return sync(arguments, databaseFile);
    const bool writing = command == QLatin1String("import") || command == QLatin1String("add") ||
                         command == QLatin1String("delete");
    if (!openBook(databaseFile, writing))
        return 1;
    int status = 0;
    if (command == QLatin1String("list"))
        status = list();
    else if (command == QLatin1String("import"))
        status = importFile(arguments);
    else if (command == QLatin1String("export"))
        status = exportFile(arguments);
    else if (command == QLatin1String("add"))
        status = add(arguments);
    else
        status = remove(arguments);
    ContactsEngine::AddressBookChangeBus::flush();
    // A change to the mirror of EDS goes on to EDS now, unless the program does it.
    if (writing && databaseFile.isEmpty() &&
        ContactsSource::current().kind == ContactsSource::Eds) {
        m_manager.reset();
        const int synced =
            syncMirror(ContactsSource::mirrorDatabasePath(), DefaultSyncTimeout, false);
        status = status ? status : synced;
    }
    m_out.flush();
    m_err.flush();
    return status;
}

int AddressBookTool::list()
{
    const QList<QContact> contacts = m_manager->contacts();
    if (m_manager->error() != QContactManager::NoError) {
        m_err << "call-history-contacts: cannot read the address book " << m_file << "\n";
        return 1;
    }
    for (const QContact &contact : contacts)
        m_out << describe(contact) << "\n";
    return 0;
}

bool AddressBookTool::readInput(const QString &file, QByteArray *data)
{
    QFile input;
    const bool opened = file == QLatin1String("-")
                            ? input.open(stdin, QIODevice::ReadOnly)
                            : (input.setFileName(file), input.open(QIODevice::ReadOnly));
    if (!opened) {
        m_err << "call-history-contacts: cannot read " << file << ": " << input.errorString()
              << "\n";
        return false;
    }
    // One byte more than allowed, so that the codec can tell a file that is too large.
    *data = input.read(ContactsEngine::VCardCodec::maximumInputSize + 1);
    return true;
}

int AddressBookTool::importFile(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return usage(QStringLiteral("import needs one file"));
    QByteArray data;
    if (!readInput(arguments.first(), &data))
        return 1;
    QString error;
    QList<QContact> contacts = ContactsEngine::VCardCodec::importContacts(data, &error);
    if (!error.isEmpty()) {
        m_err << "call-history-contacts: " << arguments.first() << ": " << error
              << "; nothing was imported\n";
        return 1;
    }
    // A card with the UID of a stored contact replaces it, so that importing twice does not
    // duplicate the contacts.
    int replaced = 0;
    for (QContact &contact : contacts) {
        const QString guid = contact.detail<QContactGuid>().guid();
        if (guid.isEmpty())
            continue;
        QContactDetailFilter filter;
        filter.setDetailType(QContactDetail::TypeGuid, QContactGuid::FieldGuid);
        filter.setValue(guid);
        filter.setMatchFlags(QContactFilter::MatchExactly | QContactFilter::MatchCaseSensitive);
        const QList<QContactId> ids = m_manager->contactIds(filter);
        if (!ids.isEmpty()) {
            contact.setId(ids.first());
            ++replaced;
        }
    }
    QMap<int, QContactManager::Error> errors;
    if (!m_manager->saveContacts(&contacts, &errors) && errors.isEmpty()) {
        m_err << "call-history-contacts: cannot write the address book " << m_file
              << "; nothing was imported\n";
        return 1;
    }
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        m_err << "call-history-contacts: card " << it.key() + 1 << " was not saved (error "
              << it.value() << ")\n";
    m_out << "imported " << contacts.size() - errors.size() << " contacts (" << replaced
          << " replaced)\n";
    return errors.isEmpty() ? 0 : 1;
}

int AddressBookTool::exportFile(const QStringList &arguments)
{
    QStringList rest = arguments;
    const bool vcard4 = rest.removeAll(QStringLiteral("--vcard4")) > 0;
    if (rest.size() > 1)
        return usage(QStringLiteral("export takes at most one file"));
    const QList<QContact> contacts = m_manager->contacts();
    if (m_manager->error() != QContactManager::NoError) {
        m_err << "call-history-contacts: cannot read the address book " << m_file << "\n";
        return 1;
    }
    const QByteArray text = ContactsEngine::VCardCodec::exportContacts(
        contacts,
        vcard4 ? ContactsEngine::VCardCodec::VCard40 : ContactsEngine::VCardCodec::VCard30);
    QFile output;
    const QString file = rest.value(0, QStringLiteral("-"));
    const bool opened = file == QLatin1String("-")
                            ? output.open(stdout, QIODevice::WriteOnly)
                            : (output.setFileName(file), output.open(QIODevice::WriteOnly));
    if (!opened || output.write(text) != text.size() || !output.flush()) {
        m_err << "call-history-contacts: cannot write " << file << ": " << output.errorString()
              << "\n";
        return 1;
    }
    return 0;
}

int AddressBookTool::add(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first().startsWith(QLatin1String("--")))
        return usage(QStringLiteral("add needs a name"));
    QContact contact;
    QContactName name;
    const QStringList words = arguments.first().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    name.setFirstName(words.value(0));
    name.setLastName(words.mid(1).join(QLatin1Char(' ')));
    contact.saveDetail(&name);
    QContactOnlineAccount account;
    bool hasAccount = false;
    auto saveAccount = [&] {
        if (hasAccount)
            contact.saveDetail(&account);
        account = QContactOnlineAccount();
        hasAccount = false;
    };
    for (int i = 1; i < arguments.size(); i += 2) {
        const QString option = arguments.at(i);
        if (i + 1 >= arguments.size())
            return usage(QStringLiteral("%1 needs a value").arg(option));
        const QString value = arguments.at(i + 1);
        if (option == QLatin1String("--mobile") || option == QLatin1String("--home") ||
            option == QLatin1String("--work") || option == QLatin1String("--fax") ||
            option == QLatin1String("--phone")) {
            QContactPhoneNumber number;
            number.setNumber(value);
            if (option == QLatin1String("--mobile"))
                number.setSubTypes({QContactPhoneNumber::SubTypeMobile});
            else if (option == QLatin1String("--fax"))
                number.setSubTypes({QContactPhoneNumber::SubTypeFax});
            else if (option == QLatin1String("--home"))
                number.setContexts(QContactDetail::ContextHome);
            else if (option == QLatin1String("--work"))
                number.setContexts(QContactDetail::ContextWork);
            contact.saveDetail(&number);
        } else if (option == QLatin1String("--voip")) {
            saveAccount();
            account.setAccountUri(value);
            account.setCapabilities({QStringLiteral("AudioCalls")});
            hasAccount = true;
        } else if (option == QLatin1String("--account-path") && hasAccount) {
            account.setValue(QContactOnlineAccount__FieldAccountPath, value);
        } else if (option == QLatin1String("--capabilities") && hasAccount) {
            account.setCapabilities(value.split(QLatin1Char(','), Qt::SkipEmptyParts));
        } else if (option == QLatin1String("--guid")) {
            QContactGuid guid;
            guid.setGuid(value);
            contact.saveDetail(&guid);
        } else {
            return usage(QStringLiteral("unknown option \"%1\" for add").arg(option));
        }
    }
    saveAccount();
    if (!m_manager->saveContact(&contact)) {
        m_err << "call-history-contacts: cannot write the address book " << m_file << "\n";
        return 1;
    }
    m_out << ContactsEngine::toLocalId(contact.id()) << "\n";
    return 0;
}

int AddressBookTool::remove(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(QStringLiteral("delete needs contact ids"));
    QList<QContactId> ids;
    for (const QString &argument : arguments) {
        bool ok = false;
        const uint id = argument.toUInt(&ok);
        if (!ok || id == 0)
            return usage(QStringLiteral("\"%1\" is not a contact id").arg(argument));
        ids.append(ContactsEngine::toContactId(id));
    }
    QMap<int, QContactManager::Error> errors;
    if (!m_manager->removeContacts(ids, &errors) && errors.isEmpty()) {
        m_err << "call-history-contacts: cannot write the address book " << m_file << "\n";
        return 1;
    }
    for (auto it = errors.cbegin(); it != errors.cend(); ++it)
        m_err << "call-history-contacts: no contact " << arguments.at(it.key()) << "\n";
    return errors.isEmpty() ? 0 : 1;
}

int AddressBookTool::sources(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return usage(QStringLiteral("sources takes no arguments"));
    const ContactsSource::Choice choice = ContactsSource::current();
    m_out << "chosen: " << ContactsSource::nameOf(choice.kind) << " (" << choice.reason << ")\n";
    m_out << "file: " << ContactsEngine::databasePath() << "\n";
    const EdsRegistryProbe::Result eds =
        EdsRegistryProbe::probe(QDBusConnection::sessionBus(), ContactsSource::ProbeTimeout);
    if (eds.state != EdsRegistryProbe::Answered) {
        m_out << "EDS: " << eds.error << "\n";
        return 0;
    }
    m_out << "EDS address books (" << eds.enabledCount() << " enabled):\n";
    for (const EdsRegistryProbe::AddressBook &book : eds.addressBooks)
        m_out << "  " << book.uid << "\t" << book.name << "\t" << book.backend << "\t"
              << (book.enabled ? "enabled" : "disabled") << "\n";
    return 0;
}

int AddressBookTool::sync(const QStringList &arguments, const QString &databaseFile)
{
    int timeout = DefaultSyncTimeout;
    if (!arguments.isEmpty()) {
        bool ok = false;
        timeout = arguments.value(1).toInt(&ok);
        if (arguments.size() != 2 || arguments.first() != QLatin1String("--timeout") || !ok ||
            timeout < 1 || timeout > 3600)
            return usage(QStringLiteral("sync takes --timeout SECONDS (1 to 3600)"));
    }
    if (databaseFile.isEmpty() && ContactsSource::current().kind != ContactsSource::Eds) {
        m_err << "call-history-contacts: the chosen address book is our own, not EDS's ("
              << ContactsSource::current().reason << ")\n";
        return 1;
    }
    return syncMirror(databaseFile.isEmpty() ? ContactsSource::mirrorDatabasePath() : databaseFile,
                      timeout, true);
}

int AddressBookTool::syncMirror(const QString &file, int timeoutSeconds, bool verbose)
{
    EdsContactsService service(file);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool settled = false;
    QString failure;
    QStringList refused;
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&service, &EdsContactsService::idle, &loop, [&] {
        settled = true;
        loop.quit();
    });
    QObject::connect(&service, &EdsContactsService::failed, &loop, [&](const QString &error) {
        failure = error;
        loop.quit();
    });
    QObject::connect(&service, &EdsContactsService::writeRefused,
                     [&](const QString &name, const QString &reason) {
                         refused << QStringLiteral("%1: %2").arg(name, reason);
                     });
    service.start();
    if (!service.isMirroring()) {
        if (verbose)
            m_out << "another process keeps the mirror in step with EDS\n";
        return 0;
    }
    deadline.start(timeoutSeconds * 1000);
    loop.exec();
    for (const QString &line : qAsConst(refused))
        m_err << "call-history-contacts: EDS did not take " << line << "\n";
    if (!failure.isEmpty()) {
        m_err << "call-history-contacts: " << failure << "\n";
        return 1;
    }
    if (!settled) {
        m_err << "call-history-contacts: EDS did not answer within " << timeoutSeconds
              << " s; the changes wait in the mirror " << file << "\n";
        return 1;
    }
    if (verbose)
        m_out << "the mirror " << file << " and EDS are in step\n";
    return refused.isEmpty() ? 0 : 1;
}
