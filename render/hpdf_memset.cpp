// libharu clears a 512-byte scratch buffer with a byte-by-byte loop of its own before nearly
// every operator it writes, which is most of its cost on a page of a thousand texts. This
// definition takes the place of the library's (the shared library calls it through its symbol
// table, so the program's own definition wins) and does the same with the C library's memset,
// returning what the library's does: the end of the cleared bytes. The linker is told to keep
// it (render/CMakeLists.txt), since nothing in the program calls it by name.
#include <cstring>
#include <hpdf_utils.h>

extern "C" void* HPDF_MemSet(void* s, HPDF_BYTE c, HPDF_UINT n) {
    std::memset(s, c, n);
    return static_cast<HPDF_BYTE*>(s) + n;
}
