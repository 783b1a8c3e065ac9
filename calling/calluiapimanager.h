#pragma once

#include <QObject>

#include "calluiserviceapi.h"

// The process's one client of the call-UI service, shared by every page.
class CallUiApiManager : public QObject
{
    Q_OBJECT
public:
    static CallUiApiManager *instance();
    CallUi::CallUiServiceApi *callUiApi() { return &m_api; }

private:
    explicit CallUiApiManager(QObject *parent);

    CallUi::CallUiServiceApi m_api;
};
