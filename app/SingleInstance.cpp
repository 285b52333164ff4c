#include "app/SingleInstance.h"

bool SingleInstance::Acquire() {
    fw::Handle existing(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name_));
    if (existing.IsValid()) return false;

    mutex_.Reset(::CreateMutexW(nullptr, FALSE, name_));
    DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        mutex_.Close();
        return false;
    }
    return true;
}
