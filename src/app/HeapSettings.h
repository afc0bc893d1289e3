#pragma once
// How the process's heap hands memory back to the system.

namespace heapsettings {
// Keeps up to 16 MB of freed memory at the top of the heap instead of returning it at once, and serves
// requests under 1 MB from the heap. Without this, every listing or search that frees the previous
// one's strings gives the pages back, and the next one takes them again, a page fault each (tens of
// thousands over a few hundred listings). Small freed blocks are merged at once, not in one long pass at a
// later request. Call first in main(), before other threads start.
void keepFreedMemoryAtHand();
}  // namespace heapsettings
