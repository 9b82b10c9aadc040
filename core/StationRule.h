// StationRule.h - what a production station decides: which list positions hold a board still to
// be done, and what a board's run comes to.
#pragma once

#include <cstdint>
#include <vector>

// The list positions between two listings. The library gives a board no identity beyond its
// position, so a position done once stays done until a listing shows it empty. A removal seen
// since the last listing may have moved any board to another position: then no position can be
// taken to hold the board done there before, and each is run again.
class CStationPositions
{
public:
    enum Due
    {
        kNotDue,
        kNew,  // the position was empty before
        kRerun // it was done, but a removal since makes its board unknown
    };

    // A new listing of nCount boards; bRemovals: a removal was seen since the last one.
    void Listed(std::uint32_t nCount, bool bRemovals)
    {
        // Fewer boards than before means one left, whether or not its notice came.
        const bool bMoved = bRemovals || nCount < m_due.size();
        m_due.resize(nCount, kNew);
        for (Due &due : m_due)
        {
            if (bMoved && due == kNotDue)
                due = kRerun;
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
    std::vector<Due> m_due;
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
