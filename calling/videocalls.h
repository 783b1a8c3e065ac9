#pragma once

#include <QString>

// Whether video calls are offered: true when the flag file "/etc/call-ui/callUIVideoButton"
// exists. The environment variable CALL_HISTORY_VIDEO_BUTTON_FLAG, when set, names another flag
// file instead; tests use it to switch video calls on and off.
bool isVideoCallButtonEnabled();

// The flag file that isVideoCallButtonEnabled() looks at.
QString videoCallButtonFlagPath();
