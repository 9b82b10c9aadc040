// CliSession.h - one run against the driver library: load it, open it, list the boards, run a
// command on the chosen ones, and give back every board and the library on every way out.
#pragma once

#include "CliArgs.h"
#include "VtlDrvUsbLoad.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One listed board: an index whose record the library marked usable.
struct CliBoard
{
    std::uint32_t nPosition = 0; // list index, as --board takes it
    std::uint32_t nIndex = 0;    // the library's index
    std::uint32_t dwIoAddress = 0;
    std::string strType; // bounded copy of the record's text

    // "board 0 at 0x300 (VTL4410)"
    std::string Describe() const;
};

// What a command did on one board: its exit code and, when that is 0, its result line.
struct CliResult
{
    int nCode;
    std::string strText;
};

// The texts in which the two programs differ.
struct CliTexts
{
    const char *pszLocked; // first line when the library will not hand out a board
    std::string (*pfnOpenFailed)(const std::string &strLibraryText, std::uint32_t nCode);
};

// What a command gives when an interrupt came before one of its board calls.
CliResult CliInterrupted();

typedef std::function<CliResult(CVtlBoard &board, const CliBoard &info)> CliCommandFn;

class CCliSession
{
public:
    explicit CCliSession(const CliTexts &texts);
    ~CCliSession();
    CCliSession(const CCliSession &) = delete;
    CCliSession &operator=(const CCliSession &) = delete;

    // Loads the library without any message box, opens it and reads the records: 0, or the exit
    // code once the reason is printed. No board is opened here. A window given here receives
    // the library's device notices.
    int Open(std::uint32_t dwWindow = 0);
    // Closes the library and opens it again, for a list that follows the boards plugged now.
    int Reopen();
    const std::vector<CliBoard> &Boards() const { return m_boards; }

    // The boards the choice names, in list order; empty after printing why there are none
    // (exit code 3). Opens no board.
    std::vector<const CliBoard *> Choose(const CliBoardChoice &choice) const;

    // Runs the command on each chosen board, opening each just before and releasing it just
    // after. With --all it prints one summary line per board. Gives the worst code.
    int Run(const std::vector<const CliBoard *> &chosen, bool bAll, const CliCommandFn &command);

    // For callers that walk the list themselves: the board, or null when another program holds
    // it. May throw VTLExc. At most one board is held at a time.
    UsbBoard *OpenBoard(const CliBoard &board);
    // Releases the board OpenBoard handed out: 0, or the code of an exception it threw.
    int ReleaseBoard();

    // Releases a board still held and closes the library: 0, or the code of an exception.
    // The destructor does the same for every other way out.
    int Close();

    // Prints a driver exception and gives its exit code.
    static int ReportException(const VTLExc &e);

private:
    int OpenLibrary();
    // The command's result; the release's code goes to nRelease.
    CliResult RunOne(const CliBoard &board, const CliCommandFn &command, int &nRelease);

    CliTexts m_texts;
    std::unique_ptr<CVtlDrvUsbLoad> m_pLoader;
    std::uint32_t m_dwWindow; // given to every open of the library
    bool m_bLibraryOpen;      // VtlUsbOpen was called, so VtlUsbClose is due, also after a failure
    UsbBoard *m_pBoard;       // the board held now, if any
    std::vector<CliBoard> m_boards;
};
