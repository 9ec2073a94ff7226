#pragma once

#include "Trace.h"

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vanto::simrun {

struct TReceivedMessage {
    platform::TMessageId FMsg = 0;
    platform::TWParam FWParam = 0;
    platform::TLParam FLParam = 0;
};

// What stands in for the configuration application: a window of its class that records every
// message, carries out a profile switch the way the real one does and tells the monitor, and
// stores settings the way it would. It writes the registry directly, so its writes are not
// mistaken for the monitor's in the trace.
class TConfigAppStandIn {
public:
    TConfigAppStandIn(platform::IWindowSystem& AWindows, platform::IRegistry& ARegistry,
                      platform::IFileSystem& AFiles, TTrace& ATrace);
    ~TConfigAppStandIn();
    TConfigAppStandIn(const TConfigAppStandIn&) = delete;
    TConfigAppStandIn& operator=(const TConfigAppStandIn&) = delete;

    void Start();
    void Stop();
    bool Running() const { return FWindow != 0; }

    // Sends to the monitor's window, found by its class as the real program finds it; false when
    // there is no monitor window.
    bool SendToMonitor(platform::TMessageId AMsg, platform::TWParam AWParam,
                       platform::TLParam ALParam);
    // Stores CurrentLanguage in the shared settings record; false when there is none to change.
    bool StoreLanguage(std::uint8_t ALanguage);
    // Gives button AKey of the current game profile the function AFunctionType (named AName in
    // the trace), stores the profile in the registry and tells the monitor to reload; false when
    // no game profile is stored to change.
    bool AssignButton(std::size_t AKey, std::uint16_t AFunctionType, const std::string& AName);

    const std::vector<TReceivedMessage>& Received() const { return FReceived; }

private:
    platform::TMessageResult Receive(platform::TMessageId AMsg, platform::TWParam AWParam,
                                     platform::TLParam ALParam);
    void SwitchProfileGroup(platform::TWParam AGroup);
    template <typename TRecord, typename TChange>
    bool ChangeRecord(const std::u16string& AValueName, TChange AChange);

    platform::IWindowSystem& FWindows;
    platform::IRegistry& FRegistry;
    platform::IFileSystem& FFiles;
    TTrace& FTrace;
    platform::TWindowHandle FWindow = 0;
    std::vector<TReceivedMessage> FReceived;
};

} // namespace vanto::simrun
