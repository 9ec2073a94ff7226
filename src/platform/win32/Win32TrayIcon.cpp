#include "platform/win32/Win32TrayIcon.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <iterator>

namespace vanto::win32 {

namespace {

// One icon per owner window: the shell tells icons apart by window and this id.
constexpr UINT TRAY_ICON_ID = 1;
// The icon resources the executable carries: the application's icon, then the microphone's
// muted and missing variants of it.
constexpr WORD APPLICATION_ICON_RESOURCE = 1;
constexpr WORD MICROPHONE_MUTED_ICON_RESOURCE = 2;
constexpr WORD NO_MICROPHONE_ICON_RESOURCE = 3;

WORD IconResourceOf(platform::TTrayIconVariant AVariant) {
    switch (AVariant) {
    case platform::TTrayIconVariant::MicrophoneMuted:
        return MICROPHONE_MUTED_ICON_RESOURCE;
    case platform::TTrayIconVariant::NoMicrophone:
        return NO_MICROPHONE_ICON_RESOURCE;
    case platform::TTrayIconVariant::Plain:
    case platform::TTrayIconVariant::MicrophoneLive:
        break;
    }
    return APPLICATION_ICON_RESOURCE;
}

HWND ToHwnd(platform::TWindowHandle AWindow) {
    return reinterpret_cast<HWND>(AWindow);
}

// The resource at the small-icon size, so the shell does not have to scale the 32-pixel one.
HICON LoadOwnIcon(WORD AResource) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(AResource),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

// The tip field is a fixed array; a longer hint is cut rather than refused.
void CopyTip(const std::u16string& AHint, WCHAR (&ATip)[128]) {
    const std::size_t Length = std::min(AHint.size(), std::size(ATip) - 1);
    std::copy_n(AHint.begin(), Length, ATip);
    ATip[Length] = L'\0';
}

HMENU BuildMenu(const std::vector<platform::TMenuItem>& AItems) {
    HMENU Menu = CreatePopupMenu();
    if (Menu == nullptr) {
        return nullptr;
    }
    for (const platform::TMenuItem& Item : AItems) {
        const std::u16string Caption = MenuCaptionText(Item.FCaption);
        AppendMenuW(Menu, MF_STRING, Item.FCommandId, AsWide(Caption));
    }
    return Menu;
}

} // namespace

std::u16string MenuCaptionText(const std::u16string& ACaption) {
    std::u16string Text;
    Text.reserve(ACaption.size());
    for (char16_t Unit : ACaption) {
        if (Unit == u'&') {
            Text += u'&';
        }
        Text += Unit;
    }
    return Text;
}

TWin32TrayIcon::TWin32TrayIcon() : FTaskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {
    LoadIconOf(APPLICATION_ICON_RESOURCE);
}

TWin32TrayIcon::~TWin32TrayIcon() {
    Remove();
    ReleaseIcon();
}

void TWin32TrayIcon::LoadIconOf(unsigned short AResource) {
    HICON Icon = LoadOwnIcon(AResource);
    if (Icon == nullptr && AResource != APPLICATION_ICON_RESOURCE) {
        // A variant the module lacks: the application's icon rather than none.
        Icon = LoadOwnIcon(APPLICATION_ICON_RESOURCE);
    }
    FOwnsIcon = Icon != nullptr;
    FIcon = FOwnsIcon ? Icon : LoadIconW(nullptr, IDI_APPLICATION);
    FIconResource = AResource;
}

void TWin32TrayIcon::ReleaseIcon() {
    if (FOwnsIcon) {
        DestroyIcon(static_cast<HICON>(FIcon));
    }
    FIcon = nullptr;
    FOwnsIcon = false;
}

void TWin32TrayIcon::SetIconVariant(platform::TTrayIconVariant AVariant) {
    const WORD Resource = IconResourceOf(AVariant);
    if (Resource == FIconResource) {
        return;
    }
    // The shell copies the icon it is given, so the old one may go before the new one is shown.
    ReleaseIcon();
    LoadIconOf(Resource);
    if (FAdded) {
        Notify(NIM_MODIFY);
    }
}

bool TWin32TrayIcon::Notify(unsigned long AAction) const {
    NOTIFYICONDATAW Data{};
    Data.cbSize = sizeof(Data);
    Data.hWnd = ToHwnd(FOwner);
    Data.uID = TRAY_ICON_ID;
    Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    Data.uCallbackMessage = FCallbackMessage;
    Data.hIcon = static_cast<HICON>(FIcon);
    CopyTip(FHint, Data.szTip);
    return Shell_NotifyIconW(AAction, &Data) != FALSE;
}

bool TWin32TrayIcon::Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
                         const std::u16string& AHint) {
    if (FAdded && AOwner != FOwner) {
        Remove();
    }
    FOwner = AOwner;
    FCallbackMessage = ACallbackMessage;
    FHint = AHint;
    // A shell that still shows the icon refuses to add it twice; then it is brought up to date.
    FAdded = Notify(NIM_ADD) || (FAdded && Notify(NIM_MODIFY));
    return FAdded;
}

bool TWin32TrayIcon::SetHint(const std::u16string& AHint) {
    FHint = AHint;
    return FAdded && Notify(NIM_MODIFY);
}

void TWin32TrayIcon::Remove() {
    if (FAdded) {
        Notify(NIM_DELETE);
        FAdded = false;
    }
}

void TWin32TrayIcon::ShowMenu(const std::vector<platform::TMenuItem>& AItems) {
    if (FOwner == 0 || AItems.empty()) {
        return;
    }
    HMENU Menu = BuildMenu(AItems);
    if (Menu == nullptr) {
        return;
    }
    POINT Cursor{};
    GetCursorPos(&Cursor);
    // Without the owner in the foreground the menu would not close when the user clicks
    // elsewhere; the empty message afterwards makes a second opening work at once.
    SetForegroundWindow(ToHwnd(FOwner));
    const UINT Alignment =
        GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    TrackPopupMenu(Menu, Alignment | TPM_RIGHTBUTTON, Cursor.x, Cursor.y, 0, ToHwnd(FOwner),
                   nullptr);
    PostMessageW(ToHwnd(FOwner), WM_NULL, 0, 0);
    DestroyMenu(Menu);
}

platform::TMessageId TWin32TrayIcon::TaskbarCreatedMessage() {
    return FTaskbarCreated;
}

} // namespace vanto::win32
