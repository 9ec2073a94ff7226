#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32Audio.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DebugOutput.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Hid.h"
#include "platform/win32/Win32HookLibrary.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32InputSynthesis.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32MessageBox.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SceneWindows.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32TrayIcon.h"
#include "platform/win32/Win32WindowSystem.h"

namespace vanto::win32 {

// What a caller hands out in place of the root's own service, usually a wrapper around it that
// watches or quiets it. Null keeps the root's own.
struct TWin32Substitutes {
    platform::IHid* FHid = nullptr;
    platform::ITrayIcon* FTray = nullptr;
    platform::IAudio* FAudio = nullptr;
    platform::IMessageBox* FMessageBox = nullptr;
};

// Every Windows service of one monitor, made on the thread that will run its windows.
//
// The order of the fields is the order of creation, and its reverse the order of destruction:
// - The window system comes first so that it goes last: the windows it still holds are
//   destroyed after everything that might refer to them.
// - The hook library comes last so that it goes first: uiHook.dll takes its hooks down as it
//   is unloaded, before any service their callbacks could reach is gone.
// - Nothing here holds a COM object or starts GDI+: the audio endpoint objects and the scene
//   windows (each keeping GDI+ started) belong to whoever asked for them, and go with it. The
//   audio service enters the thread's COM apartment for its first enumerator and leaves it as
//   it goes, after them.
class TWin32Platform {
public:
    TWin32Platform() = default;
    TWin32Platform(const TWin32Platform&) = delete;
    TWin32Platform& operator=(const TWin32Platform&) = delete;

    platform::TPlatform Platform(const TWin32Substitutes& ASubstitutes = {});

    TWin32WindowSystem FWindows;
    TWin32Registry FRegistry;
    TWin32FileSystem FFiles;
    TWin32DebugOutput FDebug;
    TWin32Clock FClock;
    TWin32Shell FShell;
    TWin32IniFile FIni;
    TWin32Locale FLocale;
    TWin32Hid FHid;
    TWin32DeviceNotifications FDeviceNotifications;
    TWin32TrayIcon FTray;
    TWin32SceneWindows FScenes;
    TWin32InputSynthesis FInput;
    TWin32Audio FAudio;
    TWin32MessageBox FMessageBox;
    TWin32HookLibrary FHooks;
};

} // namespace vanto::win32
