// ch-test-telepathy-cm: the tests' Telepathy connection manager (see testconnectionmanager.h).
#include "testconnectionmanager.h"

#include <TelepathyQt/Debug>
#include <TelepathyQt/Types>

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Tp::registerTypes();
    Tp::enableDebug(false);
    Tp::enableWarnings(false);
    TestConnectionManager manager;
    if (!manager.registerOnBus()) {
        std::fprintf(stderr, "ch-test-telepathy-cm: cannot register on the session bus\n");
        return 1;
    }
    return app.exec();
}
