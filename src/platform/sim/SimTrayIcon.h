#pragma once

#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"

#include <optional>
#include <vector>

namespace vanto::sim {

// The notification area of the simulation: it keeps what the monitor shows, and a test or a
// scenario clicks the icon and chooses menu items through it.
class TSimTrayIcon final : public platform::ITrayIcon {
public:
    explicit TSimTrayIcon(platform::IWindowSystem& AWindows) : FWindows(AWindows) {}

    bool Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
             const std::u16string& AHint) override;
    bool SetHint(const std::u16string& AHint) override;
    void Remove() override { FVisible = false; }
    void SetIconVariant(platform::TTrayIconVariant AVariant) override { FVariant = AVariant; }
    void ShowMenu(const std::vector<platform::TMenuItem>& AItems) override { FMenu = AItems; }
    platform::TMessageId TaskbarCreatedMessage() override { return TASKBAR_CREATED; }

    // What a user does: click the icon, or open the menu and choose the item with this caption.
    void Click(platform::TLParam AMouseMessage);
    bool ChooseMenuItem(const std::u16string& ACaption);

    bool Visible() const { return FVisible; }
    const std::u16string& Hint() const { return FHint; }
    platform::TTrayIconVariant Variant() const { return FVariant; }
    const std::vector<platform::TMenuItem>& LastMenu() const { return FMenu; }
    int AddCount() const { return FAddCount; }

    static constexpr platform::TMessageId TASKBAR_CREATED = 0xC0DE;

private:
    platform::IWindowSystem& FWindows;
    platform::TWindowHandle FOwner = 0;
    platform::TMessageId FCallbackMessage = 0;
    std::u16string FHint;
    platform::TTrayIconVariant FVariant = platform::TTrayIconVariant::Plain;
    std::vector<platform::TMenuItem> FMenu;
    bool FVisible = false;
    int FAddCount = 0;
};

} // namespace vanto::sim
