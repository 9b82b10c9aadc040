// NoStrings.cpp - a module without string resources, for the missing-string case.
#include <windows.h>

extern "C" __declspec(dllexport) int MfcTestNoStrings()
{
    return 0;
}
