// MfcTestUtil.h - the test program's application object.
#pragma once

#include <afxwin.h>

#include <ModalRun.h>

class CTestApp : public CWinApp
{
public:
    void OnAppCommand() { ++m_nAppCommands; }
    int m_nAppCommands = 0;

    DECLARE_MESSAGE_MAP()
};

extern CTestApp theApp;

// Processes this thread's queued messages without blocking (bounded).
void FlushMessages();
