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
    "  ostrel-cli update FILE [--allow-downgrade] [--force] [BACKUP] [BOARD]\n"
    "  ostrel-cli verify FILE [BOARD]\n"
    "  ostrel-cli erase [BACKUP] [BOARD]\n"
    "  ostrel-cli restore [--latest | --from FILE] [BACKUP] [BOARD]\n"
    "  ostrel-cli backups [--backup-dir DIR] [--io 0xADDR]\n"
    "  ostrel-cli --help | --version\n"
    "\n"
    "  list             one line per board: list index, I/O address, EEPROM version, type;\n"
    "                   with --json an array of objects (version null when unknown)\n"
    "  save             reads the EEPROM into FILE (*.iic); with --all FILE must hold\n"
    "                   {index} or {io}\n"
    "  update           writes the EEPROM image FILE, when the library accepts the file and\n"
    "                   its version is newer than the EEPROM's (or the EEPROM's cannot be\n"
    "                   read); --allow-downgrade writes an older or equal version too.\n"
    "                   An EEPROM that already holds FILE is left alone (--force writes it).\n"
    "                   It backs the EEPROM up first, verifies after writing and, when the\n"
    "                   write or the verify fails, writes the backup back and verifies it\n"
    "  verify           compares the EEPROM with FILE\n"
    "  erase            backs the EEPROM up, then erases it\n"
    "  restore          writes a backup back and verifies it: --from FILE, or the newest\n"
    "                   backup of the board's I/O address (--latest, the default); the\n"
    "                   EEPROM is backed up first, so that a restore can be undone too\n"
    "  backups          lists the backups in the folder, newest first (with --io only\n"
    "                   those of that address); opens no board\n"
    "\n"
    "BACKUP: the backups go to a folder, one file per backup named\n"
    "<io>-<board type>-<UTC yyyymmddThhmmssZ>.iic; per I/O address the 10 newest and the\n"
    "oldest are kept, the others deleted:\n"
    "  --backup-dir DIR the folder; without it\n"
    "                   %LOCALAPPDATA%\\Veltrane\\VTL4410\\eeprom-backups\n"
    "  --no-backup      takes no backup (update and erase then cannot be undone)\n"
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
constexpr const char kLatestAndFrom[] = "--latest and --from exclude each other";
constexpr const char kNoBackupAndDir[] = "--no-backup and --backup-dir exclude each other";
constexpr const char kEmptyBackupDir[] = "--backup-dir takes a folder name";
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
constexpr const char kEepromRestored[] = "EEPROM restored from %s. ";

// The EEPROM safety net
constexpr const char kUpdateIdentical[] =
    "The EEPROM already holds this image; nothing written (--force writes it).";
constexpr const char kRestoreIdentical[] = "The EEPROM already holds this backup; nothing written.";
constexpr const char kBackupTaken[] = "EEPROM backed up to %s";
constexpr const char kBackupFailed[] =
    "The EEPROM could not be backed up; nothing written (--no-backup skips the backup).\n%s";
constexpr const char kRestoredAfterFailure[] =
    "The backup %s was written back and verified: the EEPROM holds what it held before.";
constexpr const char kNotRestoredAfterFailure[] =
    "Writing the backup %s back failed too: the board may not start after a reset. Once the "
    "cause is fixed, restore it with:\n  %s";
constexpr const char kNoBackupAfterFailure[] =
    "No backup was taken (--no-backup), so nothing was written back.";
constexpr const char kRestoringLatest[] = "Restoring the newest backup of %s: %s";
constexpr const char kNoBackupOfBoard[] = "No backup of I/O address %s in %s.";
constexpr const char kNoBackups[] = "No backups in %s.";
constexpr const char kNoBackupFolder[] =
    "LOCALAPPDATA is not set, so there is no backup folder; name one with --backup-dir.";
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
     "bad or missing input file, a path the library cannot take, no backup to restore,\n"
     "       or a backup folder or file that cannot be made"},
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
