#pragma once

#include <functional>

// Runs work(0) .. work(count - 1), each exactly once, spread over the
// processor's cores (at most a few threads), and returns when all are done.
// The calls may run in any order and at the same time, so work must touch
// nothing that another call writes. An exception from any call is rethrown
// here, after the others have finished.
void RunOnCores(int count, const std::function<void(int)>& work);

// Limits RunOnCores to that many threads from now on (0: as many as there
// are cores, up to a few); returns the limit it replaces. Results never
// depend on it; it is there to show that they do not.
int SetCoreLimit(int threads);
