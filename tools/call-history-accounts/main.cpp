#include "accountstool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    AccountsTool tool(out, err);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    return tool.run(arguments);
}
