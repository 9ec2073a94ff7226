#include "platform/win32/Win32SceneWindows.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Gdiplus.h"
#include "platform/win32/Win32SceneAnimation.h"
#include "platform/win32/Win32ScenePlacement.h"
#include "platform/win32/Win32ScenePresenter.h"
#include "platform/win32/Win32SceneRenderer.h"

#include <windows.h>
#include <windowsx.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace vanto::win32 {

using platform::TScene;
using platform::TScenePlacement;
using platform::TWindowHandle;
using platform::TWParam;

namespace {

constexpr const wchar_t* SCENE_WINDOW_CLASS = L"VantoSceneWindow";
// Posted to the window itself when a shown scene changes; one waits at most at any time.
constexpr UINT WM_SCENE_REDRAW = WM_USER + 0x100;

class TWin32SceneWindow final : public platform::ISceneWindow {
public:
    TWin32SceneWindow(TWindowHandle AOwner, platform::TMessageId AClickMessage,
                      TScenePlacement APlacement, const platform::TSceneWindowStyle& AStyle);
    ~TWin32SceneWindow() override;
    TWin32SceneWindow(const TWin32SceneWindow&) = delete;
    TWin32SceneWindow& operator=(const TWin32SceneWindow&) = delete;

    void Show(const TScene& AScene) override;
    void Hide() override;
    bool IsVisible() override;
    void BringToFront() override;
    void SetOpacity(std::uint8_t AOpacity) override;
    TWindowHandle Handle() override { return reinterpret_cast<TWindowHandle>(FWindow); }

    // Messages arrive before CreateWindowExW returns the handle.
    void Attach(HWND AWindow) { FWindow = AWindow; }
    // The window procedure's share of the messages; false leaves one to DefWindowProcW.
    bool HandleMessage(UINT AMsg, WPARAM AWParam, LPARAM ALParam, LRESULT& AResult);
    void Forget() { FWindow = nullptr; }

private:
    void ShowHidden();
    void RequestRedraw();
    void Redraw();
    void AnimationTick();
    void UpdateAnimationTimer();
    double SecondsShown() const;
    void Render();
    void Present();
    void Paint();
    void Place();
    float Dpi() const;
    TWParam CommandAt(int AX, int AY) const;
    void MouseDown(int AX, int AY);
    void MouseUp(int AX, int AY);
    bool SetHandCursor();

    // Keeps GDI+ running from one rendering to the next rather than starting it for each, but
    // only while the window is shown: a monitor that shows nothing keeps GDI+ unloaded.
    std::optional<TGdiplusScope> FGdiplus;
    HWND FOwner;
    UINT FClickMessage;
    TScenePlacement FPlacement;
    bool FTopMost;
    bool FPerPixelAlpha;
    bool FClickThrough;
    std::uint8_t FOpacity = 255;
    HWND FWindow = nullptr;
    TScene FScene;
    // The rendering on screen, and the size the window was given for it.
    std::vector<std::uint32_t> FPixels;
    SIZE FPlacedSize{0, 0};
    bool FRedrawPosted = false;
    bool FAnimating = false;
    // When the window last appeared: animations run from here.
    ULONGLONG FShownAtMs = 0;
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
    if (Window != nullptr && Window->HandleMessage(AMsg, AWParam, ALParam, Result)) {
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

bool Contains(const platform::TSceneRect& ARect, int AX, int AY) {
    return AX >= ARect.X && AX < ARect.X + ARect.Width && AY >= ARect.Y &&
           AY < ARect.Y + ARect.Height;
}

TWin32SceneWindow::TWin32SceneWindow(TWindowHandle AOwner, platform::TMessageId AClickMessage,
                                     TScenePlacement APlacement,
                                     const platform::TSceneWindowStyle& AStyle)
    : FOwner(reinterpret_cast<HWND>(AOwner)), FClickMessage(AClickMessage), FPlacement(APlacement),
      FTopMost(AStyle.FTopMost),
      // Only a layered transparent window lets the pointer through to other processes'
      // windows, not just to those of this thread; so click-through means layered.
      FPerPixelAlpha(AStyle.FPerPixelAlpha || AStyle.FClickThrough),
      FClickThrough(AStyle.FClickThrough) {
    if (!EnsureSceneClass()) {
        return;
    }
    // A tool window gets no taskbar button; the owner is only told of clicks, not made the
    // window's owner, so that its hiding or destruction leaves this window alone.
    const DWORD ExStyle = WS_EX_TOOLWINDOW | (FTopMost ? WS_EX_TOPMOST : 0) |
                          (FPerPixelAlpha ? WS_EX_LAYERED : 0) |
                          (FClickThrough ? WS_EX_NOACTIVATE | WS_EX_TRANSPARENT : 0);
    CreateWindowExW(ExStyle, SCENE_WINDOW_CLASS, AsWide(AStyle.FTitle), WS_POPUP, 0, 0, 0, 0,
                    nullptr, nullptr, ThisModule(), this);
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
    if (IsWindowVisible(FWindow)) {
        RequestRedraw();
    } else {
        ShowHidden();
    }
}

// Nobody waits for this one yet, so it draws at once: the window appears with its picture.
void TWin32SceneWindow::ShowHidden() {
    FShownAtMs = GetTickCount64();
    Render();
    Place();
    // Showing takes the focus from nobody; BringToFront is the explicit way to the foreground.
    // The picture follows: a window paints only once visible, and Wine does not always put on
    // screen what a layered window was given while hidden.
    ShowWindow(FWindow, FClickThrough ? SW_SHOWNOACTIVATE : SW_SHOWNA);
    Present();
    UpdateAnimationTimer();
}

// Callers include low-level input hooks, which must return quickly; rendering waits for the
// message loop, and scenes that arrive before it runs are drawn once, as the last of them.
void TWin32SceneWindow::RequestRedraw() {
    if (!FRedrawPosted) {
        FRedrawPosted = PostMessageW(FWindow, WM_SCENE_REDRAW, 0, 0) != FALSE;
    }
}

void TWin32SceneWindow::Redraw() {
    FRedrawPosted = false;
    // A hidden window draws afresh when it is shown again.
    if (!IsWindowVisible(FWindow)) {
        return;
    }
    Render();
    if (FPlacedSize.cx != FScene.Width || FPlacedSize.cy != FScene.Height) {
        Place();
    }
    Present();
    UpdateAnimationTimer();
}

void TWin32SceneWindow::AnimationTick() {
    if (!IsWindowVisible(FWindow)) {
        UpdateAnimationTimer();
        return;
    }
    Render();
    Present();
}

void TWin32SceneWindow::UpdateAnimationTimer() {
    const bool Wanted = IsWindowVisible(FWindow) && HasAnimation(FScene);
    if (Wanted && !FAnimating) {
        FAnimating =
            SetTimer(FWindow, SCENE_ANIMATION_TIMER, SCENE_ANIMATION_INTERVAL_MS, nullptr) != 0;
    } else if (!Wanted && FAnimating) {
        KillTimer(FWindow, SCENE_ANIMATION_TIMER);
        FAnimating = false;
    }
}

double TWin32SceneWindow::SecondsShown() const {
    return static_cast<double>(GetTickCount64() - FShownAtMs) / 1000;
}

void TWin32SceneWindow::Render() {
    if (!FGdiplus) {
        FGdiplus.emplace();
    }
    const TScene Now = HasAnimation(FScene) ? SceneAt(FScene, SecondsShown()) : FScene;
    FPixels = RenderSceneToPixels(
        Now, Dpi(), FPerPixelAlpha ? TSceneBackdrop::Transparent : TSceneBackdrop::OpaqueBlack);
}

void TWin32SceneWindow::Present() {
    if (FPerPixelAlpha) {
        PresentLayeredScene(FWindow, FPixels, FScene.Width, FScene.Height, FOpacity);
        return;
    }
    InvalidateRect(FWindow, nullptr, FALSE);
    UpdateWindow(FWindow);
}

void TWin32SceneWindow::Hide() {
    if (FWindow != nullptr) {
        ShowWindow(FWindow, SW_HIDE);
        UpdateAnimationTimer();
    }
    // The next show renders afresh, so nothing drawn needs GDI+ meanwhile.
    FGdiplus.reset();
}

// The pixels stay as rendered; only the blend over the desktop changes, so a fade step costs
// no rendering.
void TWin32SceneWindow::SetOpacity(std::uint8_t AOpacity) {
    FOpacity = AOpacity;
    if (FWindow != nullptr && FPerPixelAlpha && IsWindowVisible(FWindow)) {
        PresentLayeredScene(FWindow, FPixels, FScene.Width, FScene.Height, FOpacity);
    }
}

bool TWin32SceneWindow::IsVisible() {
    return FWindow != nullptr && IsWindowVisible(FWindow);
}

void TWin32SceneWindow::BringToFront() {
    // A window that must never take the focus stays where it is.
    if (FWindow == nullptr || FClickThrough) {
        return;
    }
    if (!IsWindowVisible(FWindow)) {
        FShownAtMs = GetTickCount64();
    }
    // Shown first: a hidden window cannot take the foreground.
    SetWindowPos(FWindow, FTopMost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(FWindow);
    SetFocus(FWindow);
    UpdateAnimationTimer();
}

bool TWin32SceneWindow::HandleMessage(UINT AMsg, WPARAM AWParam, LPARAM ALParam, LRESULT& AResult) {
    switch (AMsg) {
    case WM_SCENE_REDRAW:
        Redraw();
        return true;
    case WM_TIMER:
        if (AWParam != SCENE_ANIMATION_TIMER) {
            return false;
        }
        AnimationTick();
        return true;
    case WM_MOUSEACTIVATE:
        if (!FClickThrough) {
            return false;
        }
        AResult = MA_NOACTIVATE;
        return true;
    case WM_NCHITTEST:
        if (!FClickThrough) {
            return false;
        }
        AResult = HTTRANSPARENT;
        return true;
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

// A layered window keeps the picture UpdateLayeredWindow gave it, so a paint only validates.
void TWin32SceneWindow::Paint() {
    PAINTSTRUCT Paint{};
    const HDC DC = BeginPaint(FWindow, &Paint);
    if (!FPerPixelAlpha) {
        PaintScenePixels(DC, FPixels, FScene.Width, FScene.Height);
    }
    EndPaint(FWindow, &Paint);
}

void TWin32SceneWindow::Place() {
    const TScenePosition Where = PlaceScene(
        FPlacement, FScene.Width, FScene.Height,
        FPlacement == TScenePlacement::BottomCentreOfPointerScreen ? PointerSceneScreen()
                                                                   : CurrentSceneScreen());
    // A popup has no frame, so its window size is its client size.
    SetWindowPos(FWindow, FTopMost ? HWND_TOPMOST : HWND_TOP, Where.FLeft, Where.FTop, FScene.Width,
                 FScene.Height, SWP_NOACTIVATE);
    FPlacedSize = {FScene.Width, FScene.Height};
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
