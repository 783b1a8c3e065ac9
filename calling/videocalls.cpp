#include "videocalls.h"

#include <QFileInfo>

QString videoCallButtonFlagPath()
{
    const QString overridden = qEnvironmentVariable("CALL_HISTORY_VIDEO_BUTTON_FLAG");
    return overridden.isEmpty() ? QStringLiteral("/etc/call-ui/callUIVideoButton") : overridden;
}

bool isVideoCallButtonEnabled()
{
    return QFileInfo::exists(videoCallButtonFlagPath());
}
