#pragma once

#include "platform/IniFile.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimWindowSystem.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace vanto::test {

// INI values by file, section and key, exactly as written: the component must ask for the
// right file.
class TFakeIni : public platform::IIniFile {
public:
    void Set(const std::u16string& AFile, const std::u16string& ASection,
             const std::u16string& AKey, const std::u16string& AValue) {
        FValues[AFile + u"|" + ASection + u"|" + AKey] = AValue;
    }
    int ReadInteger(const std::u16string&, const std::u16string&, const std::u16string&,
                    int ADefault) override {
        return ADefault;
    }
    std::u16string ReadString(const std::u16string& AFile, const std::u16string& ASection,
                              const std::u16string& AKey, const std::u16string& ADefault) override {
        auto Found = FValues.find(AFile + u"|" + ASection + u"|" + AKey);
        return Found == FValues.end() ? ADefault : Found->second;
    }
    platform::TIniPairs ReadSection(const std::u16string&, const std::u16string&) override {
        return {};
    }

private:
    std::map<std::u16string, std::u16string> FValues;
};

// The simulated window system, with a way to wait until another thread has posted something.
class TWatchedWindows : public sim::TSimWindowSystem {
public:
    using TSimWindowSystem::TSimWindowSystem;

    void WaitForPosts(std::size_t ACount) {
        std::unique_lock Guard(FLock);
        FPosted.wait(Guard, [&] { return FPostCount >= ACount; });
    }

    bool Post(platform::TWindowHandle AWindow, platform::TMessageId AMsg, platform::TWParam AW,
              platform::TLParam AL) override {
        bool Result = TSimWindowSystem::Post(AWindow, AMsg, AW, AL);
        std::lock_guard Guard(FLock);
        ++FPostCount;
        FPosted.notify_all();
        return Result;
    }

private:
    std::mutex FLock;
    std::condition_variable FPosted;
    std::size_t FPostCount = 0;
};

// Runs the main thread's loop until ADone holds. Handlers call Wake (from any thread) when
// something happened; a watchdog gives up after ten seconds, so a broken test fails instead of
// hanging.
class TMainLoop {
public:
    explicit TMainLoop(sim::TSimWindowSystem& AWindows) : FWindows(AWindows) {}

    void Wake() { FWindows.Quit(0); }

    bool RunUntil(const std::function<bool()>& ADone) {
        std::mutex Lock;
        std::condition_variable Finished;
        bool Done = false;
        bool TimedOut = false;
        std::thread Watchdog([&] {
            std::unique_lock Guard(Lock);
            if (!Finished.wait_for(Guard, std::chrono::seconds(10), [&] { return Done; })) {
                TimedOut = true;
                FWindows.Quit(1);
            }
        });
        bool Result = true;
        while (!ADone()) {
            FWindows.RunMessageLoop();
            std::lock_guard Guard(Lock);
            if (TimedOut) {
                Result = ADone();
                break;
            }
        }
        {
            std::lock_guard Guard(Lock);
            Done = true;
        }
        Finished.notify_all();
        Watchdog.join();
        return Result;
    }

private:
    sim::TSimWindowSystem& FWindows;
};

inline sim::TSimHidCollection VendorCollection(std::u16string APath, std::uint16_t AInputLength = 8,
                                               std::uint16_t AFeatureLength = 4096,
                                               sim::ISimHidFunctions* AFunctions = nullptr) {
    sim::TSimHidCollection Collection;
    Collection.FPath = std::move(APath);
    Collection.FCaps = {0x0001, 0xFFA0, AInputLength, 64, AFeatureLength};
    Collection.FFunctions = AFunctions;
    return Collection;
}

} // namespace vanto::test
