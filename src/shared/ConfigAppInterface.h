#pragma once

#include "platform/Types.h"

namespace vanto {

// Identities and messages shared with the configuration application. It finds the monitor by
// its window class; the monitor finds it by its own class before every message.
inline constexpr char16_t CONFIG_APP_WINDOW_CLASS[] = u"TVantoCfgExMain";
inline constexpr char16_t CONFIG_APP_FILE_NAME[] = u"VantoCfg.exe";
inline constexpr char16_t MONITOR_WINDOW_CLASS[] = u"TVantoMonExMain";
inline constexpr char16_t MONITOR_WINDOW_TITLE[] = u"QUORVIN_MONITOR_EX";
inline constexpr char16_t MONITOR_MUTEX_NAME[] = u"TVantoMonExMain";

// The registry key of the current user that both programs keep their profiles in.
inline constexpr char16_t VANTO_REGISTRY_KEY[] = u"software\\VantoGamingMouse";
inline constexpr char16_t PROFILE_ID_VALUE_NAME[] = u"ProfileID";
inline constexpr char16_t SETTING_GROUP_VALUE_NAME[] = u"VantoProfileSettingGroup.pfd";
inline constexpr char16_t ALL_SETTING_VALUE_NAME[] = u"VantoProfile.pfd";
inline constexpr char16_t RECORD_MACRO_VALUE_NAME[] = u"RecordRPROFILE.pfd";

// To the monitor: the profile selection and profiles were stored; lParam is the profile ID.
inline constexpr platform::TMessageId WM_CFG_PROFILE_CHANGED = 7035;
// From the monitor, posted just before it ends.
inline constexpr platform::TMessageId WM_MONITOR_EXIT = 7036;
// To the monitor: the shared settings (the language) were stored.
inline constexpr platform::TMessageId WM_CFG_SETTINGS_CHANGED = 7037;
// From the monitor, sent: a recorded macro was stored; wParam is the game profile index.
inline constexpr platform::TMessageId WM_MACRO_RECORDED = 7038;
// From the monitor, sent: the mouse selected profile wParam (0 or 1).
inline constexpr platform::TMessageId WM_PROFILE_SWITCH = 7040;
// The monitor to itself: a button press or profile selection decoded from a report.
inline constexpr platform::TMessageId WM_BUTTON_EVENT = platform::WM_USER_FIRST + 6500;

static_assert(WM_BUTTON_EVENT == 7524);

} // namespace vanto
