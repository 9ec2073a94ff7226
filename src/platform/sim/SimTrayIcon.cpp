#include "platform/sim/SimTrayIcon.h"

namespace vanto::sim {

bool TSimTrayIcon::Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
                       const std::u16string& AHint) {
    FOwner = AOwner;
    FCallbackMessage = ACallbackMessage;
    FHint = AHint;
    FVisible = true;
    ++FAddCount;
    return true;
}

bool TSimTrayIcon::SetHint(const std::u16string& AHint) {
    FHint = AHint;
    return FVisible;
}

void TSimTrayIcon::Click(platform::TLParam AMouseMessage) {
    if (FVisible) {
        FWindows.Send(FOwner, FCallbackMessage, 0, AMouseMessage);
    }
}

bool TSimTrayIcon::ChooseMenuItem(const std::u16string& ACaption) {
    FMenu.clear();
    Click(platform::TRAY_RIGHT_BUTTON_UP);
    for (const platform::TMenuItem& Item : FMenu) {
        if (Item.FCaption == ACaption) {
            // As on Windows, the choice arrives once the menu has closed.
            return FWindows.Post(FOwner, platform::WM_COMMAND_MESSAGE, Item.FCommandId, 0);
        }
    }
    return false;
}

} // namespace vanto::sim
