#pragma once

class MApplicationWindow;

namespace TestSupport {
// The program's window as page tests use it: the telephony catalogue installed in the default
// locale, a 480 x 854 portrait window handed to the page manager, shown and exposed. The caller
// owns the window. Null when the window never became exposed.
MApplicationWindow *showProgramWindow();
} // namespace TestSupport
