#include "calluiapimanager.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<CallUiApiManager> s_instance;
}

CallUiApiManager *CallUiApiManager::instance()
{
    if (!s_instance)
        s_instance = new CallUiApiManager(QCoreApplication::instance());
    return s_instance;
}

CallUiApiManager::CallUiApiManager(QObject *parent) : QObject(parent) {}
