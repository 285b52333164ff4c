#pragma once
#include "framework/Handle.h"

// The named mutex that keeps a second copy of the installer from running.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name) : name_(name) {}

    // Takes the mutex. False when another instance holds it, including one
    // that this process may not open with full access (another user or
    // integrity level), which CreateMutexW reports as existing or denied.
    bool Acquire();
    void Release() { mutex_.Close(); }

private:
    const wchar_t* name_;
    fw::Handle mutex_;
};
