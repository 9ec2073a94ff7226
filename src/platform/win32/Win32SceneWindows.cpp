#include "platform/win32/Win32SceneWindows.h"

#include "platform/win32/Win32Gdiplus.h"
#include "platform/win32/Win32SceneRenderer.h"

#include <windows.h>
#include <windowsx.h>

#include <cstdint>
#include <vector>

namespace vanto::win32 {

using platform::TScene;
using platform::TScenePlacement;
using platform::TWindowHandle;
using platform::TWParam;

namespace {

constexpr const wchar_t* SCENE_WINDOW_CLASS = L"VantoSceneWindow";

class TWin32SceneWindow final : public platform::ISceneWindow {
public:
    TWin32SceneWindow(TWindowHandle AOwner, platform::TMessageId AClickMessage,
                      TScenePlacement APlacement,
                      const platform::TSceneWindowStyle& AStyle);
    ~TWin32SceneWindow() override;
    TWin32SceneWindow(const TWin32SceneWindow&) = delete;
    TWin32SceneWindow& operator=(const TWin32SceneWindow&) = delete;

    void Show(const TScene& AScene) override;
    void Hide() override;
    bool IsVisible() override;
    void BringToFront() override;
    TWindowHandle Handle() override { return reinterpret_cast<TWindowHandle>(FWindow); }

    // Messages arrive before CreateWindowExW returns the handle.
    void Attach(HWND AWindow) { FWindow = AWindow; }
    // The window procedure's share of the messages; false leaves one to DefWindowProcW.
    bool HandleMessage(UINT AMsg, LPARAM ALParam, LRESULT& AResult);
    void Forget() { FWindow = nullptr; }

private:
    void Paint();
    void Place();
    float Dpi() const;
    TWParam CommandAt(int AX, int AY) const;
    void MouseDown(int AX, int AY);
    void MouseUp(int AX, int AY);
    bool SetHandCursor();

    // Keeps GDI+ running from one rendering to the next rather than starting it for each.
    TGdiplusScope FGdiplus;
    HWND FOwner;
    UINT FClickMessage;
    TScenePlacement FPlacement;
    bool FTopMost;
    HWND FWindow = nullptr;
    TScene FScene;
    std::vector<std::uint32_t> FPixels;
    TWParam FPressedCommand = 0;
};

TWin32SceneWindow* WindowOf(HWND AWindow) {
    return reinterpret_cast<TWin32SceneWindow*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
}

TWin32SceneWindow* Adopt(HWND AWindow, LPARAM ACreateStruct) {
    auto* Window = static_cast<TWin32SceneWindow*>(
        reinterpret_cast<const CREATESTRUCTW*>(ACreateStruct)->lpCreateParams);
    SetWindowLongPtrW(AWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Window));
    Window->Attach(AWindow);
    return Window;
}

LRESULT CALLBACK SceneWindowProcedure(HWND AWindow, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
    TWin32SceneWindow* Window = AMsg == WM_NCCREATE ? Adopt(AWindow, ALParam) : WindowOf(AWindow);
    if (AMsg == WM_NCDESTROY && Window != nullptr) {
        SetWindowLongPtrW(AWindow, GWLP_USERDATA, 0);
        Window->Forget();
        Window = nullptr;
    }
    LRESULT Result = 0;
    if (Window != nullptr && Window->HandleMessage(AMsg, ALParam, Result)) {
        return Result;
    }
    return DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
}

HINSTANCE ThisModule() {
    return GetModuleHandleW(nullptr);
}

// Registered once for the process and kept: windows may outlive the factory that made them.
bool EnsureSceneClass() {
    WNDCLASSEXW Class{};
    Class.cbSize = sizeof Class;
    if (GetClassInfoExW(ThisModule(), SCENE_WINDOW_CLASS, &Class)) {
        return Class.lpfnWndProc == SceneWindowProcedure;
    }
    Class.lpfnWndProc = SceneWindowProcedure;
    Class.hInstance = ThisModule();
    Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Class.lpszClassName = SCENE_WINDOW_CLASS;
    return RegisterClassExW(&Class) != 0;
}

POINT CentreOfScreen(int AWidth, int AHeight) {
    return {(GetSystemMetrics(SM_CXSCREEN) - AWidth) / 2,
            (GetSystemMetrics(SM_CYSCREEN) - AHeight) / 2};
}

POINT TopRightOfWorkArea(int AWidth) {
    RECT Work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0)) {
        Work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return {Work.right - AWidth, Work.top};
}

bool Contains(const platform::TSceneRect& ARect, int AX, int AY) {
    return AX >= ARect.X && AX < ARect.X + ARect.Width && AY >= ARect.Y &&
           AY < ARect.Y + ARect.Height;
}

TWin32SceneWindow::TWin32SceneWindow(TWindowHandle AOwner, platform::TMessageId AClickMessage,
                                     TScenePlacement APlacement,
                                     const platform::TSceneWindowStyle& AStyle)
    : FOwner(reinterpret_cast<HWND>(AOwner)), FClickMessage(AClickMessage), FPlacement(APlacement),
      FTopMost(AStyle.FTopMost) {
    if (!EnsureSceneClass()) {
        return;
    }
    // A tool window gets no taskbar button; the owner is only told of clicks, not made the
    // window's owner, so that its hiding or destruction leaves this window alone.
    const DWORD ExStyle = WS_EX_TOOLWINDOW | (FTopMost ? WS_EX_TOPMOST : 0);
    CreateWindowExW(ExStyle, SCENE_WINDOW_CLASS, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                    ThisModule(), this);
}

TWin32SceneWindow::~TWin32SceneWindow() {
    if (FWindow != nullptr) {
        const HWND Window = FWindow;
        SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
        FWindow = nullptr;
        DestroyWindow(Window);
    }
}

void TWin32SceneWindow::Show(const TScene& AScene) {
    if (FWindow == nullptr) {
        return;
    }
    FScene = AScene;
    FPixels = RenderSceneToPixels(FScene, Dpi());
    Place();
    // Showing takes the focus from nobody; BringToFront is the explicit way to the foreground.
    ShowWindow(FWindow, SW_SHOWNA);
    InvalidateRect(FWindow, nullptr, FALSE);
    UpdateWindow(FWindow);
}

void TWin32SceneWindow::Hide() {
    if (FWindow != nullptr) {
        ShowWindow(FWindow, SW_HIDE);
    }
}

bool TWin32SceneWindow::IsVisible() {
    return FWindow != nullptr && IsWindowVisible(FWindow);
}

void TWin32SceneWindow::BringToFront() {
    if (FWindow != nullptr) {
        SetWindowPos(FWindow, FTopMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(FWindow);
    }
}

bool TWin32SceneWindow::HandleMessage(UINT AMsg, LPARAM ALParam, LRESULT& AResult) {
    switch (AMsg) {
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would only flicker.
        AResult = 1;
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_LBUTTONDOWN:
        MouseDown(GET_X_LPARAM(ALParam), GET_Y_LPARAM(ALParam));
        return true;
    case WM_LBUTTONUP:
        MouseUp(GET_X_LPARAM(ALParam), GET_Y_LPARAM(ALParam));
        return true;
    case WM_CAPTURECHANGED:
        FPressedCommand = 0;
        return true;
    case WM_SETCURSOR:
        AResult = TRUE;
        return LOWORD(ALParam) == HTCLIENT && SetHandCursor();
    case WM_CLOSE:
        Hide();
        return true;
    default:
        return false;
    }
}

void TWin32SceneWindow::Paint() {
    PAINTSTRUCT Paint{};
    const HDC DC = BeginPaint(FWindow, &Paint);
    if (!FPixels.empty()) {
        BITMAPINFO Info{};
        Info.bmiHeader.biSize = sizeof Info.bmiHeader;
        Info.bmiHeader.biWidth = FScene.Width;
        Info.bmiHeader.biHeight = -FScene.Height; // rows from the top, as rendered
        Info.bmiHeader.biPlanes = 1;
        Info.bmiHeader.biBitCount = 32;
        Info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(DC, 0, 0, static_cast<DWORD>(FScene.Width),
                          static_cast<DWORD>(FScene.Height), 0, 0, 0,
                          static_cast<UINT>(FScene.Height), FPixels.data(), &Info, DIB_RGB_COLORS);
    }
    EndPaint(FWindow, &Paint);
}

void TWin32SceneWindow::Place() {
    const POINT Where = FPlacement == TScenePlacement::TopRightOfWorkArea
                            ? TopRightOfWorkArea(FScene.Width)
                            : CentreOfScreen(FScene.Width, FScene.Height);
    // A popup has no frame, so its window size is its client size.
    SetWindowPos(FWindow, FTopMost ? HWND_TOPMOST : HWND_TOP, Where.x, Where.y, FScene.Width,
                 FScene.Height, SWP_NOACTIVATE);
}

float TWin32SceneWindow::Dpi() const {
    const HDC DC = GetDC(FWindow);
    const int Dpi = DC != nullptr ? GetDeviceCaps(DC, LOGPIXELSY) : 0;
    if (DC != nullptr) {
        ReleaseDC(FWindow, DC);
    }
    return Dpi > 0 ? static_cast<float>(Dpi) : SCENE_DEFAULT_DPI;
}

// The last item drawn lies on top, so it takes the click.
TWParam TWin32SceneWindow::CommandAt(int AX, int AY) const {
    for (auto Item = FScene.Items.rbegin(); Item != FScene.Items.rend(); ++Item) {
        if (Item->FCommandId != 0 && Contains(Item->FBounds, AX, AY)) {
            return Item->FCommandId;
        }
    }
    return 0;
}

void TWin32SceneWindow::MouseDown(int AX, int AY) {
    FPressedCommand = CommandAt(AX, AY);
    if (FPressedCommand != 0) {
        // The release may happen outside the window; it must still end the press.
        SetCapture(FWindow);
    }
}

void TWin32SceneWindow::MouseUp(int AX, int AY) {
    const TWParam Pressed = FPressedCommand;
    FPressedCommand = 0;
    if (GetCapture() == FWindow) {
        ReleaseCapture();
    }
    if (Pressed != 0 && CommandAt(AX, AY) == Pressed && FOwner != nullptr) {
        PostMessageW(FOwner, FClickMessage, Pressed, 0);
    }
}

bool TWin32SceneWindow::SetHandCursor() {
    POINT Cursor{};
    if (!GetCursorPos(&Cursor) || !ScreenToClient(FWindow, &Cursor) ||
        CommandAt(Cursor.x, Cursor.y) == 0) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

} // namespace

std::unique_ptr<platform::ISceneWindow>
TWin32SceneWindows::CreateSceneWindow(TWindowHandle AOwner, platform::TMessageId AClickMessage,
                                      TScenePlacement APlacement,
                                      const platform::TSceneWindowStyle& AStyle) {
    // A window that could not be made has handle 0 and never shows, as a failed platform call
    // leaves things as they were.
    return std::make_unique<TWin32SceneWindow>(AOwner, AClickMessage, APlacement, AStyle);
}

} // namespace vanto::win32
