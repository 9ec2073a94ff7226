#include "Scenario.h"

#include <array>
#include <charconv>
#include <optional>
#include <sstream>
#include <string_view>

#include "Trace.h"

namespace vanto::simrun {

namespace {

using TWords = std::vector<std::string>;

struct TSyntax {
    std::string_view FName;
    TCommandKind FKind;
    std::size_t FArgCount;
    std::string_view FUsage;
};

constexpr std::array<TSyntax, 28> SYNTAXES{{
    {"press", TCommandKind::Press, 1, "press KEY (0..23)"},
    {"profile", TCommandKind::Profile, 1, "profile P (0 or 1)"},
    {"wait", TCommandKind::Wait, 1, "wait MS"},
    {"unplug", TCommandKind::Unplug, 0, "unplug"},
    {"plug", TCommandKind::Plug, 0, "plug"},
    {"hid-arrival", TCommandKind::HidArrival, 0, "hid-arrival"},
    {"cfg-send", TCommandKind::CfgSend, 3, "cfg-send MSG WPARAM LPARAM"},
    {"cfg-start", TCommandKind::CfgStart, 0, "cfg-start"},
    {"cfg-stop", TCommandKind::CfgStop, 0, "cfg-stop"},
    {"set-language", TCommandKind::SetLanguage, 1, "set-language N (0..255)"},
    {"menu", TCommandKind::Menu, 1, "menu Config|About|Exit"},
    {"tray-click", TCommandKind::TrayClick, 0, "tray-click"},
    {"about-ok", TCommandKind::AboutOk, 0, "about-ok"},
    {"click", TCommandKind::Click, 1, "click left|right|middle|back|forward"},
    {"wheel", TCommandKind::Wheel, 1, "wheel up|down"},
    {"dump", TCommandKind::Dump, 1, "dump profile|registry|mouse"},
    {"mouse-read-error", TCommandKind::MouseReadError, 1, "mouse-read-error CODE"},
    {"mouse-read-ok", TCommandKind::MouseReadOk, 0, "mouse-read-ok"},
    {"button-down", TCommandKind::ButtonDown, 1, "button-down left|right|middle|back|forward"},
    {"button-up", TCommandKind::ButtonUp, 1, "button-up left|right|middle|back|forward"},
    {"cfg-button", TCommandKind::CfgButton, 2, "cfg-button KEY (0..14) mute|play|record"},
    {"session-end", TCommandKind::SessionEnd, 0, "session-end"},
    {"playback-waits", TCommandKind::PlaybackWaits, 1, "playback-waits instant|clock"},
    {"import", TCommandKind::Import, 1, "import FILE.json [PROFILE (1..5)] [--force]"},
    {"mic-mute", TCommandKind::MicMute, 1, "mic-mute on|off"},
    {"mic-unplug", TCommandKind::MicUnplug, 0, "mic-unplug"},
    {"mic-plug", TCommandKind::MicPlug, 0, "mic-plug"},
    {"elevated-foreground", TCommandKind::ElevatedForeground, 1, "elevated-foreground on|off"},
}};

// Arguments a command may add after its own.
std::size_t OptionalArgCount(TCommandKind AKind) {
    return AKind == TCommandKind::Import ? 2 : 0;
}

constexpr std::array<std::string_view, 3> MENU_WORDS{"config", "about", "exit"};
constexpr std::array<std::string_view, 5> BUTTON_WORDS{"left", "right", "middle", "back",
                                                       "forward"};
constexpr std::array<std::string_view, 2> WHEEL_WORDS{"up", "down"};
constexpr std::array<std::string_view, 3> DUMP_WORDS{"profile", "registry", "mouse"};
constexpr std::array<std::string_view, 3> FUNCTION_WORDS{"mute", "play", "record"};
constexpr std::array<std::string_view, 2> PLAYBACK_WAIT_WORDS{"instant", "clock"};
constexpr std::array<std::string_view, 2> ON_OFF_WORDS{"on", "off"};
// Indexed so that the word's index is the switch's state.
constexpr std::array<std::string_view, 2> FOREGROUND_WORDS{"off", "on"};
constexpr std::int64_t MAX_WAIT_MS = 24LL * 60 * 60 * 1000;

struct TBadArgument {
    std::string FMessage;
};

std::string Lower(std::string_view AText) {
    std::string Result(AText);
    for (char& C : Result) {
        if (C >= 'A' && C <= 'Z') {
            C = static_cast<char>(C - 'A' + 'a');
        }
    }
    return Result;
}

// Decimal, or hexadecimal with 0x; a leading '-' where the argument may be negative.
std::optional<std::int64_t> ParseNumber(std::string_view AText) {
    const bool Negative = !AText.empty() && AText.front() == '-';
    std::string_view Digits = Negative ? AText.substr(1) : AText;
    int Base = 10;
    if (Digits.size() > 2 && Digits[0] == '0' && (Digits[1] == 'x' || Digits[1] == 'X')) {
        Digits.remove_prefix(2);
        Base = 16;
    }
    std::int64_t Value = 0;
    auto [End, Error] = std::from_chars(Digits.data(), Digits.data() + Digits.size(), Value, Base);
    if (Digits.empty() || Error != std::errc{} || End != Digits.data() + Digits.size()) {
        return std::nullopt;
    }
    return Negative ? -Value : Value;
}

std::int64_t NumberIn(const std::string& AText, std::int64_t AMin, std::int64_t AMax,
                      std::string_view AWhat) {
    std::optional<std::int64_t> Value = ParseNumber(AText);
    if (!Value || *Value < AMin || *Value > AMax) {
        throw TBadArgument{std::string(AWhat) + " must be " + std::to_string(AMin) + ".." +
                           std::to_string(AMax) + ", got '" + AText + "'"};
    }
    return *Value;
}

template <std::size_t N>
std::int64_t WordIndex(const std::string& AText, const std::array<std::string_view, N>& AWords) {
    const std::string Word = Lower(AText);
    for (std::size_t I = 0; I < N; ++I) {
        if (AWords[I] == Word) {
            return static_cast<std::int64_t>(I);
        }
    }
    std::string Choices;
    for (std::string_view Choice : AWords) {
        Choices += (Choices.empty() ? "" : ", ") + std::string(Choice);
    }
    throw TBadArgument{"expected one of " + Choices + ", got '" + AText + "'"};
}

std::int64_t MessageNumber(const std::string& AText) {
    if (std::optional<platform::TMessageId> Named = MessageByName(AText)) {
        return *Named;
    }
    if (ParseNumber(AText)) {
        return NumberIn(AText, 0, UINT32_MAX, "the message");
    }
    throw TBadArgument{"unknown message '" + AText + "' (a number or a name like " +
                       "WM_CFG_PROFILE_CHANGED)"};
}

void ReadArguments(TCommand& ACommand, const TWords& AWords) {
    switch (ACommand.FKind) {
    case TCommandKind::Press:
        ACommand.FArg0 = NumberIn(AWords[1], 0, 23, "the key index");
        break;
    case TCommandKind::Profile:
        ACommand.FArg0 = NumberIn(AWords[1], 0, 1, "the profile");
        break;
    case TCommandKind::Wait:
        ACommand.FArg0 = NumberIn(AWords[1], 0, MAX_WAIT_MS, "the time in ms");
        break;
    case TCommandKind::SetLanguage:
        ACommand.FArg0 = NumberIn(AWords[1], 0, 255, "the language index");
        break;
    case TCommandKind::CfgSend:
        ACommand.FArg0 = MessageNumber(AWords[1]);
        ACommand.FArg1 = NumberIn(AWords[2], 0, INT64_MAX, "WPARAM");
        ACommand.FArg2 = NumberIn(AWords[3], INT64_MIN + 1, INT64_MAX, "LPARAM");
        break;
    case TCommandKind::Menu:
        ACommand.FArg0 = WordIndex(AWords[1], MENU_WORDS);
        break;
    case TCommandKind::Click:
    case TCommandKind::ButtonDown:
    case TCommandKind::ButtonUp:
        ACommand.FArg0 = WordIndex(AWords[1], BUTTON_WORDS);
        break;
    case TCommandKind::CfgButton:
        ACommand.FArg0 = NumberIn(AWords[1], 0, 14, "the button");
        ACommand.FArg1 = WordIndex(AWords[2], FUNCTION_WORDS);
        break;
    case TCommandKind::PlaybackWaits:
        ACommand.FArg0 = WordIndex(AWords[1], PLAYBACK_WAIT_WORDS);
        break;
    case TCommandKind::MicMute:
        ACommand.FArg0 = WordIndex(AWords[1], ON_OFF_WORDS);
        break;
    case TCommandKind::ElevatedForeground:
        ACommand.FArg0 = WordIndex(AWords[1], FOREGROUND_WORDS);
        break;
    case TCommandKind::Wheel:
        ACommand.FArg0 = WordIndex(AWords[1], WHEEL_WORDS) == 0 ? 1 : -1;
        break;
    case TCommandKind::Dump:
        ACommand.FArg0 = WordIndex(AWords[1], DUMP_WORDS);
        break;
    case TCommandKind::MouseReadError:
        ACommand.FArg0 = NumberIn(AWords[1], 1, UINT32_MAX, "the Windows error code");
        break;
    case TCommandKind::Import:
        ACommand.FFile = AWords[1];
        for (std::size_t I = 2; I < AWords.size(); ++I) {
            if (AWords[I] == "--force" && ACommand.FArg1 == 0) {
                ACommand.FArg1 = 1;
            } else if (ACommand.FArg0 == 0 && AWords[I] != "--force") {
                ACommand.FArg0 = NumberIn(AWords[I], 1, 5, "the game profile");
            } else {
                throw TBadArgument{"unexpected '" + AWords[I] + "'"};
            }
        }
        break;
    default:
        break;
    }
}

TWords SplitWords(std::string_view ALine) {
    std::istringstream In{std::string(ALine)};
    TWords Words;
    for (std::string Word; In >> Word;) {
        Words.push_back(Word);
    }
    return Words;
}

std::string Join(const TWords& AWords) {
    std::string Text;
    for (const std::string& Word : AWords) {
        Text += (Text.empty() ? "" : " ") + Word;
    }
    return Text;
}

const TSyntax* FindSyntax(const std::string& AName) {
    for (const TSyntax& Syntax : SYNTAXES) {
        if (Syntax.FName == AName) {
            return &Syntax;
        }
    }
    return nullptr;
}

void ParseLine(TScenario& AScenario, std::size_t ALine, std::string_view AText) {
    const TWords Words = SplitWords(AText.substr(0, AText.find('#')));
    if (Words.empty()) {
        return;
    }
    const TSyntax* Syntax = FindSyntax(Words[0]);
    if (Syntax == nullptr) {
        AScenario.FErrors.push_back({ALine, "unknown command '" + Words[0] + "'"});
        return;
    }
    const std::size_t Optional = OptionalArgCount(Syntax->FKind);
    if (Words.size() < Syntax->FArgCount + 1 || Words.size() > Syntax->FArgCount + Optional + 1) {
        AScenario.FErrors.push_back(
            {ALine, Words[0] + ": expected " + std::to_string(Syntax->FArgCount) +
                        (Optional != 0 ? " to " + std::to_string(Syntax->FArgCount + Optional)
                                       : std::string()) +
                        " argument(s), got " + std::to_string(Words.size() - 1) +
                        " (usage: " + std::string(Syntax->FUsage) + ")"});
        return;
    }
    TCommand Command;
    Command.FLine = ALine;
    Command.FKind = Syntax->FKind;
    Command.FText = Join(Words);
    try {
        ReadArguments(Command, Words);
    } catch (const TBadArgument& Bad) {
        AScenario.FErrors.push_back({ALine, Words[0] + ": " + Bad.FMessage});
        return;
    }
    AScenario.FCommands.push_back(std::move(Command));
}

} // namespace

TScenario ParseScenario(std::istream& AIn) {
    TScenario Scenario;
    std::size_t LineNumber = 0;
    for (std::string Line; std::getline(AIn, Line);) {
        ++LineNumber;
        if (!Line.empty() && Line.back() == '\r') {
            Line.pop_back(); // a scenario written on Windows
        }
        ParseLine(Scenario, LineNumber, Line);
    }
    return Scenario;
}

std::string FormatError(const std::string& AScenarioName, const TScenarioError& AError) {
    return AScenarioName + ":" + std::to_string(AError.FLine) + ": " + AError.FMessage;
}

} // namespace vanto::simrun
