#ifndef ADDRESSBOOKTOOL_H
#define ADDRESSBOOKTOOL_H

#include <QtContacts/QContactManager>

#include <QScopedPointer>
#include <QStringList>
#include <QTextStream>

// The commands of the address-book tool (list, import, export, add, delete) on the address book
// opened through the contacts engine, so that every process with the book open is told of the
// changes. Messages go to the error stream; results to the output stream.
class AddressBookTool
{
public:
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
    int usage(const QString &problem);
    bool readInput(const QString &file, QByteArray *data);

    QTextStream &m_out;
    QTextStream &m_err;
    QString m_file;
    QScopedPointer<QtContacts::QContactManager> m_manager;
};

#endif // ADDRESSBOOKTOOL_H
