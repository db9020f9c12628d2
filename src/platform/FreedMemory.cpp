#include "platform/FreedMemory.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void mapBigBlocksSeparately() {
#if defined(__GLIBC__)
    // A fixed bound also turns off the library's raising of it.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
}
