#pragma once

#include "platform/Types.h"

#include <string>
#include <vector>

namespace vanto::platform {

// Mouse messages that the tray icon reports to its owner as lParam of the callback message.
inline constexpr TLParam TRAY_LEFT_BUTTON_UP = 0x0202;
inline constexpr TLParam TRAY_RIGHT_BUTTON_UP = 0x0205;
// A menu choice reaches the owner as WM_COMMAND with the item's identifier as wParam.
inline constexpr TMessageId WM_COMMAND_MESSAGE = 0x0111;
// The system resumed from sleep: WM_POWERBROADCAST with PBT_APMRESUMEAUTOMATIC.
inline constexpr TMessageId WM_POWERBROADCAST_MESSAGE = 0x0218;
inline constexpr TWParam PBT_APMRESUMEAUTOMATIC_EVENT = 0x0012;

struct TMenuItem {
    TWParam FCommandId = 0;
    std::u16string FCaption;
};

// The pictures the icon can show. The microphone's live state shows the plain picture; it is a
// variant of its own so that the owner says what it means.
enum class TTrayIconVariant { Plain, MicrophoneLive, MicrophoneMuted, NoMicrophone };

// The icon in the notification area and its popup menu.
class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    // Shows the icon; clicks come to AOwner as ACallbackMessage with the mouse message as lParam.
    virtual bool Add(TWindowHandle AOwner, TMessageId ACallbackMessage,
                     const std::u16string& AHint) = 0;
    virtual bool SetHint(const std::u16string& AHint) = 0;
    // Kept when the icon is added again; an icon that has only one picture ignores it.
    virtual void SetIconVariant(TTrayIconVariant) {}
    virtual void Remove() = 0;
    // Shows the menu at the cursor; the chosen item comes to the owner as WM_COMMAND_MESSAGE.
    virtual void ShowMenu(const std::vector<TMenuItem>& AItems) = 0;
    // The message the shell broadcasts when the taskbar is created anew (Explorer restarted);
    // the icon has to be added again then. 0 when the platform has none.
    virtual TMessageId TaskbarCreatedMessage() = 0;
};

} // namespace vanto::platform
