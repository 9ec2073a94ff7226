#pragma once

#include "platform/TrayIcon.h"

#include <string>
#include <vector>

namespace vanto::win32 {

// Escapes the ampersands of a menu caption: Windows would take "&x" as the item's hot key,
// and the monitor shows its captions as they are written.
std::u16string MenuCaptionText(const std::u16string& ACaption);

// The monitor's icon in the notification area through Shell_NotifyIconW.
//
// The icon is the executable's icon resource 1 (the system's application icon when the module
// has none); the microphone's muted and missing variants are resources 2 and 3. The shell reports
// clicks in the old way (no NIM_SETVERSION), so the callback message carries the mouse message
// itself in lParam. The menu is tracked on the calling thread; its choice reaches the owner as
// WM_COMMAND once the menu has closed.
//
// Use from the thread that owns the owner window; the icon is removed with the object.
class TWin32TrayIcon final : public platform::ITrayIcon {
public:
    TWin32TrayIcon();
    TWin32TrayIcon(const TWin32TrayIcon&) = delete;
    TWin32TrayIcon& operator=(const TWin32TrayIcon&) = delete;
    ~TWin32TrayIcon() override;

    bool Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
             const std::u16string& AHint) override;
    bool SetHint(const std::u16string& AHint) override;
    void Remove() override;
    void ShowMenu(const std::vector<platform::TMenuItem>& AItems) override;
    platform::TMessageId TaskbarCreatedMessage() override;
    void SetIconVariant(platform::TTrayIconVariant AVariant) override;

private:
    bool Notify(unsigned long AAction) const;
    void LoadIconOf(unsigned short AResource);
    void ReleaseIcon();

    platform::TWindowHandle FOwner = 0;
    platform::TMessageId FCallbackMessage = 0;
    std::u16string FHint;
    void* FIcon = nullptr;
    bool FOwnsIcon = false;
    unsigned short FIconResource = 0;
    bool FAdded = false;
    // Asked for with every message the owner gets, so looked up once.
    platform::TMessageId FTaskbarCreated = 0;
};

} // namespace vanto::win32
