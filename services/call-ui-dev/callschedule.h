#pragma once

// How the development call-UI service plays out each call it is asked for: after how many
// milliseconds the callee answers and the call ends (negative: that step never comes), or
// whether requests are refused; and how long a call rung in (Ring) rings before the caller gives
// up (negative: until it is answered or declined).
struct CallSchedule
{
    int answerAfter = 2000;
    int endAfter = 6000;
    bool fail = false;
    int ringFor = 30000;
};
