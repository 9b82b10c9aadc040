// StationRule.h - what a production station decides: which list positions hold a board still to
// be done, and what a board's run comes to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The list positions between two listings. The library gives a board no identity beyond its
// position, so a position done once stays done until a listing shows it empty. A removal seen
// since the last listing may have moved any board to another position: then no position can be
// taken to hold the board done there before, and each is run again. Nor can one whose board
// now shows another address or type.
class CStationPositions
{
public:
    enum Due
    {
        kNotDue,
        kNew,  // the position was empty before
        kRerun // it was done, but a removal since makes its board unknown
    };

    // A new listing, one key per board (what the list tells of it: address and type);
    // bRemovals: a removal was seen since the last one.
    template <class Key> void Listed(const std::vector<Key> &keys, bool bRemovals)
    {
        // Fewer boards than before means one left, whether or not its notice came.
        const bool bMoved = bRemovals || keys.size() < m_due.size();
        m_due.resize(keys.size(), kNew);
        m_keys.resize(keys.size());
        for (size_t i = 0; i < keys.size(); ++i)
        {
            // A board of another kind where one was done has arrived before it in the list.
            const std::string strKey = KeyText(keys[i]);
            if (m_due[i] == kNotDue && (bMoved || strKey != m_keys[i]))
                m_due[i] = kRerun;
            m_keys[i] = strKey;
        }
    }

    Due At(std::uint32_t nPosition) const
    {
        return nPosition < m_due.size() ? m_due[nPosition] : kNotDue;
    }

    // The first position still to be done, or -1.
    int Next() const
    {
        for (size_t i = 0; i < m_due.size(); ++i)
        {
            if (m_due[i] != kNotDue)
                return static_cast<int>(i);
        }
        return -1;
    }

    // The board there got its result; it is not run again until the position was empty.
    void Done(std::uint32_t nPosition)
    {
        if (nPosition < m_due.size())
            m_due[nPosition] = kNotDue;
    }

private:
    static std::string KeyText(const std::string &strKey) { return strKey; }
    static std::string KeyText(std::uint32_t nKey) { return std::to_string(nKey); }

    std::vector<Due> m_due;
    std::vector<std::string> m_keys;
};

enum class StationResult
{
    kPass,
    kFail,
    kInterrupted
};

// How a board's run ended.
struct StationRun
{
    bool bComplete;  // every step of the recipe ran and succeeded
    bool bFailed;    // a step reported a failure (the steps after it were not started)
    bool bRemoved;   // a removal was seen while the board ran
    bool bException; // the library threw
};

// A run is PASS only when complete. A failure is the board's own only while the board stayed:
// a board pulled out, a library that threw or a break leaves the run INTERRUPTED.
inline StationResult StationVerdict(const StationRun &run)
{
    if (run.bComplete && !run.bFailed && !run.bException)
        return StationResult::kPass;
    if (run.bFailed && !run.bRemoved && !run.bException)
        return StationResult::kFail;
    return StationResult::kInterrupted;
}

// The station's exit code: 0 when every board passed, 4 when a board failed or was interrupted
// by itself (removed, a throw), else 130 after a break.
inline int StationExitCode(unsigned nFailed, unsigned nInterruptedByBoard, bool bBreak)
{
    if (nFailed != 0 || nInterruptedByBoard != 0)
        return 4;
    return bBreak ? 130 : 0;
}
