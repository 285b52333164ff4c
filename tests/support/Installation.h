#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace test {

// Everything one test's install makes, under names of its own: the folder,
// the product (and so its shortcuts, uninstall entry and Run value) and the
// stand-in service. Removes all of it when it goes, whatever the test left.
struct Installation {
    explicit Installation(const std::wstring& tag);
    // A product under the folder and name a medium's own setup.ini gives.
    Installation(const std::wstring& tag, const std::wstring& folderName, const std::wstring& productName);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    // A setup.ini for this product in `medium`; a ServiceToolTimeout and a
    // StopTimeout of that many seconds where they are not 0.
    void WriteSetupIni(const std::wstring& medium, int launchInSilentMode, int serviceToolTimeout = 0,
                       int stopTimeout = 0) const;
    void RemoveAll() const;
    // Stops and deletes the stand-in service, once its tool is done with it.
    void RemoveService() const;
    // The service tool's runs from the installation folder (not the
    // service, which runs the same program).
    std::vector<DWORD> ServiceToolRuns() const;
    std::wstring Installed(const std::wstring& name) const { return installDir + L"\\" + name; }

    std::wstring tag, folder, appName, serviceName;
    std::wstring installDir, group, desktopLink, uninstallKey;

private:
    ScopedEnv service_;
};

// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\ as the installer sees it.
std::wstring CurrentVersionKey();

// Removes every compatibility mark whose path holds `text` (any case).
void DeleteCompatMarksContaining(const std::wstring& text);

} // namespace test
