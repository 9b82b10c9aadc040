// The message-box catcher on the test thread and on other threads.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vtltest;

TEST(MsgBoxCatcher, RecordsAndAnswersOnThisThread)
{
    CMsgBoxCatcher cat;
    cat.PushAnswer(IDNO);
    EXPECT_EQ(IDNO, MessageBoxA(NULL, "Delete it?", "Question box", MB_YESNO | MB_ICONWARNING));
    EXPECT_EQ(IDOK, MessageBoxA(NULL, "It failed", "Error box", MB_OK | MB_ICONERROR));
    ASSERT_EQ(2u, cat.Count());
    MsgBoxRecord r = cat.Record(0);
    EXPECT_EQ("Question box", r.caption);
    EXPECT_EQ("Delete it?", r.text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), r.icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), r.buttons);
    EXPECT_EQ(IDNO, r.answer);
    EXPECT_EQ(GetCurrentThreadId(), r.threadId);
    r = cat.Record(1);
    EXPECT_EQ("It failed", r.text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), r.icon);
    EXPECT_EQ(std::vector<int>{IDOK}, r.buttons);
    EXPECT_EQ("", cat.Record(2).text);
}

TEST(MsgBoxCatcher, TellsTheFourIconsApartAndNone)
{
    CMsgBoxCatcher cat;
    const UINT icons[] = {MB_ICONINFORMATION, MB_ICONWARNING, MB_ICONERROR, MB_ICONQUESTION, 0};
    for (UINT icon : icons)
        MessageBoxA(NULL, "text", "icons", MB_OK | icon);
    ASSERT_EQ(5u, cat.Count());
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(icons[i], cat.Record(i).icon) << i;
}

TEST(MsgBoxCatcher, UnscriptedAnswerFallsBackToAButtonTheBoxHas)
{
    CMsgBoxCatcher cat(IDYES);
    EXPECT_EQ(IDOK, MessageBoxA(NULL, "only OK", "fallback", MB_OK));
    EXPECT_EQ(IDCANCEL, MessageBoxA(NULL, "ok/cancel", "fallback", MB_OKCANCEL));
    cat.SetDefaultAnswer(IDRETRY);
    EXPECT_EQ(IDRETRY, MessageBoxA(NULL, "retry", "fallback", MB_RETRYCANCEL));
}

namespace
{
struct BoxArgs
{
    const char *text;
    int result;
};

DWORD WINAPI BoxThread(void *p)
{
    auto *a = static_cast<BoxArgs *>(p);
    a->result = MessageBoxA(NULL, a->text, "Worker", MB_YESNO | MB_ICONINFORMATION);
    return 0;
}
} // namespace

TEST(MsgBoxCatcher, CatchesBoxesOfThreadsStartedBeforeAndAfterIt)
{
    // A thread that exists before the catcher, held until it is armed.
    BoxArgs early{"early", 0};
    HANDLE go = CreateEventA(NULL, TRUE, FALSE, NULL);
    struct Gate
    {
        HANDLE go;
        BoxArgs *a;
    } gate{go, &early};
    HANDLE t1 = CreateThread(
        NULL, 0,
        [](void *p) -> DWORD {
            auto *g = static_cast<Gate *>(p);
            WaitForSingleObject(g->go, 10000);
            return BoxThread(g->a);
        },
        &gate, 0, NULL);

    CMsgBoxCatcher cat;
    cat.PushAnswer(IDYES);
    cat.PushAnswer(IDNO);
    SetEvent(go);
    ASSERT_TRUE(cat.WaitForCount(1, 10000));
    EXPECT_TRUE(WaitForHandle(t1, 10000));

    BoxArgs late{"late", 0};
    HANDLE t2 = CreateThread(NULL, 0, BoxThread, &late, 0, NULL);
    ASSERT_TRUE(cat.WaitForCount(2, 10000));
    EXPECT_TRUE(WaitForHandle(t2, 10000));

    EXPECT_EQ(IDYES, early.result);
    EXPECT_EQ(IDNO, late.result);
    EXPECT_EQ("early", cat.Record(0).text);
    EXPECT_EQ("late", cat.Record(1).text);
    EXPECT_EQ(GetThreadId(t2), cat.Record(1).threadId);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), cat.Record(1).icon);
    CloseHandle(t1);
    CloseHandle(t2);
    CloseHandle(go);
}

TEST(MsgBoxCatcher, NothingIsCaughtOnceItIsGone)
{
    {
        CMsgBoxCatcher cat;
        MessageBoxA(NULL, "caught", "scope", MB_OK);
        EXPECT_EQ(1u, cat.Count());
    }
    // Without a catcher the box stays up; close it from outside to prove it was not answered.
    volatile LONG seen = 0;
    HANDLE t = CreateThread(
        NULL, 0,
        [](void *p) -> DWORD {
            WindowQuery q;
            q.className = "#32770";
            q.title = "uncaught";
            q.pid = GetCurrentProcessId();
            if (HWND h = WaitForWindow(q, 5000))
            {
                InterlockedExchange(static_cast<volatile LONG *>(p), 1);
                PostMessageA(h, WM_COMMAND, IDOK, 0);
            }
            return 0;
        },
        const_cast<LONG *>(&seen), 0, NULL);
    MessageBoxA(NULL, "not caught", "uncaught", MB_OK);
    EXPECT_TRUE(WaitForHandle(t, 10000));
    EXPECT_EQ(1, seen);
    CloseHandle(t);
}
