#pragma once

#include "platform/Clock.h"
#include "platform/Types.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace vanto::simrun {

// The runner's trace: one line per thing that happens, stamped with the simulated time. Reader
// threads write into it too, so every line goes out whole under one lock.
class TTrace {
public:
    TTrace(std::ostream& AOut, platform::IClock& AClock) : FOut(AOut), FClock(AClock) {}

    void Line(std::string_view AText);
    // A line that belongs to the one before it (a dump's body): indented instead of stamped.
    void More(std::string_view AText);

private:
    std::mutex FLock;
    std::ostream& FOut;
    platform::IClock& FClock;
};

std::string Utf8(std::u16string_view AText);
std::u16string Utf16(std::string_view AAscii);
std::string Quoted(std::u16string_view AText);

// "7040 WM_PROFILE_SWITCH w=1 l=0": what a person reading the trace wants to see of a message.
std::string DescribeMessage(platform::TMessageId AMsg, platform::TWParam AWParam,
                            platform::TLParam ALParam);
std::optional<platform::TMessageId> MessageByName(std::string_view AName);
std::string MessageName(platform::TMessageId AMsg);

} // namespace vanto::simrun
