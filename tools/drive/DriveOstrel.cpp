// DriveOstrel.cpp - lists the boards (two, unless the user configured the simulator), saves the
// first board's EEPROM, verifies it and starts an update from it, which asks first.
#include "eeprom/resource.h"
#include "Drive.h"

#include <cstdlib>

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
            Shot(shot.c_str(), app.MainWindow());
            return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        ReportMessageBox(app, 1000, shot.c_str());
        return false;
    }
    return ReportMessageBox(app, 30000, shot.c_str());
}

// Updates the first board from the file it was saved to: the same version, so Ostrel asks
// first; the answer is No.
bool UpdateAsksFirst(CProcessDriver &app, const std::string &path)
{
    if (!app.Click(IDC_UPDATE) || !app.AnswerFileDialog(path, 15000))
    {
        Say("update: no file dialog");
        return false;
    }
    MsgBoxRecord r;
    HWND hBox = NULL;
    if (!app.WaitForMessageBox(r, 30000, &hBox))
    {
        Say("update: no question");
        return false;
    }
    Say("message box \"%s\": %s", r.caption.c_str(), r.text.c_str());
    Shot("ostrel-version-question", app.MainWindow(), hBox);
    return app.AnswerMessageBox(hBox, IDNO);
}
} // namespace

int DriveOstrel(const std::string &samples, const std::string &workDir)
{
    // Without a configuration of the user's, the tour shows the sample's two boards.
    std::vector<std::pair<std::string, std::string>> env;
    const char *pszConfig = getenv("VTLSIM_CONFIG");
    if (pszConfig == NULL || *pszConfig == '\0')
        env.push_back({"VTLSIM_CONFIG", samples + "two-boards.ini"});
    CProcessDriver app;
    if (!app.Start("Ostrel.exe", env) || !app.WaitForMainWindow(30000))
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
    Shot("ostrel-start", app.MainWindow());
    const std::string file = workDir + "saved.iic";
    DeleteFileA(file.c_str()); // left by an earlier run
    bool ok = Command(app, IDC_SAVE, "save", file) && Command(app, IDC_VERIFY, "verify", file) &&
              UpdateAsksFirst(app, file);
    app.PostCommand(IDCANCEL);
    if (!app.WaitForExit(30000))
        Say("Ostrel did not end");
    return ok ? 0 : 1;
}
