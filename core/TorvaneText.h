// TorvaneText.h - every fixed text that Torvane and torvane-cli show, in one place.
#pragma once

namespace TorvaneText
{
// Start-up failures
constexpr const char kOpenLibraryFailed[] =
    "Could not open VtlDrvUsb library.\n The error was %s\n";
constexpr const char kNoBoards[] = "No Veltrane carrier boards found.";
constexpr const char kNoInterface[] = "No Interface to the carrier board.";
constexpr const char kFlashNotAccessible[] =
    "The flash cannot be accessed.\r\nPlease check your settings on the board.";
constexpr const char kErrorCaption[] = "Error";

// Commands: start, error and end texts
constexpr const char kEraseStart[] = "Erasing flash ...\r\nCan take 2 minutes!";
constexpr const char kEraseError[] = "Error when erasing the flash:\r\n%s";
constexpr const char kEraseEnd[] = "Flash erased!";
constexpr const char kProgramStart[] = "Programming flash ...\r\nCan take 2 minutes!";
constexpr const char kProgramError[] = "Error when programming the flash:\r\n%s";
constexpr const char kProgramEnd[] = "Flash programmed";
constexpr const char kEraseBitstreamStart[] = "Erasing the bitstream from the flash ...";
constexpr const char kEraseBitstreamError[] = "There is no bitstream in the flash to erase:\r\n%s";
constexpr const char kEraseBitstreamEnd[] = "Bitstream erased!";

// The flash commands in the order of Torvane's command events, each with its three texts
enum FlashCommand
{
    kFlashErase = 0,
    kFlashProgram = 1,
    kFlashEraseBitstream = 2
};
struct FlashCommandTexts
{
    const char *pszStart;
    const char *pszError; // takes the library's text
    const char *pszEnd;
};
constexpr FlashCommandTexts kFlashCommands[] = {
    {kEraseStart, kEraseError, kEraseEnd},
    {kProgramStart, kProgramError, kProgramEnd},
    {kEraseBitstreamStart, kEraseBitstreamError, kEraseBitstreamEnd},
};

// Version boxes: how a stored number is shown, how Program and OK read the text, and what
// Program writes into an empty box
constexpr const char kVersionNumber[] = "%d";
constexpr const char kDefaultMajor[] = "1";
constexpr const char kDefaultMinor[] = "0";

// Progress display
constexpr const char kPercent[] = "%d%% completed";
constexpr const char kSeconds[] = "%d sec";
constexpr const char kMinutesSeconds[] = "%d min %d sec";

// Browse dialog
constexpr const char kFileFilter[] =
    "Bitstream (*.bit)|*.bit|3L Diamond Application (*.app)|*.app||";

// Registry
constexpr const char kRegKey[] = "SOFTWARE\\Veltrane\\VTL4410";
constexpr const char kRegSubKey[] = "settings";
constexpr const char kRegAppFile[] = "AppFile";
constexpr const char kRegVerMaj[] = "VerMaj";
constexpr const char kRegVerMin[] = "VerMin";
constexpr const char kRegSpartan[] = "Spartan";
} // namespace TorvaneText
