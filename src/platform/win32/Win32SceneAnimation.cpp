#include "platform/win32/Win32SceneAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vanto::win32 {

using platform::TScene;
using platform::TSceneColor;
using platform::TSceneItem;

namespace {

// 2^-10 of the way is still left at the end of the plain curve; scaling that away lets the
// turn at either end of a cycle land on the exact colour.
constexpr double STEEPNESS = 10;

std::uint8_t Mix(std::uint8_t AFrom, std::uint8_t ATo, double AAmount) {
    return static_cast<std::uint8_t>(std::lround(AFrom + (ATo - AFrom) * AAmount));
}

TSceneColor Mix(const TSceneColor& AFrom, const TSceneColor& ATo, double AAmount) {
    return {Mix(AFrom.R, ATo.R, AAmount), Mix(AFrom.G, ATo.G, AAmount),
            Mix(AFrom.B, ATo.B, AAmount), Mix(AFrom.A, ATo.A, AAmount)};
}

bool IsAnimated(const TSceneItem& AItem) {
    return AItem.FAnimateSeconds > 0;
}

} // namespace

float EaseOutExponential(float AProgress) {
    const double Progress = std::clamp<double>(AProgress, 0, 1);
    const double Full = 1 - std::exp2(-STEEPNESS);
    return static_cast<float>((1 - std::exp2(-STEEPNESS * Progress)) / Full);
}

TSceneColor AnimatedFill(const TSceneItem& AItem, double ASeconds) {
    if (!IsAnimated(AItem)) {
        return AItem.FFill;
    }
    const double Leg = AItem.FAnimateSeconds;
    const double Phase = std::fmod(std::max(0.0, ASeconds), 2 * Leg);
    if (Phase < Leg) {
        return Mix(AItem.FFill, AItem.FAnimateTo,
                   EaseOutExponential(static_cast<float>(Phase / Leg)));
    }
    return Mix(AItem.FAnimateTo, AItem.FFill,
               EaseOutExponential(static_cast<float>((Phase - Leg) / Leg)));
}

bool HasAnimation(const TScene& AScene) {
    return std::any_of(AScene.Items.begin(), AScene.Items.end(), IsAnimated);
}

TScene SceneAt(const TScene& AScene, double ASeconds) {
    TScene Result = AScene;
    for (TSceneItem& Item : Result.Items) {
        Item.FFill = AnimatedFill(Item, ASeconds);
    }
    return Result;
}

} // namespace vanto::win32
