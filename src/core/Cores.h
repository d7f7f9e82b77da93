#pragma once

#include <functional>

// Runs work(0) .. work(count - 1), each exactly once, spread over the
// processor's cores (at most a few threads), and returns when all are done.
// The calls may run in any order and at the same time, so work must touch
// nothing that another call writes. An exception from any call is rethrown
// here, after the others have finished.
void RunOnCores(int count, const std::function<void(int)>& work);

// How many threads RunOnCores uses (at least 1), for work that spreads
// itself over the cores in its own way.
int CoreThreadCount();

// Limits RunOnCores (and CoreThreadCount) to that many threads from now on (0: as many as there
// are cores, up to a few); returns the limit it replaces. Results never
// depend on it; it is there to show that they do not.
int SetCoreLimit(int threads);
