#pragma once

#include "platform/MessageBox.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vanto {

// Holds the boxes that components ask for while the main form is being built, and shows them
// once it is wired. A modal box runs a message loop: shown earlier, it would run the form's
// timers into handlers not yet assigned, and the mouse would never be opened.
class TDeferredMessageBox : public platform::IMessageBox {
public:
    explicit TDeferredMessageBox(platform::IMessageBox& ABox) : FBox(ABox) {}

    void Show(const std::u16string& AText) override {
        if (FHolding) {
            FHeld.push_back({AText, std::nullopt});
        } else {
            FBox.Show(AText);
        }
    }
    void ShowError(const std::u16string& AText, const std::u16string& ACaption) override {
        if (FHolding) {
            FHeld.push_back({AText, ACaption});
        } else {
            FBox.ShowError(AText, ACaption);
        }
    }

    // Shows what was held, in order; later boxes go out at once.
    void Release() {
        FHolding = false;
        std::vector<THeld> Held = std::move(FHeld);
        for (const THeld& Box : Held) {
            if (Box.second) {
                FBox.ShowError(Box.first, *Box.second);
            } else {
                FBox.Show(Box.first);
            }
        }
    }

private:
    using THeld = std::pair<std::u16string, std::optional<std::u16string>>;

    platform::IMessageBox& FBox;
    bool FHolding = true;
    std::vector<THeld> FHeld;
};

} // namespace vanto
