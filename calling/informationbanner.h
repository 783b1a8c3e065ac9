#pragma once

#include <QString>

// Shows text in an information banner ("InformationBanner" style) over the active window; the
// banner goes away by itself. Nothing is shown without a window.
void showInformationBanner(const QString &text);
