/* An allocator that fails one chosen call: preloaded (LD_PRELOAD) into a Python
 * process, it passes every allocation on to the C library's and, once armed
 * with k > 0, returns null (errno ENOMEM) for the k-th allocation after
 * arming and for no other; armed with 0 it only counts them. The process arms
 * it through ctypes: alloc_fail_arm(k), then alloc_fail_count() gives the
 * allocations made since, and alloc_fail_where() where the failed one was
 * made (enum place). That is also written to stderr as the call fails, for a
 * process that the failure ends: the dynamic loader's own allocations in
 * dlopen (its data and error texts) are made by ld.so and libc, and some of
 * their failures end the process ("out of memory"). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void* (*next_malloc)(size_t);
static void* (*next_calloc)(size_t, size_t);
static void* (*next_realloc)(void*, size_t);
static int (*next_posix_memalign)(void**, size_t, size_t);
static void* (*next_aligned_alloc)(size_t, size_t);
static void* (*next_memalign)(size_t, size_t);
static void (*next_free)(void*);

/* Where the failed call was made. */
enum place { not_failed, before_dlopen, in_loader, in_dlopen, after_dlopen };
static const char* const place_names[] = {"not failed", "before dlopen", "in the dynamic loader",
                                           "in dlopen, outside the loader", "after dlopen"};

static void* (*next_dlopen)(const char*, int);
static int dlopen_depth;  /* dlopen calls running (on any thread: the process has one) */
static int dlopen_seen;
static enum place failed_where;

static long armed_at;  /* the call to fail; 0: none */
static long calls;     /* allocations since arming */
static int armed;

/* dlsym may allocate (calloc) before the next allocator is known: those few
 * blocks come from here and are never freed. */
static char early[4096] __attribute__((aligned(16)));
static size_t early_used;

static int in_early(void* p) { return (char*)p >= early && (char*)p < early + sizeof early; }

static void* early_alloc(size_t n) {
    n = (n + 15) & ~(size_t)15;
    if (n > sizeof early - early_used) return NULL;
    void* p = early + early_used;
    early_used += n;
    return p;
}

static void find_next(void) {
    static int finding;
    if (finding) return;
    finding = 1;
    next_calloc = (void* (*)(size_t, size_t))dlsym(RTLD_NEXT, "calloc");
    next_malloc = (void* (*)(size_t))dlsym(RTLD_NEXT, "malloc");
    next_realloc = (void* (*)(void*, size_t))dlsym(RTLD_NEXT, "realloc");
    next_posix_memalign = (int (*)(void**, size_t, size_t))dlsym(RTLD_NEXT, "posix_memalign");
    next_aligned_alloc = (void* (*)(size_t, size_t))dlsym(RTLD_NEXT, "aligned_alloc");
    next_memalign = (void* (*)(size_t, size_t))dlsym(RTLD_NEXT, "memalign");
    next_free = (void (*)(void*))dlsym(RTLD_NEXT, "free");
    next_dlopen = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
}

/* Whether the code at `caller` is the dynamic loader's (ld.so) or the C library's. */
static int in_loader_code(void* caller) {
    Dl_info info;
    if (!dladdr(caller, &info) || !info.dli_fname) return 0;
    const char* base = strrchr(info.dli_fname, '/');
    base = base ? base + 1 : info.dli_fname;
    return strncmp(base, "ld-linux", 8) == 0 || strncmp(base, "ld.so", 5) == 0 || strncmp(base, "libc.so", 7) == 0;
}

static void note_failure(void* caller) {
    if (dlopen_depth > 0) failed_where = in_loader_code(caller) ? in_loader : in_dlopen;
    else failed_where = dlopen_seen ? after_dlopen : before_dlopen;
    static const char head[] = "alloc_fail_shim: the failed allocation was made ";
    (void)!write(2, head, sizeof head - 1);
    (void)!write(2, place_names[failed_where], strlen(place_names[failed_where]));
    (void)!write(2, "\n", 1);
}

/* Whether this allocation is the one to fail. */
#define FAILS() fails(__builtin_return_address(0))
static int fails(void* caller) {
    if (!armed) return 0;
    long n = __atomic_add_fetch(&calls, 1, __ATOMIC_RELAXED);
    if (n != armed_at) return 0;
    note_failure(caller);
    errno = ENOMEM;
    return 1;
}

void alloc_fail_arm(long k) {
    __atomic_store_n(&calls, 0, __ATOMIC_RELAXED);
    armed_at = k;
    dlopen_seen = 0;
    failed_where = not_failed;
    armed = 1;
}

int alloc_fail_where(void) { return failed_where; }

void alloc_fail_disarm(void) { armed = 0; }

long alloc_fail_count(void) { return __atomic_load_n(&calls, __ATOMIC_RELAXED); }

void* malloc(size_t n) {
    if (!next_malloc) find_next();
    if (!next_malloc) return early_alloc(n);
    return FAILS() ? NULL : next_malloc(n);
}

void* calloc(size_t count, size_t n) {
    if (!next_calloc) find_next();
    if (!next_calloc) return early_alloc(count * n);  /* zero: a static buffer */
    return FAILS() ? NULL : next_calloc(count, n);
}

void* realloc(void* p, size_t n) {
    if (!next_realloc) find_next();
    if (in_early(p)) return NULL;  /* not expected: dlsym's blocks are not grown */
    return FAILS() ? NULL : next_realloc(p, n);
}

void free(void* p) {
    if (!p || in_early(p)) return;
    next_free(p);  /* known: p came from the next allocator */
}

int posix_memalign(void** out, size_t align, size_t n) {
    if (!next_posix_memalign) find_next();
    return FAILS() ? ENOMEM : next_posix_memalign(out, align, n);
}

void* aligned_alloc(size_t align, size_t n) {
    if (!next_aligned_alloc) find_next();
    return FAILS() ? NULL : next_aligned_alloc(align, n);
}

void* memalign(size_t align, size_t n) {
    if (!next_memalign) find_next();
    return FAILS() ? NULL : next_memalign(align, n);
}

void* dlopen(const char* file, int mode) {
    if (!next_dlopen) find_next();
    ++dlopen_depth;
    dlopen_seen = 1;
    void* h = next_dlopen(file, mode);
    --dlopen_depth;
    return h;
}
