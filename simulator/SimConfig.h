// SimConfig.h - the simulator's configuration model and its parser.
#pragma once

#include "SimFlash.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtlsim
{

// Board operations that can be made to fail, wait or throw.
enum Op
{
    OpEraseFlash,
    OpEraseBitstream,
    OpProgramFlash,
    OpSetProgressCallback,
    OpGetFlashInfo,
    OpGetErrorText,
    OpSaveEeprom,
    OpProgramEeprom,
    OpGetEepromVersion,
    OpGetFileVersion,
    OpVerifyEeprom,
    OpIsValidEepromFile,
    OpEraseEeprom,
    OpReleaseBoard,
    OpCount
};
const char *OpName(int op);

// What one operation is told to do besides its normal work.
struct Fault
{
    std::uint32_t nDelayMs = 0;
    bool bFail = false;
    std::int32_t nFailStatus = 0;
    std::string failText;
    std::uint32_t nFailTimes = 0; // only the first N calls fail; 0: every call
    bool bThrow = false;
    std::int32_t nThrowCode = 0;
    std::string throwText;
    bool bCrash = false; // writes through a null pointer, after the delay
};

// How returned error texts are stretched and ended, to test callers' bounds.
struct TextShape
{
    std::uint32_t nLength = 0;  // repeat or cut to this many characters; 0: as they are
    bool bUnterminated = false; // no NUL: an unreadable page follows the last character
};

struct BoardConfig
{
    std::uint32_t nUsable = 1;
    std::string type = "VTL4410";
    bool bTypeUnterminated = false;
    std::uint32_t nIoAddress = 0x300;
    bool bOpenable = true;
    bool bUnplugged = false;
    FlashFamily flash[2];
    bool bHasText[2] = {false, false};
    std::string text[2];
    std::int32_t nFlashStatus[2] = {0, 0};
    bool bFlashUnterminated = false;
    std::vector<std::uint8_t> eeprom; // initial EEPROM bytes (image, or 0xFF when erased)
    Fault faults[OpCount];
    TextShape errorShape; // of GetErrorText's texts
    std::string identity; // the section's text: per-process state is kept while it is unchanged
};

// How every configured throw is raised: as GCC throws it (the default), or through the C runtime's
// _CxxThrowException as a library built with Microsoft's compiler throws it: VTLExc named as a
// class, as a struct, or an object of another type.
enum class ThrowStyle
{
    Gcc,
    Class,
    Struct,
    Other
};

// One timed change of the plug script ([plug] "<ms> = plug|unplug <board>").
struct PlugEvent
{
    std::uint32_t nAtMs = 0;
    bool bPlug = true;
    std::uint32_t nBoard = 0;
    int nLine = 0; // in the configuration, for problems found once the board count is known
};

// The [plug] section: every pass replays the events, pass k starting k * nPeriodMs after the
// script's start.
struct PlugScript
{
    std::vector<PlugEvent> events; // by time, in file order within one time
    std::uint32_t nRepeat = 1;
    std::uint32_t nPeriodMs = 0;
    int nLine = 0;        // of repeat or period, for their problems
    std::string identity; // the section's text: a changed script starts over
};

constexpr std::uint32_t kMaxPlugTimeMs = 86400000;
constexpr std::uint32_t kMaxPlugRepeat = 1000000;

// One line of [plug]; "" when good, else the problem.
std::string PlugScriptKey(PlugScript &s, const std::string &key, const std::string &value,
                          int nLine);
// Orders the events and checks them against the board count; "" when good, else the problem
// and its line in nLine.
std::string FinishPlugScript(PlugScript &s, std::uint32_t nBoards, int &nLine);

struct DriverConfig
{
    std::string path; // empty: built-in defaults
    std::uint32_t nProgressMs = 3000;
    std::uint32_t nProgressStepMs = 30;
    Fault open;
    Fault close;
    ThrowStyle throwStyle = ThrowStyle::Gcc;
    std::string throwRuntime = "msvcrt.dll"; // whose _CxxThrowException the other styles use
    TextShape errorShape;                    // of VtlUsbGetError's texts
    std::vector<BoardConfig> boards;
    bool bReportCount = false; // board_count: what VtlUsbGetBoardCount says instead
    std::uint32_t nReportedCount = 0;
    bool bJournalTimes = false; // journal_times: "<pid> @<ms> <entry>"
    PlugScript plug;
};

constexpr std::uint32_t kMaxBoards = 32;
constexpr std::uint32_t kConfigError = 1000;

BoardConfig DefaultBoard(std::uint32_t index);
DriverConfig DefaultConfig();

// Parses the whole file into out. On failure out is untouched and error reads
// "<path>(<line>): <problem>" (line 0 when the file itself cannot be read).
bool LoadConfig(const std::string &path, DriverConfig &out, std::string &error);
bool ParseConfigText(const std::string &path, const std::string &text, DriverConfig &out,
                     std::string &error);

// The configuration named by VTLSIM_CONFIG, or the defaults when it is unset.
bool LoadCurrentConfig(DriverConfig &out, std::string &error);

} // namespace vtlsim
