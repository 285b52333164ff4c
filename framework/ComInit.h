#pragma once
#include <objbase.h>

namespace fw {

// Initialises COM on the calling thread for the lifetime of the object, in
// a single-threaded apartment unless told otherwise. Uninitialises only what
// it initialised: a thread already in another apartment model keeps it.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComInit() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;

private:
    HRESULT result_;
};

} // namespace fw
