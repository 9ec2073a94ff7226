#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace vanto::simrun {

enum class TCommandKind {
    Press,          // press K
    Profile,        // profile P
    Wait,           // wait MS
    Unplug,         // unplug
    Plug,           // plug
    HidArrival,     // hid-arrival: another HID device comes and goes
    CfgSend,        // cfg-send MSG WPARAM LPARAM
    CfgStart,       // cfg-start
    CfgStop,        // cfg-stop
    SetLanguage,    // set-language N
    Menu,           // menu Config|About|Exit
    TrayClick,      // tray-click
    AboutOk,        // about-ok
    Click,          // click left|right|middle|back|forward
    Wheel,          // wheel up|down
    Dump,           // dump profile|registry|mouse
    ButtonDown,     // button-down left|right|middle|back|forward
    ButtonUp,       // button-up left|right|middle|back|forward
    CfgButton,      // cfg-button KEY mute|play|record
    SessionEnd,     // session-end
    PlaybackWaits,  // playback-waits instant|clock
    MouseReadError, // mouse-read-error CODE: every later read of the mouse fails with it
    MouseReadOk,    // mouse-read-ok
    Import,         // import FILE.json [PROFILE] [--force]: vantoctl's import on this machine
    MicMute,        // mic-mute on|off: another program mutes or unmutes the default microphone
    MicUnplug,      // mic-unplug
    MicPlug,        // mic-plug
    // elevated-foreground on|off: the user works in a window of an elevated process, or not
    ElevatedForeground,
};

enum class TMenuChoice { Config, About, Exit };
enum class TMouseButton { Left, Right, Middle, Back, Forward };
enum class TDumpKind { Profile, Registry, Mouse };
enum class TButtonFunction { Mute, Play, Record };
enum class TPlaybackWaits { Instant, Clock };
enum class TOnOff { On, Off };

struct TCommand {
    std::size_t FLine = 0;
    TCommandKind FKind = TCommandKind::Wait;
    std::string FText; // the command as written, without its comment
    // The arguments, by kind: the number, the message with its two parameters, or the index of
    // the word chosen (menu item, mouse button, dump kind, playback waits, on/off; a wheel notch is
    // +1 up, -1 down); cfg-button has the key and then the function's word.
    std::int64_t FArg0 = 0;
    std::int64_t FArg1 = 0;
    std::int64_t FArg2 = 0;
    // import: the JSON file, relative to the scenario's folder; FArg0 is the game profile
    // (1..5, 0 for the current one) and FArg1 is 1 for --force.
    std::string FFile;
};

struct TScenarioError {
    std::size_t FLine = 0;
    std::string FMessage;
};

struct TScenario {
    std::vector<TCommand> FCommands;
    std::vector<TScenarioError> FErrors;
};

// One command a line; '#' starts a comment, blank lines are skipped. Every line is checked, so
// a scenario with several mistakes reports them all at once.
TScenario ParseScenario(std::istream& AIn);

// "12: unknown command 'prss'" with the scenario's name in front.
std::string FormatError(const std::string& AScenarioName, const TScenarioError& AError);

} // namespace vanto::simrun
