// Drive.cpp - vtldrive <torvane|ostrel> <samples dir> <work dir>
// Runs one tool against the simulator and works its main job; lines "@shot <name> [x y w h]"
// ask the calling script to capture the screen (cropped to the rectangle when given) and
// answer with one line.
#include "Drive.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

void Say(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vprintf(fmt, ap);
    va_end(ap);
    printf("\n");
    fflush(stdout);
}

void Shot(const char *name, HWND hMain, HWND hBox)
{
    RECT rc{};
    if (hMain != NULL && GetWindowRect(hMain, &rc))
    {
        RECT rcBox{};
        if (hBox != NULL && GetWindowRect(hBox, &rcBox))
            UnionRect(&rc, &rc, &rcBox);
        printf("@shot %s %ld %ld %ld %ld\n", name, rc.left, rc.top, rc.right - rc.left,
               rc.bottom - rc.top);
    }
    else
    {
        printf("@shot %s\n", name);
    }
    fflush(stdout);
    char line[64];
    if (!fgets(line, sizeof line, stdin))
        return; // no script listening: carry on without pictures
}

bool ReportMessageBox(vtltest::CProcessDriver &app, DWORD timeoutMs, const char *shotName)
{
    vtltest::MsgBoxRecord r;
    HWND hBox = NULL;
    if (!app.WaitForMessageBox(r, timeoutMs, &hBox))
    {
        Say("no message box within %lu ms", timeoutMs);
        return false;
    }
    Say("message box \"%s\": %s", r.caption.c_str(), r.text.c_str());
    if (shotName)
        Shot(shotName, app.MainWindow(), hBox);
    return app.AnswerMessageBox(hBox, r.buttons.empty() ? IDOK : r.buttons.front());
}

int main(int argc, char **argv)
{
    if (argc != 4)
    {
        fprintf(stderr, "usage: vtldrive <torvane|ostrel> <samples dir> <work dir>\n");
        return 2;
    }
    std::string samples = argv[2], work = argv[3];
    for (std::string *s : {&samples, &work})
        if (!s->empty() && s->back() != '\\')
            s->push_back('\\');
    if (!strcmp(argv[1], "torvane"))
        return DriveTorvane(samples, work);
    if (!strcmp(argv[1], "ostrel"))
        return DriveOstrel(samples, work);
    fprintf(stderr, "unknown tool %s\n", argv[1]);
    return 2;
}
