#pragma once

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/DeviceNotifications.h"
#include "platform/FileSystem.h"
#include "platform/Hid.h"
#include "platform/HookLibrary.h"
#include "platform/IniFile.h"
#include "platform/InputSynthesis.h"
#include "platform/Locale.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/SceneWindow.h"
#include "platform/Shell.h"
#include "platform/TrayIcon.h"
#include "platform/WindowSystem.h"

namespace vanto::platform {

// The services one monitor process is given by its owner. None is owned here.
struct TPlatform {
    IRegistry& FRegistry;
    IFileSystem& FFiles;
    IWindowSystem& FWindows;
    IDebugOutput& FDebug;
    IClock& FClock;
    IShell& FShell;
    IIniFile& FIni;
    ILocale& FLocale;
    IHid& FHid;
    IDeviceNotifications& FDeviceNotifications;
    ITrayIcon& FTray;
    ISceneWindows& FScenes;
    IInputSynthesis& FInput;
    IAudio& FAudio;
    IMessageBox& FMessageBox;
    IHookLibrary& FHooks;
};

} // namespace vanto::platform
