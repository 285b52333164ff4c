// setup.exe's share of the C++ runtime, kept to what the program uses.
//
// The product's code is built without exceptions. The standard library's
// prebuilt parts would still throw, and a throw links the unwinder, the
// demangler and the runtime's formatted printing: most of a megabyte for
// errors the program never recovers from. Here an allocation that fails, or
// a library precondition that breaks, ends the process with exit code 3, as
// an exception nobody catches would.
#include <windows.h>

#include <cstddef>
#include <new>
#include <string>

namespace {

[[noreturn]] void Abandon() { ::ExitProcess(3); }

void* Allocate(std::size_t size) {
    void* block = ::HeapAlloc(::GetProcessHeap(), 0, size ? size : 1);
    if (!block) Abandon();
    return block;
}

void Release(void* block) {
    if (block) ::HeapFree(::GetProcessHeap(), 0, block);
}

} // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }

namespace std {
void __throw_bad_alloc() { Abandon(); }
void __throw_bad_array_new_length() { Abandon(); }
void __throw_length_error(const char*) { Abandon(); }
void __throw_logic_error(const char*) { Abandon(); }
void __throw_out_of_range(const char*) { Abandon(); }
void __throw_out_of_range_fmt(const char*, ...) { Abandon(); }
void __throw_invalid_argument(const char*) { Abandon(); }
} // namespace std

// The library's prebuilt wide string throws; these members, built here
// without exceptions, are the ones setup.exe links.
template class std::basic_string<wchar_t>;
