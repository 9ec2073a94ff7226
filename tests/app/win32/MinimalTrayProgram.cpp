// The yardstick for the monitor's idle footprint: a hidden window, a message loop and a tray
// icon, nothing else. It ends when its window is closed.
//
//   minimal_tray_program [--idle-thread]
//
// --idle-thread adds one thread that only waits, to tell what a thread costs.

#include <windows.h>

#include <shellapi.h>

namespace {

constexpr wchar_t WINDOW_CLASS[] = L"VantoMinimalTrayProgram";
constexpr UINT TRAY_CALLBACK = WM_APP + 1;

LRESULT CALLBACK WindowProcedure(HWND AWindow, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
    if (AMsg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
}

} // namespace

DWORD WINAPI WaitForever(void*) {
    Sleep(INFINITE);
    return 0;
}

int WINAPI wWinMain(HINSTANCE AInstance, HINSTANCE, PWSTR ACommandLine, int) {
    if (lstrcmpW(ACommandLine, L"--idle-thread") == 0) {
        CloseHandle(CreateThread(nullptr, 0, WaitForever, nullptr, 0, nullptr));
    }
    WNDCLASSW Class{};
    Class.lpfnWndProc = WindowProcedure;
    Class.hInstance = AInstance;
    Class.lpszClassName = WINDOW_CLASS;
    if (RegisterClassW(&Class) == 0) {
        return 1;
    }
    HWND Window = CreateWindowExW(0, WINDOW_CLASS, WINDOW_CLASS, WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, AInstance, nullptr);
    if (Window == nullptr) {
        return 1;
    }
    NOTIFYICONDATAW Icon{};
    Icon.cbSize = sizeof(Icon);
    Icon.hWnd = Window;
    Icon.uID = 1;
    Icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    Icon.uCallbackMessage = TRAY_CALLBACK;
    Icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(Icon.szTip, L"Minimal", 8);
    Shell_NotifyIconW(NIM_ADD, &Icon);
    MSG Message;
    while (GetMessageW(&Message, nullptr, 0, 0) > 0) {
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
    }
    Shell_NotifyIconW(NIM_DELETE, &Icon);
    return 0;
}
