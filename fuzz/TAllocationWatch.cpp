#include "fuzz/TAllocationWatch.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define JBX_WATCH_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JBX_WATCH_ALLOCATIONS 1
#endif
#endif

#ifdef JBX_WATCH_ALLOCATIONS
// The sanitizer runtime's interface; gcc ships no header for it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void *, size_t),
                                                         void (*freeHook)(const volatile void *));
extern "C" void __sanitizer_print_stack_trace();
#endif

namespace {
std::atomic<bool> Watching{false};
std::atomic<size_t> Limit{0};
std::atomic<size_t> FixedSize{0};
std::atomic<size_t> LargestSeen{0};

#ifdef JBX_WATCH_ALLOCATIONS
// Runs inside malloc: no allocation here, and only async-signal-safe output.
void OnMalloc(const volatile void *, size_t size)
{
    if (!Watching.load(std::memory_order_relaxed))
        return;
    size_t largest = LargestSeen.load(std::memory_order_relaxed);
    while (size > largest && !LargestSeen.compare_exchange_weak(largest, size, std::memory_order_relaxed)) {
    }
    if (size > Limit.load(std::memory_order_relaxed) && size != FixedSize.load(std::memory_order_relaxed)) {
        Watching = false;
        std::fprintf(stderr, "==jbx== allocation of %zu bytes exceeds the limit of %zu bytes\n", size,
                     Limit.load());
        __sanitizer_print_stack_trace();
        std::abort();
    }
}

void OnFree(const volatile void *) {}

bool Install()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}
#else
bool Install() { return false; }
#endif
} // namespace

TAllocationWatch::TAllocationWatch(size_t limit, size_t fixedSize)
{
    Install();
    Limit = limit;
    FixedSize = fixedSize;
    LargestSeen = 0;
    Watching = true;
}

TAllocationWatch::~TAllocationWatch() { Watching = false; }

bool TAllocationWatch::Available() { return Install(); }

size_t TAllocationWatch::Largest() const { return LargestSeen; }
