#include "app/HeapSettings.h"

#include <cstdlib>  // defines __GLIBC__ where glibc is the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace heapsettings {

void keepFreedMemoryAtHand()
{
#if defined(__GLIBC__)
    // Setting either one turns off glibc's own adjusting of both; glibc would raise the mmap threshold as
    // far as 32 MB on its own, so 1 MB keeps nothing from the system that it would not keep anyway.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    // Small freed blocks are merged with their neighbours when freed instead of waiting in the fast bins for
    // one long merge at the next large request: after a result of 260,000 titles was freed, that merge came
    // at the start of the next search and took 10 to 30 ms.
    mallopt(M_MXFAST, 0);
#endif
}

}  // namespace heapsettings
