// ToolFace.h - what each tool's test program tells the suites both tools run: its one row.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "SimSession.h"
#include "TestSupport.h"

namespace facetest
{
// One step of a repeated command, run to its end; true when it ended as it should.
using Step = std::function<bool()>;

struct ToolFace
{
    const char *name;
    // The simulator's configuration with these [driver] keys added.
    std::string (*config)(const std::string &driverKeys);
    // Runs the main dialog once; true when it came up with its boards and closed again.
    bool (*startAndClose)();
    // The configuration startAndClose expects and the call each start-up's close leaves.
    std::string startConfig;
    const char *closeCall;
    // Runs the dialog and hands body one step of the command a user repeats.
    void (*repeatCommand)(vtltest::CSimSession &sim, const std::function<void(const Step &)> &body);
    std::string commandConfig;
    const char *commandCall;
    int nCommandCallsBesides; // commandCall's count beyond one per step
    // A start-up whose library open fails: the boxes it shows, and the box's text around the
    // library's own.
    std::vector<vtltest::MsgBoxRecord> (*failedStartBoxes)();
    const char *openFailurePrefix, *openFailureSuffix;
    const char *openFailureCaption; // null: not checked
    // Runs the main dialog on this thread and script on another once the dialog is up, while
    // the dialog goes on handling its messages; false when the dialog never came up.
    bool (*runMain)(const std::function<void(HWND)> &script);
    // The splash's text, and the call after which start-up hides it.
    const char *splashText;
    const char *readyCall;
};

const ToolFace &ThisTool();
} // namespace facetest
