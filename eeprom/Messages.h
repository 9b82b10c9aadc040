// Messages.h - every fixed text Ostrel shows, the one function that shows them, and the
// bounded copy of library texts.
#pragma once

#include <afxwin.h>

namespace OstrelText
{
// Board list
constexpr const char kOpenFailed[] =
    "There was an error while trying to open the library.\n%s [Error 0x%X]";
constexpr const char kErrorCaption[] = "Error";
constexpr const char kUnknownVersion[] = "Unknown";

// Commands
constexpr const char kLockFailed[] =
    "The board could not be locked. Please make sure that there is\nno other application running "
    "that might be locking the board.\nThen restart this application.";
constexpr const char kLockFailedCaption[] = "Failed to lock board";
constexpr const char kEraseDone[] =
    "Erase succeeded. Press the reset button on the board for the changes to take effect.";
constexpr const char kResetCaption[] = "RESET";
constexpr const char kEraseFailed[] = "The EEPROM erase failed";
constexpr const char kEraseFailedCaption[] = "Erase error";
constexpr const char kSaveFailed[] = "Could not save the EEPROM file";
constexpr const char kSaveFailedCaption[] = "Failed";
constexpr const char kInvalidFile[] = "This is not a valid Veltrane EEPROM file";
constexpr const char kInvalidFileCaption[] = "Invalid file";
constexpr const char kVersionQuestion[] =
    "The EEPROM currently contains version %d.%d.  The file you selected\ncontains version "
    "%d.%d. Do you still wish to continue?";
constexpr const char kVersionCaption[] = "EEPROM Version";
constexpr const char kProgramFailed[] = "The EEPROM could not be programed";
constexpr const char kProgramFailedCaption[] = "Programming error";
constexpr const char kProgramDone[] =
    "Press the reset button on the board for the changes to take effect.";
constexpr const char kVerifyFailed[] = "The EEPROM verification failed";
constexpr const char kVerifyFailedCaption[] = "Verification error";
constexpr const char kVerifyDone[] =
    "Verification succeeded.  The EEPROM contents match \nthe file you specified.";
constexpr const char kVerifyDoneCaption[] = "Result";

// File dialogs
constexpr const char kDefaultExtension[] = "iic";
constexpr const char kFileFilter[] = "EEPROM Files (*.iic)|*.iic|All Files (*.*)|*.*||";
} // namespace OstrelText

// Shows a message box owned by owner; every box of the dialog goes through here.
int OstrelMessageBox(CWnd &owner, LPCSTR pszText, LPCSTR pszCaption, UINT nType);

// Copy of a text the library handed over, cut at nMax characters: the library does not
// promise a terminator.
CString BoundedText(const char *psz, size_t nMax);
