#pragma once
// Decoding the pictures before and after the shown one in the file list on a worker thread while the
// user looks at the shown one, so that stepping through a folder takes a finished bitmap instead of
// waiting for a decode. Only while the list window is open and outside crop mode.

#include <cstddef>

struct DecodedImage;

// After a picture is shown (or the list window opened): the neighbours are decoded once the program is
// idle, the one in the direction of the last step first. Outside the conditions above, drops them all.
void schedulePrefetch();
// The prefetched picture of `path` when it decoded and the file still has the size and last-write time it
// had then; the caller owns it. Null otherwise (null `path` too). Every other prefetch is thrown away and
// a running decode stopped first, so that a decode in the foreground has the memory to itself.
DecodedImage* takePrefetched(const char16_t* path);
// A step elsewhere, the folder listed anew, a save, the list window gone: the running decode is stopped
// and the prefetched pictures are freed.
void discardPrefetches();
// At shutdown, before the frame goes: also the worker's last message and the prefetch's own window.
void shutdownPrefetch();

// Finished prefetches held (decoded or failed), and whether a decode runs now.
size_t prefetchedCount();
bool prefetchRunning();
