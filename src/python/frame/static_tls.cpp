// Has the loader place the C++ runtime's thread-local block in every thread's
// static TLS when the module is loaded, so that no thread's first throw needs
// to allocate it.
//
// glibc gives a library loaded by dlopen its thread-local block at a thread's
// first use of it, from malloc, and ends the process when that allocation
// fails. When a library's thread-local data is reached through a TLS
// descriptor (-mtls-dialect=gnu2 on x86-64, the default on AArch64), glibc
// instead places that library's block in the room it keeps beside the static
// TLS, at load time, in every thread, if no thread has used the block yet and
// the room suffices; otherwise the descriptor reaches the block as before,
// and a thread's first call readies it (ready_thread_for_exceptions).
// libstdc++'s block holds the exception state and std::call_once's variables:
// the one reference here is to one of those, a descriptor that is resolved at
// load and never used.
#include <mutex>

#if defined(__GLIBCXX__) && defined(_GLIBCXX_HAVE_TLS)
namespace vemo::py::detail {
[[gnu::used]] void* const* cxx_runtime_tls_anchor() { return &std::__once_callable; }
}  // namespace vemo::py::detail
#endif
