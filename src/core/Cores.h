#pragma once

#include <functional>

// Runs work(0) .. work(count - 1), each exactly once, spread over the
// processor's cores (at most a few threads), and returns when all are done.
// The calls may run in any order and at the same time, so work must touch
// nothing that another call writes. An exception from any call is rethrown
// here, after the others have finished.
void RunOnCores(int count, const std::function<void(int)>& work);

// The one way work is spread over the cores: items 0 .. count - 1 in runs
// of chunkSize (the last may be shorter), work(chunk, begin, end) once per
// run, through RunOnCores. A chunk's index lets each keep its own partial
// result, to be combined in chunk order afterwards, so that what comes out
// never depends on the number of threads.
void RunInChunks(int count, int chunkSize, const std::function<void(int chunk, int begin, int end)>& work);

// How many chunks RunInChunks makes of count items.
int ChunkCount(int count, int chunkSize);

// How many threads RunOnCores uses (at least 1), for work that spreads
// itself over the cores in its own way.
int CoreThreadCount();

// Limits RunOnCores (and CoreThreadCount) to that many threads from now on (0: as many as there
// are cores, up to a few); returns the limit it replaces. Results never
// depend on it; it is there to show that they do not.
int SetCoreLimit(int threads);
