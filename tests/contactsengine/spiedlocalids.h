#pragma once

#include <QString>

class QSignalSpy;

// The contact ids a spy on contactsAdded/Changed/Removed caught, as local ids: "1,2;3" for two
// emissions, the first with contacts 1 and 2.
QString spiedLocalIds(const QSignalSpy &spy);
