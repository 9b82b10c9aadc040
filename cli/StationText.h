// StationText.h - the fixed texts of vtl-station.
#pragma once

namespace StationText
{
constexpr const char kHelp[] =
    "vtl-station - a production station: waits for VTL4410 boards and runs one recipe on each\n"
    "\n"
    "Usage:\n"
    "  vtl-station [--eeprom FILE.iic [--allow-downgrade]]\n"
    "              [--flash FILE --family spartan|virtex --version MAJOR.MINOR | --erase-flash]\n"
    "              [--count N] [--max-fails N] [--log FILE.csv] [--backup-dir DIR] [--json]\n"
    "  vtl-station --help | --version\n"
    "\n"
    "The recipe is at least one of the EEPROM step and the flash step, in that order:\n"
    "  --eeprom         compares the EEPROM with the image and, unless it already holds it,\n"
    "                   saves a backup, writes the image (only a newer version, or any with\n"
    "                   --allow-downgrade) and verifies it; a write that does not verify is\n"
    "                   undone by writing the backup back\n"
    "  --flash          programs a bitstream (*.bit) or an application (*.app) into the flash\n"
    "                   of the family, with the version\n"
    "  --erase-flash    erases the whole flash instead\n"
    "\n"
    "  --count N        ends after N boards passed\n"
    "  --max-fails N    ends after N boards failed\n"
    "  --log FILE       the CSV log, appended to (default station-YYYYMMDD.csv here)\n"
    "  --backup-dir DIR the EEPROM backups (default\n"
    "                   %LOCALAPPDATA%\\Veltrane\\VTL4410\\eeprom-backups)\n"
    "  --json           also prints each log row as a JSON line on stdout\n"
    "\n"
    "The images are read once at start and held open, so that they cannot change during the\n"
    "run. Each board is done once when it appears, and again only after it was unplugged.\n"
    "A board unplugged or failing in the middle is INTERRUPTED. Ctrl+C finishes the running\n"
    "board operation, logs the board, releases it and ends.\n"
    "\n"
    "The station exits with 0 when every board it did passed, 4 when a board failed or was\n"
    "interrupted by itself (pulled out, a driver exception), 130 after Ctrl+C with no failure;\n"
    "a problem at start gives the code of the table below.\n";

constexpr const char kNoRecipe[] = "no recipe: give --eeprom, --flash or --erase-flash";
constexpr const char kFlashAndErase[] = "--flash and --erase-flash exclude each other";
constexpr const char kFlashNeeds[] = "--flash needs --family and --version";
constexpr const char kOnlyWithFlash[] = "%s applies only to --flash";
constexpr const char kOnlyWithEeprom[] = "--allow-downgrade applies only to --eeprom";
constexpr const char kBadCount[] = "%s takes a number from 1, not \"%s\"";
constexpr const char kNeedsPath[] = "%s takes a path";
constexpr const char kOperand[] = "unexpected \"%s\": vtl-station takes options only";

constexpr const char kImage[] = "%s image: %s (%llu bytes, SHA-256 %s)";
constexpr const char kLogAt[] = "Log: %s";
constexpr const char kVersion[] = "%d.%02d"; // as the list shows it, without "Ver"
constexpr const char kWaiting[] = "waiting for a board";
constexpr const char kListFailed[] = "The board list could not be read; trying again.";

constexpr const char kPhaseOpen[] = "opening";
constexpr const char kPhaseCheck[] = "EEPROM compare";
constexpr const char kPhaseBackup[] = "EEPROM backup";
constexpr const char kPhaseWrite[] = "EEPROM write";
constexpr const char kPhaseVerify[] = "EEPROM verify";
constexpr const char kPhaseRestore[] = "EEPROM restore";
constexpr const char kPhaseFlash[] = "flash";
constexpr const char kPhaseErase[] = "flash erase";

constexpr const char kRerun[] = "run again: a board was removed since the last listing, so this "
                                "position may hold another board";
constexpr const char kLocked[] = "the board is locked by another program";
constexpr const char kIdentical[] = "EEPROM identical, nothing written";
constexpr const char kUpdated[] = "EEPROM %s -> %s";
constexpr const char kInvalidImage[] = "the library does not take the EEPROM image";
constexpr const char kRefused[] = "EEPROM holds %s and the image %s, which is not newer "
                                  "(--allow-downgrade writes it)";
constexpr const char kBackupFailed[] = "the EEPROM backup could not be taken, nothing written";
constexpr const char kRestored[] = "EEPROM write did not verify; backup restored";
constexpr const char kNotRestored[] = "EEPROM write did not verify; backup NOT restored";
constexpr const char kNoBackup[] = "EEPROM write did not verify; no backup to restore";
constexpr const char kFlashFailed[] = "flash failed";
constexpr const char kRemoved[] = "board removed during the run";
constexpr const char kBreak[] = "stopped by Ctrl+C";
constexpr const char kException[] = "driver exception %d: %s";
constexpr const char kFlashDone[] = "%llu bytes in %.1f s (%.1f KiB/s)";
constexpr const char kEraseDone[] = "flash erased in %.1f s";
constexpr const char kRestoreHint[] = "The EEPROM write of %s was cut short. To write its backup "
                                      "back:\n  %s";
constexpr const char kLogFailed[] = "The log could not be written: %s. Stopping.";
constexpr const char kSummary[] = "%u passed, %u failed, %u interrupted";
} // namespace StationText
