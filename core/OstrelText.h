// OstrelText.h - every fixed text Ostrel and ostrel-cli show.
#pragma once

namespace OstrelText
{
// Board list: the column headers (their lengths share out the list's width) and the row texts
constexpr const char *const kColumnHeaders[] = {"Board type    ", "I/O Address", "EEPROM Ver"};
constexpr const char kIoAddress[] = "0x%X";
constexpr const char kVersion[] = "Ver %d.%02d";
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
    "The EEPROM currently contains version %d.%02d.  The file you selected\ncontains version "
    "%d.%02d. Do you still wish to continue?";
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
