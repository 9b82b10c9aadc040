// SimConfig.cpp - INI-like configuration parser; a file is applied whole or not at all.
#include "SimConfig.h"

#include "SimEeprom.h"
#include "SimFiles.h"
#include "SimStrings.h"

#include <set>

namespace vtlsim
{

static const char *const kOpNames[OpCount] = {
    "EraseFlash",   "EraseBitstream",    "ProgramFlash",  "SetProgressCallback", "GetFlashInfo",
    "GetErrorText", "SaveEeprom",        "ProgramEeprom", "GetEepromVersion",    "GetFileVersion",
    "VerifyEeprom", "IsValidEepromFile", "EraseEeprom",   "ReleaseBoard"};

const char *OpName(int op)
{
    return op >= 0 && op < OpCount ? kOpNames[op] : "?";
}

BoardConfig DefaultBoard(std::uint32_t index)
{
    BoardConfig b;
    b.nIoAddress = 0x300 + 0x10 * index;
    b.flash[0] = DefaultFlash(0);
    b.flash[1] = DefaultFlash(1);
    b.eeprom = MakeC0Image(1, 2);
    return b;
}

DriverConfig DefaultConfig()
{
    DriverConfig c;
    c.boards.push_back(DefaultBoard(0));
    return c;
}

namespace
{

struct ParseError
{
    std::string problem;
};

[[noreturn]] void Fail(const std::string &problem)
{
    throw ParseError{problem};
}

std::uint32_t Number(const std::string &key, const std::string &v)
{
    std::uint32_t n;
    if (!ParseUInt(v, n))
        Fail("bad number \"" + v + "\" for " + key);
    return n;
}

bool Flag(const std::string &key, const std::string &v)
{
    if (v == "1" || v == "true" || v == "yes")
        return true;
    if (v == "0" || v == "false" || v == "no")
        return false;
    Fail("bad flag \"" + v + "\" for " + key + " (use 0 or 1)");
}

std::string Text(const std::string &key, const std::string &v)
{
    std::string out;
    if (!Unescape(v, out))
        Fail("bad escape in " + key + " (use \\r \\n \\t \\\\)");
    return out;
}

// "<number>[ <text>]"
void CodeAndText(const std::string &key, const std::string &v, std::int32_t &code,
                 std::string &text)
{
    const std::size_t sp = v.find_first_of(" \t");
    const std::string num = sp == std::string::npos ? v : v.substr(0, sp);
    if (!ParseInt(num, code))
        Fail("bad status code \"" + num + "\" for " + key);
    text = sp == std::string::npos ? std::string() : Text(key, Trim(v.substr(sp)));
}

int FindOp(const std::string &name)
{
    for (int i = 0; i < OpCount; ++i)
        if (name == kOpNames[i])
            return i;
    return -1;
}

// The fault of operation name in a [driver] or a board section.
Fault &FaultOf(const std::string &key, const std::string &name, bool bDriver, Fault *faults,
               DriverConfig &c)
{
    if (bDriver && name == "VtlUsbOpen")
        return c.open;
    if (bDriver && name == "VtlUsbClose")
        return c.close;
    if (!bDriver && FindOp(name) >= 0)
        return faults[FindOp(name)];
    Fail("unknown operation \"" + name + "\" in " + key);
}

// Applies fail./delay./throw. keys and crash; false when key is not one of them.
bool FaultKey(const std::string &key, const std::string &v, bool bDriver, Fault *faults,
              DriverConfig &c)
{
    if (key == "crash")
    {
        FaultOf(key, v, bDriver, faults, c).bCrash = true;
        return true;
    }
    const std::size_t dot = key.find('.');
    if (dot == std::string::npos)
        return false;
    const std::string kind = key.substr(0, dot), name = key.substr(dot + 1);
    if (kind != "fail" && kind != "delay" && kind != "throw" && kind != "fail_times")
        return false;
    Fault *f = &FaultOf(key, name, bDriver, faults, c);
    if (kind == "fail_times")
        f->nFailTimes = Number(key, v);
    else if (kind == "delay")
    {
        f->nDelayMs = Number(key, v);
        if (f->nDelayMs > 600000)
            Fail("delay too long for " + key + " (at most 600000 ms)");
    }
    else if (kind == "fail")
    {
        f->bFail = true;
        CodeAndText(key, v, f->nFailStatus, f->failText);
        if (f->nFailStatus == 0)
            Fail("a failure needs a non-zero status in " + key);
        if (f->failText.empty())
            f->failText = "Simulated failure of " + name;
    }
    else
    {
        f->bThrow = true;
        CodeAndText(key, v, f->nThrowCode, f->throwText);
        if (f->throwText.empty())
            f->throwText = "Simulated exception in " + name;
    }
    return true;
}

// error_length / error_unterminated, in [driver] and in board sections.
bool ShapeKey(TextShape &shape, const std::string &key, const std::string &v)
{
    if (key == "error_length")
    {
        shape.nLength = Number(key, v);
        if (shape.nLength > (1u << 20))
            Fail("error_length too large (at most 1048576)");
    }
    else if (key == "error_unterminated")
        shape.bUnterminated = Flag(key, v);
    else
        return false;
    return true;
}

void EepromVersion(const std::string &key, const std::string &v, int &nMajor, int &nMinor)
{
    const std::size_t dot = v.find('.');
    std::uint32_t a, b;
    if (dot == std::string::npos || !ParseUInt(v.substr(0, dot), a) ||
        !ParseUInt(v.substr(dot + 1), b) || a > 255 || b > 255)
        Fail("bad version \"" + v + "\" for " + key + " (e.g. 1.05)");
    nMajor = static_cast<int>(a);
    nMinor = static_cast<int>(b);
}

void BoardKey(BoardConfig &b, const std::string &key, const std::string &v, int &nEepromSources)
{
    if (key == "usable")
        b.nUsable = Number(key, v);
    else if (key == "type")
    {
        b.type = Text(key, v);
        if (b.type.size() > 255)
            Fail("type longer than 255 characters");
    }
    else if (key == "type_unterminated")
        b.bTypeUnterminated = Flag(key, v);
    else if (key == "io")
        b.nIoAddress = Number(key, v);
    else if (key == "openable")
        b.bOpenable = Flag(key, v);
    else if (key == "unplugged")
        b.bUnplugged = Flag(key, v);
    else if (key == "spartan" || key == "virtex")
    {
        const int fam = key == "spartan" ? 0 : 1;
        if (v == "default")
            b.flash[fam] = DefaultFlash(fam);
        else if (v == "empty")
            b.flash[fam] = FlashFamily();
        else
        {
            FlashFamily f;
            std::string err;
            if (!LoadFlashFile(v, 1, 0, f, err))
                Fail(key + ": " + err);
            b.flash[fam] = f;
        }
    }
    else if (key == "spartan_text" || key == "virtex_text")
    {
        const int fam = key == "spartan_text" ? 0 : 1;
        b.bHasText[fam] = true;
        b.text[fam] = Text(key, v);
    }
    else if (key == "spartan_status" || key == "virtex_status" || key == "flash_status")
    {
        std::int32_t s;
        if (!ParseInt(v, s))
            Fail("bad status \"" + v + "\" for " + key);
        if (key != "virtex_status")
            b.nFlashStatus[0] = s;
        if (key != "spartan_status")
            b.nFlashStatus[1] = s;
    }
    else if (key == "flash_unterminated")
        b.bFlashUnterminated = Flag(key, v);
    else if (key == "eeprom_version")
    {
        int ma, mi;
        EepromVersion(key, v, ma, mi);
        b.eeprom = MakeC0Image(ma, mi);
        ++nEepromSources;
    }
    else if (key == "eeprom_erased")
    {
        if (Flag(key, v))
            b.eeprom.assign(kEepromSize, 0xFF);
        ++nEepromSources;
    }
    else if (!ShapeKey(b.errorShape, key, v))
        Fail("unknown key \"" + key + "\"");
    if (nEepromSources > 1)
        Fail("only one of eeprom_version, eeprom_erased per board");
}

void DriverKey(DriverConfig &c, const std::string &key, const std::string &v, bool &bBoardsSet)
{
    if (key == "boards")
    {
        const std::uint32_t n = Number(key, v);
        if (n > kMaxBoards)
            Fail("too many boards (at most 32)");
        c.boards.resize(n);
        bBoardsSet = true;
    }
    else if (key == "board_count")
    {
        c.nReportedCount = Number(key, v);
        c.bReportCount = true;
    }
    else if (key == "progress_ms")
        c.nProgressMs = Number(key, v);
    else if (key == "progress_step_ms")
    {
        c.nProgressStepMs = Number(key, v);
        if (c.nProgressStepMs == 0)
            Fail("progress_step_ms must be at least 1");
    }
    else if (key == "throw_style")
    {
        static const char *const kStyles[] = {"gcc", "class", "struct", "other"};
        int i = 0;
        while (i < 4 && v != kStyles[i])
            ++i;
        if (i == 4)
            Fail("bad throw_style \"" + v + "\" (use gcc, class, struct or other)");
        c.throwStyle = static_cast<ThrowStyle>(i);
    }
    else if (key == "journal_times")
        c.bJournalTimes = Flag(key, v);
    else if (key == "throw_runtime")
        c.throwRuntime = v;
    else if (!ShapeKey(c.errorShape, key, v))
        Fail("unknown key \"" + key + "\"");
}

} // namespace

bool ParseConfigText(const std::string &path, const std::string &text, DriverConfig &out,
                     std::string &error)
{
    DriverConfig c;
    c.path = path;
    std::vector<bool> present(kMaxBoards, false);
    std::vector<BoardConfig> boards(kMaxBoards);
    for (std::uint32_t i = 0; i < kMaxBoards; ++i)
        boards[i] = DefaultBoard(i);
    std::vector<int> eepromSources(kMaxBoards, 0);
    bool bBoardsSet = false;
    std::set<std::string> seenSections, seenKeys;
    std::string section;
    int board = -1;
    int line = 0;
    std::size_t pos = 0;
    try
    {
        while (pos <= text.size())
        {
            std::size_t nl = text.find('\n', pos);
            if (nl == std::string::npos)
                nl = text.size();
            const std::string raw = Trim(text.substr(pos, nl - pos));
            pos = nl + 1;
            ++line;
            if (raw.empty() || raw[0] == '#' || raw[0] == ';')
                continue;
            if (raw[0] == '[')
            {
                if (raw.back() != ']')
                    Fail("section header without ']'");
                const std::string name = Trim(raw.substr(1, raw.size() - 2));
                std::uint32_t n = 0;
                if (name == "driver" || name == "plug")
                    board = -1;
                else if (name.compare(0, 5, "board") == 0 && ParseUInt(Trim(name.substr(5)), n) &&
                         n < kMaxBoards)
                    board = static_cast<int>(n);
                else
                    Fail("unknown section [" + name +
                         "] (use [driver], [board N] with N < 32, or [plug])");
                section = board < 0 ? name : "board " + std::to_string(board);
                if (!seenSections.insert(section).second)
                    Fail("section [" + section + "] appears twice");
                if (board >= 0)
                    present[board] = true;
                continue;
            }
            if (section.empty())
                Fail("key outside a section");
            const std::size_t eq = raw.find('=');
            if (eq == std::string::npos)
                Fail("expected key = value");
            const std::string key = Trim(raw.substr(0, eq)), value = Trim(raw.substr(eq + 1));
            if (key.empty())
                Fail("empty key");
            // Several plug events may share a time.
            std::uint32_t nTime;
            const bool bEvent = section == "plug" && ParseUInt(key, nTime);
            if (!bEvent && !seenKeys.insert(section + "/" + key).second)
                Fail("key \"" + key + "\" appears twice in [" + section + "]");
            if (section == "plug")
            {
                const std::string problem = PlugScriptKey(c.plug, key, value, line);
                if (!problem.empty())
                    Fail(problem);
            }
            else if (board >= 0)
            {
                boards[board].identity += key + "=" + value + "\n";
                if (!FaultKey(key, value, false, boards[board].faults, c))
                    BoardKey(boards[board], key, value, eepromSources[board]);
            }
            else if (!FaultKey(key, value, true, nullptr, c))
                DriverKey(c, key, value, bBoardsSet);
        }
        std::uint32_t count = bBoardsSet ? static_cast<std::uint32_t>(c.boards.size()) : 0;
        if (!bBoardsSet)
        {
            for (std::uint32_t i = 0; i < kMaxBoards; ++i)
                if (present[i])
                    count = i + 1;
            if (count == 0)
                count = 1;
        }
        for (std::uint32_t i = count; i < kMaxBoards; ++i)
            if (present[i])
            {
                line = 0;
                Fail("section [board " + std::to_string(i) +
                     "] but boards = " + std::to_string(count));
            }
        boards.resize(count);
        c.boards = boards;
        const std::string problem = FinishPlugScript(c.plug, count, line);
        if (!problem.empty())
            Fail(problem);
    }
    catch (const ParseError &e)
    {
        error = path + "(" + std::to_string(line) + "): " + e.problem;
        return false;
    }
    out = c;
    return true;
}

bool LoadConfig(const std::string &path, DriverConfig &out, std::string &error)
{
    std::vector<std::uint8_t> bytes;
    std::string err;
    if (!ReadWholeFile(path, 1 << 20, bytes, err))
    {
        error = path + "(0): " + err.substr(err.find(": ") + 2);
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    for (char &ch : text)
        if (ch == '\r')
            ch = ' ';
    return ParseConfigText(path, text, out, error);
}

bool LoadCurrentConfig(DriverConfig &out, std::string &error)
{
    const std::string path = GetEnv("VTLSIM_CONFIG");
    if (path.empty())
    {
        out = DefaultConfig();
        return true;
    }
    return LoadConfig(path, out, error);
}

} // namespace vtlsim
