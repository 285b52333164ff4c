#pragma once
#include <windows.h>

namespace fw {

// The application object: wWinMain constructs one and calls Run, which
// calls InitInstance, runs the message loop only if InitInstance asks for
// it, and ends with ExitInstance, whose result is the process exit code.
class WinApp {
public:
    WinApp() = default;
    virtual ~WinApp() = default;
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    int Run();

protected:
    virtual bool InitInstance() = 0;
    virtual int ExitInstance() { return exitCode_; }
    void SetExitCode(int code) { exitCode_ = code; }
    int ExitCode() const { return exitCode_; }

private:
    int RunMessageLoop();
    int exitCode_ = 0;
};

} // namespace fw
