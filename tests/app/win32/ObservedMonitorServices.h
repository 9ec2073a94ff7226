#pragma once

#include "platform/MessageBox.h"
#include "platform/TrayIcon.h"

#include <string>
#include <vector>

namespace vanto {

// The real icon in Wine's tray, noting the picture, the hint and the menu it was last given. The
// menu is noted, not shown: a shown menu waits for a click that no test gives.
class TObservedTrayIcon final : public platform::ITrayIcon {
public:
    explicit TObservedTrayIcon(platform::ITrayIcon& AReal) : FReal(AReal) {}

    bool Add(platform::TWindowHandle AOwner, platform::TMessageId ACallbackMessage,
             const std::u16string& AHint) override {
        FHint = AHint;
        return FReal.Add(AOwner, ACallbackMessage, AHint);
    }
    bool SetHint(const std::u16string& AHint) override {
        FHint = AHint;
        return FReal.SetHint(AHint);
    }
    void Remove() override { FReal.Remove(); }
    void ShowMenu(const std::vector<platform::TMenuItem>& AItems) override { FMenu = AItems; }
    platform::TMessageId TaskbarCreatedMessage() override { return FReal.TaskbarCreatedMessage(); }
    void SetIconVariant(platform::TTrayIconVariant AVariant) override {
        FVariant = AVariant;
        FReal.SetIconVariant(AVariant);
    }

    platform::TTrayIconVariant FVariant = platform::TTrayIconVariant::Plain;
    std::u16string FHint;
    std::vector<platform::TMenuItem> FMenu;

private:
    platform::ITrayIcon& FReal;
};

// A missing hook library is reported in a box; here nobody would close it.
class TQuietMessageBox final : public platform::IMessageBox {
public:
    void Show(const std::u16string&) override {}
    void ShowError(const std::u16string&, const std::u16string&) override {}
};

} // namespace vanto
