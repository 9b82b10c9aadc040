// DriveTorvane.cpp - picks the sample bitstream, programs it and waits for the end; then tries a
// missing file.
#include "flash/resource.h"
#include "Drive.h"

using namespace vtltest;

int DriveTorvane(const std::string &samples, const std::string &workDir)
{
    CProcessDriver app;
    if (!app.Start("Torvane.exe") || !app.WaitForMainWindow(30000, "Torvane"))
    {
        Say("Torvane did not start: %s", app.LastError().c_str());
        return 1;
    }
    // The splash goes first; the info box is filled once the board is open.
    WaitForCondition([&] { return !app.Text(IDC_INFO).empty() || !app.MessageBoxes().empty(); },
                     15000);
    while (!app.MessageBoxes().empty())
        ReportMessageBox(app, 1000, "torvane-startup-message");
    Say("flash contents: %s", app.Text(IDC_INFO).c_str());
    Shot("torvane-start", app.MainWindow());

    const std::string bit = samples + "sample.bit";
    if (!app.Click(IDC_BROWSE) || !app.AnswerFileDialog(bit, 15000))
    {
        Say("could not pick %s: %s", bit.c_str(), app.LastError().c_str());
        return 1;
    }
    Say("path box: %s", app.Text(IDC_FILE).c_str());
    if (!app.Click(IDC_PROGRAM))
    {
        Say("Program is not available");
        return 1;
    }
    WaitForCondition(
        [&] { return app.ProgressPos(IDC_PROGRESS) >= 40 || !app.MessageBoxes().empty(); }, 60000);
    Say("programming: %s, %s", app.Text(IDC_PERCENT).c_str(), app.Text(IDC_TIME).c_str());
    Shot("torvane-programming", app.MainWindow());
    bool done = WaitForCondition(
        [&] {
            return !app.MessageBoxes().empty() ||
                   (app.IsEnabled(IDC_PROGRAM) &&
                    app.Text(IDC_INFO).find("Programming") == std::string::npos);
        },
        180000);
    while (!app.MessageBoxes().empty())
        ReportMessageBox(app, 1000, "torvane-message");
    Say("finished: %s, %s", app.Text(IDC_PERCENT).c_str(), app.Text(IDC_TIME).c_str());
    Say("flash contents: %s", app.Text(IDC_INFO).c_str());
    Shot("torvane-done", app.MainWindow());

    // A file that is not there: the driver's error comes back in a message box.
    const std::string missing = workDir + "missing.bit";
    if (app.SetText(IDC_FILE, missing) && app.Click(IDC_PROGRAM))
        ReportMessageBox(app, 60000, "torvane-error");
    app.PostCommand(IDCANCEL);
    DWORD code = 0;
    if (!app.WaitForExit(30000, &code))
        Say("Torvane did not end");
    return done ? 0 : 1;
}
