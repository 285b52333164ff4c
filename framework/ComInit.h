#pragma once
#include <objbase.h>

namespace fw {

// Initialises COM (single-threaded apartment) on the calling thread for the
// lifetime of the object. Uninitialises only what it initialised: a thread
// already in another apartment model keeps it.
class ComInit {
public:
    ComInit() : result_(::CoInitialize(nullptr)) {}
    ~ComInit() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    HRESULT result_;
};

} // namespace fw
