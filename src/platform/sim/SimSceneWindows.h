#pragma once

#include "platform/SceneWindow.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <vector>

namespace vanto::sim {

// Scene windows of the simulation: they keep the last scene shown, so tests can read what a
// user would see and click its items.
class TSimSceneWindow final : public platform::ISceneWindow {
public:
    TSimSceneWindow(platform::IWindowSystem& AWindows, platform::TWindowHandle AOwner,
                    platform::TMessageId AClickMessage, platform::TScenePlacement APlacement,
                    const platform::TSceneWindowStyle& AStyle,
                    std::vector<TSimSceneWindow*>& ARegistry);
    ~TSimSceneWindow() override;

    void Show(const platform::TScene& AScene) override;
    void Hide() override { FVisible = false; }
    bool IsVisible() override { return FVisible; }
    void BringToFront() override {
        ++FBringToFrontCount;
        FVisible = true;
        FWindows.BringToForeground(FHandle);
    }
    void SetOpacity(std::uint8_t AOpacity) override { FOpacity = AOpacity; }
    platform::TWindowHandle Handle() override { return FHandle; }

    const platform::TScene& Scene() const { return FScene; }
    bool TopMost() const { return FStyle.FTopMost; }
    const platform::TSceneWindowStyle& Style() const { return FStyle; }
    platform::TScenePlacement Placement() const { return FPlacement; }
    int BringToFrontCount() const { return FBringToFrontCount; }
    int ShowCount() const { return FShowCount; }
    std::uint8_t Opacity() const { return FOpacity; }
    // A click at a point of the client area, as a user would make it.
    bool ClickAt(int AX, int AY);

private:
    platform::IWindowSystem& FWindows;
    std::vector<TSimSceneWindow*>& FRegistry;
    platform::TWindowHandle FOwner;
    platform::TMessageId FClickMessage;
    platform::TWindowHandle FHandle;
    platform::TScenePlacement FPlacement;
    platform::TSceneWindowStyle FStyle;
    bool FVisible = false;
    int FBringToFrontCount = 0;
    int FShowCount = 0;
    std::uint8_t FOpacity = 255;
    platform::TScene FScene;
};

class TSimSceneWindows final : public platform::ISceneWindows {
public:
    explicit TSimSceneWindows(platform::IWindowSystem& AWindows) : FWindows(AWindows) {}
    std::unique_ptr<platform::ISceneWindow>
    CreateSceneWindow(platform::TWindowHandle AOwner, platform::TMessageId AClickMessage,
                      platform::TScenePlacement APlacement,
                      const platform::TSceneWindowStyle& AStyle) override;
    // The windows that exist now, in the order they were made.
    const std::vector<TSimSceneWindow*>& Windows() const { return FCreated; }

private:
    platform::IWindowSystem& FWindows;
    std::vector<TSimSceneWindow*> FCreated;
};

} // namespace vanto::sim
