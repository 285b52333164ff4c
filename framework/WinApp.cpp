#include "framework/WinApp.h"

namespace fw {

int WinApp::Run() {
    if (InitInstance()) SetExitCode(RunMessageLoop());
    return ExitInstance();
}

int WinApp::RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace fw
