#ifndef ADDRESSBOOKTOOL_H
#define ADDRESSBOOKTOOL_H

#include <QtContacts/QContactManager>

#include <QScopedPointer>
#include <QStringList>
#include <QTextStream>

// The commands of the address-book tool (list, import, export, add, delete) on the address book
// opened through the contacts engine, so that every process with the book open is told of the
// changes; which book is used and why (sources); and a pass that brings the mirror of the
// desktop's address book (EDS) and EDS in step (sync), which also follows every write to that
// mirror when no other process keeps it. Messages go to the error stream; results to the output
// stream.
class AddressBookTool
{
public:
    enum { DefaultSyncTimeout = 30 };

    AddressBookTool(QTextStream &out, QTextStream &err);
    ~AddressBookTool();

    // Runs the command line (without the program name); returns the exit status.
    int run(QStringList arguments);

private:
    bool openBook(const QString &databaseFile, bool writing);
    int list();
    int importFile(const QStringList &arguments);
    int exportFile(const QStringList &arguments);
    int add(const QStringList &arguments);
    int remove(const QStringList &arguments);
    int sources(const QStringList &arguments);
    int sync(const QStringList &arguments, const QString &databaseFile);
    // Runs the mirror of file until EDS and it are in step (or timeoutSeconds pass).
    int syncMirror(const QString &file, int timeoutSeconds, bool verbose);
    int usage(const QString &problem);
    bool readInput(const QString &file, QByteArray *data);

    QTextStream &m_out;
    QTextStream &m_err;
    QString m_file;
    QScopedPointer<QtContacts::QContactManager> m_manager;
};

#endif // ADDRESSBOOKTOOL_H
