#include "Usage.h"

#include <cstdio>

namespace vanto::ctl {

namespace {

struct TCommandHelp {
    std::string_view FName;
    std::string_view FSynopsis;
    std::string_view FText;
    std::string_view FExample;
};

constexpr TCommandHelp COMMANDS[] = {
    {"layout", "layout", "Prints every record's size, then each field's offset and size.",
     "vantoctl layout | grep TBUTTONFUNCINFO"},
    {"decode-report", "decode-report ID HEXBYTES...",
     "Decodes one input report of the mouse as the monitor does. ID is decimal or 0x hex;\n"
     "the payload is hex, a byte an argument or runs of pairs.",
     "vantoctl decode-report 7 00 04 00 00 00 00 00"},
    {"dump", "dump FILE",
     "Prints a stored record (profile, setting group or all-settings record, told apart by\n"
     "size) as JSON on standard output.",
     "vantoctl dump VantoProfile1.pfd > profile1.json"},
    {"load", "load FILE.json [-o OUT] [--base RECORD]",
     "Builds the stored record from the JSON that dump prints: the inverse of dump. Every byte\n"
     "the JSON does not carry (regions the monitor does not interpret, units after a text's\n"
     "end, steps past a macro's count) comes from the record --base, or is zero without it.\n"
     "Values the monitor or the mouse would misread are refused with their JSON path and the\n"
     "allowed range, and nothing is written. Without -o the record goes to standard output.",
     "vantoctl load profile1.json --base VantoProfile1.pfd -o VantoProfile1.pfd"},
    {"export", "export [PROFILE] [-o OUT.json] [--machine DIR]",
     "Prints the current game profile, or game profile PROFILE (1..5), as JSON, read from where\n"
     "the monitor keeps it (on Windows, this user's registry and profile files).",
     "vantoctl export 2 -o profile2.json"},
    {"import", "import FILE.json [PROFILE] [--force] [--machine DIR]",
     "Stores the JSON profile as the current game profile, or as game profile PROFILE (1..5).\n"
     "Bytes the JSON does not carry are kept from the profile it replaces. It writes the\n"
     "profile's registry value, and its file when the setting group keeps it in one, then\n"
     "tells a running monitor (WM_CFG_PROFILE_CHANGED), which reloads it. While the\n"
     "configuration application runs it refuses, since that program would write its own copy\n"
     "back; --force imports anyway.",
     "vantoctl import profile2.json 2"},
    {"key", "key VK EXT", "Prints the name and HID code of a virtual-key code.",
     "vantoctl key 65 0"},
    {"macro", "macro FILE.macro", "Prints a macro file one step a line.",
     "vantoctl macro Copy.macro"},
    {"factory", "factory game|test|group|settings [-o FILE] [--lang ID] [--documents DIR]",
     "Writes a record with factory contents, as a first start of the monitor stores it.",
     "vantoctl factory game -o VantoProfile1.pfd"},
    {"upload", "upload FILE.pfd --bank N [--decode]",
     "Prints the feature reports, in hex one a line, that upload the profile into bank N of\n"
     "the mouse; --decode prints what a mouse keeps of them instead (bank 0 or 1).",
     "vantoctl upload VantoProfile1.pfd --bank 0 --decode"},
    {"translate", "translate [--lang ID] TEXT...",
     "Prints each text as the monitor shows it in language ID (CH or US).",
     "vantoctl translate --lang CH Config About"},
    {"table", "table [FILE]",
     "Prints the carried language table, or a ui.local file, as LanguageTable.txt writes it.",
     "vantoctl table ui.local"},
};

constexpr std::string_view MACHINE_TEXT =
    "--machine DIR  work on the simulated machine that vanto-sim --keep DIR keeps: its registry\n"
    "               in DIR/registry, its disk in DIR/files (see README, \"Where profiles are\n"
    "               stored\"). No monitor runs there between vanto-sim runs, so none is told.\n";

} // namespace

std::string ProgramUsage() {
    std::string Text = "usage: vantoctl COMMAND [ARGUMENTS]\n"
                       "       vantoctl -h | --help | --version | COMMAND --help\n\n"
                       "Commands:\n";
    for (const TCommandHelp& Command : COMMANDS) {
        Text += "  " + std::string(Command.FSynopsis) + "\n";
    }
    Text += "\nOptions of export and import:\n" + std::string(MACHINE_TEXT) +
            "\nExit status: 0 done, 1 a file could not be read or written or a record was\n"
            "refused, 2 a wrong command line.\n";
    return Text;
}

std::optional<std::string> CommandUsage(std::string_view ACommand) {
    for (const TCommandHelp& Command : COMMANDS) {
        if (Command.FName == ACommand) {
            std::string Text = "usage: vantoctl " + std::string(Command.FSynopsis) + "\n\n" +
                               std::string(Command.FText) + "\n";
            if (ACommand == "import" || ACommand == "export") {
                Text += "\n" + std::string(MACHINE_TEXT);
            }
            return Text + "\nExample:\n  " + std::string(Command.FExample) + "\n";
        }
    }
    return std::nullopt;
}

std::string VersionText() {
    char Version[32];
    std::snprintf(Version, sizeof Version, "%u.%02u.%02u", unsigned{VANTO_VERSION_MAJOR},
                  unsigned{VANTO_VERSION_MINOR}, unsigned{VANTO_VERSION_PATCH});
    return Version;
}

} // namespace vanto::ctl
