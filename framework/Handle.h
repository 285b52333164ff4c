#pragma once
#include <windows.h>

namespace fw {

// Move-only owner of a kernel handle. Both NULL and INVALID_HANDLE_VALUE
// mean "no handle", since Win32 functions use either for failure.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(Handle&& other) noexcept : h_(other.Release()) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool IsValid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    HANDLE Release() { HANDLE h = h_; h_ = nullptr; return h; }
    void Reset(HANDLE h = nullptr) { Close(); h_ = h; }
    void Close() {
        if (IsValid()) ::CloseHandle(h_);
        h_ = nullptr;
    }

private:
    HANDLE h_ = nullptr;
};

// Owner of a FindFirstFileW search handle.
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() { if (IsValid()) ::FindClose(h_); }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool IsValid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

// Owner of a loaded module (LoadLibraryW).
class Module {
public:
    Module() = default;
    explicit Module(HMODULE m) : m_(m) {}
    ~Module() { Reset(); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    HMODULE Get() const { return m_; }
    void Reset(HMODULE m = nullptr) {
        if (m_) ::FreeLibrary(m_);
        m_ = m;
    }

private:
    HMODULE m_ = nullptr;
};

// Owner of a service control manager or service handle.
class ServiceHandle {
public:
    explicit ServiceHandle(SC_HANDLE h) : h_(h) {}
    ~ServiceHandle() { if (h_) ::CloseServiceHandle(h_); }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    explicit operator bool() const { return h_ != nullptr; }
    SC_HANDLE Get() const { return h_; }

private:
    SC_HANDLE h_;
};

} // namespace fw
