// The clearing of libharu's scratch buffer, which the library does before nearly every operator
// it writes: its own byte-by-byte loop against the program's replacement over memset.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <hpdf_consts.h>
#include <hpdf_utils.h>

namespace {

using MemSet = void* (*)(void*, HPDF_BYTE, HPDF_UINT);

// The library's own definition, the one the program's replaces, looked up in the library.
MemSet libraryMemSet() {
    void* library = dlopen("libhpdf-2.3.0.so", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    return reinterpret_cast<MemSet>(dlsym(library, "HPDF_MemSet"));
}

// Argument 0: libharu's loop; 1: the program's replacement.
void BM_ScratchBufferCleared(benchmark::State& state) {
    const MemSet clear = state.range(0) == 0 ? libraryMemSet() : &HPDF_MemSet;
    if (clear == nullptr || (state.range(0) == 0 && clear == &HPDF_MemSet)) {
        state.SkipWithError("libharu's own HPDF_MemSet was not found");
        return;
    }
    char buffer[HPDF_TMP_BUF_SIZ];
    for (auto _ : state) {
        clear(buffer, 0, HPDF_TMP_BUF_SIZ);
        benchmark::DoNotOptimize(buffer);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * HPDF_TMP_BUF_SIZ);
}

BENCHMARK(BM_ScratchBufferCleared)->ArgName("replaced")->Arg(0)->Arg(1);

} // namespace
