#pragma once

class CallHistoryPage;

// What the benchmarks that run the whole program wait for on the call history page: the page
// itself, the window showing its list with rows made, and the model loaded as far as it loads on
// its own (up to its load limit; more only when the view asks).
namespace HistoryPageState {
CallHistoryPage *page();
bool listShown();
bool waitForLoaded(int timeoutMs);
} // namespace HistoryPageState
