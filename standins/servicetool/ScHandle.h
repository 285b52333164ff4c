#pragma once
#include <windows.h>

// Move-only owner of a Service Control Manager or service handle.
class ScHandle {
public:
    explicit ScHandle(SC_HANDLE h = nullptr) : h_(h) {}
    ~ScHandle() { if (h_) ::CloseServiceHandle(h_); }
    ScHandle(ScHandle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    ScHandle(const ScHandle&) = delete;
    ScHandle& operator=(const ScHandle&) = delete;
    ScHandle& operator=(ScHandle&&) = delete;
    SC_HANDLE Get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    SC_HANDLE h_;
};
