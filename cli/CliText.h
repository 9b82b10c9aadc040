// CliText.h - the fixed texts of the console companions that the tools do not show themselves.
#pragma once

namespace CliText
{
// --help, before the exit codes
constexpr const char kTorvaneHelp[] =
    "torvane-cli - programs or erases the configuration flash of VTL4410 boards\n"
    "\n"
    "Usage:\n"
    "  torvane-cli info [BOARD]\n"
    "  torvane-cli program FILE [--family spartan|virtex] [--version MAJOR.MINOR] [BOARD]\n"
    "  torvane-cli erase [BOARD]\n"
    "  torvane-cli erase-bitstream [--family spartan|virtex] [BOARD]\n"
    "  torvane-cli --help | --version\n"
    "\n"
    "  info             prints the flash description of both FPGA families\n"
    "  program          writes a bitstream (*.bit) or an application (*.app) into the flash\n"
    "  erase            erases the whole flash\n"
    "  erase-bitstream  erases the stored bitstream of one family\n"
    "\n"
    "  --family         the FPGA family; without it the one Torvane stored, else Spartan\n"
    "  --version        the version stored with the file; without it 1.0\n"
    "\n"
    "BOARD chooses the boards; without it the board Torvane uses, the library's board 0,\n"
    "which must be listed (as list index 0); the program says which board it is:\n"
    "  --board N        the board at list index N (as \"ostrel-cli list\" shows it)\n"
    "  --io 0xADDR      the one board at I/O address ADDR (several there: none, code 3)\n"
    "  --all            each listed board in turn, with one summary line per board\n"
    "\n"
    "Results go to stdout; messages and progress go to stderr. Ctrl+C or closing the console\n"
    "lets the running board operation finish and starts nothing more; the board is released\n"
    "and the program exits with 130, or with the worst code of an operation that failed.\n";
constexpr const char kOstrelHelp[] =
    "ostrel-cli - lists VTL4410 boards and updates, saves, verifies or erases their EEPROM\n"
    "\n"
    "Usage:\n"
    "  ostrel-cli list [--json]\n"
    "  ostrel-cli save FILE [BOARD]\n"
    "  ostrel-cli update FILE [--allow-downgrade] [BOARD]\n"
    "  ostrel-cli verify FILE [BOARD]\n"
    "  ostrel-cli erase [BOARD]\n"
    "  ostrel-cli --help | --version\n"
    "\n"
    "  list             one line per board: list index, I/O address, EEPROM version, type;\n"
    "                   with --json an array of objects (version null when unknown)\n"
    "  save             reads the EEPROM into FILE (*.iic); with --all FILE must hold\n"
    "                   {index} or {io}\n"
    "  update           writes the EEPROM image FILE, when the library accepts the file and\n"
    "                   its version is newer than the EEPROM's (or the EEPROM's cannot be\n"
    "                   read); --allow-downgrade writes an older or equal version too\n"
    "  verify           compares the EEPROM with FILE\n"
    "  erase            erases the EEPROM\n"
    "\n"
    "In FILE, {index} stands for the board's list index and {io} for its I/O address\n"
    "(0x300), so that each board has a file of its own.\n"
    "\n"
    "BOARD chooses the boards; without it the first listed board is used:\n"
    "  --board N        the board at list index N (as \"list\" shows it)\n"
    "  --io 0xADDR      the one board at I/O address ADDR (several there: none, code 3)\n"
    "  --all            each listed board in turn, with one summary line per board\n"
    "\n"
    "Results go to stdout; messages go to stderr. Ctrl+C or closing the console lets the\n"
    "running board operation finish and starts nothing more; the board is released and the\n"
    "program exits with 130, or with the worst code of an operation that failed.\n";

// Usage errors (code 1), each printed after the program's name
constexpr const char kNoCommand[] = "no command given";
constexpr const char kUnknownCommand[] = "unknown command \"%s\"";
constexpr const char kUnknownOption[] = "unknown option \"%s\"";
constexpr const char kUnexpectedOperand[] = "unexpected \"%s\" after %s";
constexpr const char kBoardOptionsExclusive[] = "--board, --io and --all exclude each other";
constexpr const char kBadBoardIndex[] = "--board takes a list index such as 0, not \"%s\"";
constexpr const char kBadIoAddress[] = "--io takes a hexadecimal address such as 0x300, not \"%s\"";
constexpr const char kBadFamily[] = "--family takes spartan or virtex, not \"%s\"";
constexpr const char kBadVersion[] = "--version takes MAJOR.MINOR such as 1.0, not \"%s\"";
constexpr const char kSaveAllNeedsPattern[] =
    "with --all, save needs {index} or {io} in the file name, so that each board is saved to a "
    "file of its own";

// Board choice
constexpr const char kNoBoardAtIndex[] =
    "No board at list index %u; %u listed (see \"ostrel-cli list\").";
constexpr const char kNoBoardAtIo[] = "No board at I/O address %s (see \"ostrel-cli list\").";
constexpr const char kBoardsAtIo[] =
    "%u boards are at I/O address %s (list indexes %s); use --board N to choose one.";
constexpr const char kLibraryBoardUnusable[] =
    "The library's board 0, the one Torvane uses, has no usable record; "
    "choose a listed board with --board N (see \"ostrel-cli list\").";

// Result lines: the board, the family and what a command did
constexpr const char kBoardDescription[] = "board %u at %s (%s)";
constexpr const char kTorvanesBoard[] = "Board: %s, the one Torvane uses";
constexpr const char kFamilyUsed[] = "Family: %s (%s)";
constexpr const char kFamilyFromOption[] = "--family";
constexpr const char kFamilyFromSetting[] = "Torvane's setting";
constexpr const char kFamilyFromDefault[] = "default";
// Both versions as the list writes them
constexpr const char kDowngradeRefused[] =
    "The EEPROM currently contains %s and the file %s, which "
    "is not newer: not written (--allow-downgrade writes it).";
constexpr const char kDowngradeAllowed[] =
    "The EEPROM currently contains %s and the file %s; writing it as --allow-downgrade asks.";
constexpr const char kEepromSaved[] = "EEPROM saved to %s";
constexpr const char kEepromUpdated[] = "EEPROM updated. ";
constexpr const char kSummaryDone[] = "done";
constexpr const char kSummaryStopped[] = "stopped (interrupted)";
constexpr const char kSummaryFailed[] = "failed with code %d (%s)";
constexpr const char kSummaryReleaseFailed[] = "; the release failed with code %d (%s)";
constexpr const char kInterrupted[] = "The run was interrupted; exit code %d (%s).";

// Exit codes: the short meaning for summary lines and the --help entry, one row per code
struct ExitCodeText
{
    int nCode;
    const char *pszMeaning;
    const char *pszHelp;
};
constexpr ExitCodeText kExitCodes[] = {
    {0, "done", "done"},
    {1, "bad usage", "bad usage, or --all saving two boards into one file"},
    {2, "library or function missing", "library or function missing"},
    {3, "no board, board not found, or board locked",
     "no board, board not found, board locked by another program, or --io naming\n"
     "       several boards"},
    {4, "the library reported a failure", "the library reported a failure (its text is printed)"},
    {5, "verify mismatch", "verify mismatch"},
    {6, "bad or missing input file",
     "bad or missing input file, or a path the library cannot take"},
    {7, "driver exception", "a driver exception (its message is printed)"},
    {8, "refused downgrade", "refused downgrade"},
    {9, "crashed",
     "the program crashed (a fault, say in the driver library); the line on stderr\n"
     "       names the crash report saved in %LOCALAPPDATA%\\Veltrane\\VTL4410\\crash-reports"},
    {130, "interrupted",
     "interrupted by Ctrl+C or by closing the console; the running board operation\n"
     "       was finished first, nothing more was started, and every operation that ran\n"
     "       succeeded (else the worst code of those that ran is given)"},
};
constexpr const char kExitCodesHead[] = "Exit codes:\n";
constexpr const char kExitCodesFoot[] =
    "With --all the program exits with the worst code of any board.\n";
} // namespace CliText
