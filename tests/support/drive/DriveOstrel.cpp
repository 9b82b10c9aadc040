// DriveOstrel.cpp - lists the boards, saves the first board's EEPROM and verifies it.
#include "eeprom/resource.h"
#include "Drive.h"

using namespace vtltest;

namespace
{
// Presses a command button, answers its file dialog with path and reports the outcome.
bool Command(CProcessDriver &app, int id, const char *name, const std::string &path)
{
    if (!WaitForCondition([&] { return app.IsEnabled(id); }, 15000) || !app.Click(id))
    {
        Say("%s is not available", name);
        return false;
    }
    if (!app.AnswerFileDialog(path, 15000))
    {
        Say("%s: no file dialog", name);
        return false;
    }
    std::string shot = std::string("ostrel-") + name;
    if (id == IDC_SAVE)
    {
        // A successful save is silent: the file appearing is the outcome.
        WaitForCondition(
            [&] {
                return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ||
                       !app.MessageBoxes().empty();
            },
            30000);
        if (app.MessageBoxes().empty())
        {
            Say("saved %s", path.c_str());
            Shot(shot.c_str());
            return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        ReportMessageBox(app, 1000, shot.c_str());
        return false;
    }
    return ReportMessageBox(app, 30000, shot.c_str());
}
} // namespace

int DriveOstrel(const std::string &, const std::string &workDir)
{
    CProcessDriver app;
    if (!app.Start("Ostrel.exe") || !app.WaitForMainWindow(30000))
    {
        Say("Ostrel did not start: %s", app.LastError().c_str());
        return 1;
    }
    WaitForCondition([&] { return app.ListCount(IDC_BOARDS) > 0 || !app.MessageBoxes().empty(); },
                     15000);
    while (!app.MessageBoxes().empty())
        ReportMessageBox(app, 1000, "ostrel-startup-message");
    for (const auto &row : app.ListRows(IDC_BOARDS, 4))
        Say("board: %s | %s | %s | %s", row[0].c_str(), row[1].c_str(), row[2].c_str(),
            row[3].c_str());
    if (app.ListCount(IDC_BOARDS) <= 0)
    {
        Say("no boards listed");
        return 1;
    }
    app.ListSelect(IDC_BOARDS, 0);
    Shot("ostrel-start");
    const std::string file = workDir + "saved.iic";
    DeleteFileA(file.c_str()); // left by an earlier run
    bool ok = Command(app, IDC_SAVE, "save", file) && Command(app, IDC_VERIFY, "verify", file);
    app.PostCommand(IDCANCEL);
    if (!app.WaitForExit(30000))
        Say("Ostrel did not end");
    return ok ? 0 : 1;
}
