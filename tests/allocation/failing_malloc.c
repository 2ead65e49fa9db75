/* Preloaded under a test host: the C library's allocator with a switch that
 * makes every allocation after the first N fail, and a count of the blocks
 * live, so that a test can fail each allocation of a conversion in turn and
 * see that nothing leaks. Single-threaded hosts only. */
#define _GNU_SOURCE
#include <errno.h>
#include <limits.h>
#include <stddef.h>

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* block, size_t size);
extern void* __libc_memalign(size_t alignment, size_t size);
extern void __libc_free(void* block);

static long g_calls;
static long g_failAfter = -1; /* -1: nothing fails, and nothing is counted */
static long g_live;

/* After this call, allocations are counted and all after the first `n` fail. */
void failing_malloc_arm(long n) {
    g_calls = 0;
    g_failAfter = n;
}
void failing_malloc_disarm(void) { g_failAfter = -1; }
long failing_malloc_calls(void) { return g_calls; }
long failing_malloc_live(void) { return g_live; }

static int Fails(void) {
    if (g_failAfter < 0) return 0;
    return ++g_calls > g_failAfter;
}

static void* Counted(void* block) {
    if (block) ++g_live;
    else errno = ENOMEM;
    return block;
}

void* malloc(size_t size) { return Fails() ? Counted(NULL) : Counted(__libc_malloc(size)); }
void* calloc(size_t count, size_t size) {
    return Fails() ? Counted(NULL) : Counted(__libc_calloc(count, size));
}
void* memalign(size_t alignment, size_t size) {
    return Fails() ? Counted(NULL) : Counted(__libc_memalign(alignment, size));
}
void* aligned_alloc(size_t alignment, size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) {
    void* block = memalign(alignment, size);
    if (!block) return ENOMEM;
    *out = block;
    return 0;
}
void free(void* block) {
    if (block) --g_live;
    __libc_free(block);
}
void* realloc(void* block, size_t size) {
    if (!block) return malloc(size);
    if (size == 0) {
        free(block);
        return NULL;
    }
    if (Fails()) {
        errno = ENOMEM;
        return NULL;
    }
    return __libc_realloc(block, size);
}
