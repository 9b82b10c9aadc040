// DialogTemplate.cpp - a dialog template compared with what a test expects of it.
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace vtltest
{
namespace
{
INT_PTR CALLBACK NullProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
} // namespace

void ExpectTemplate(UINT nTemplate, int cx, int cy, const char *pszCaption,
                    const std::vector<TemplateControl> &controls)
{
    SCOPED_TRACE("template " + std::to_string(nTemplate));
    CCreationSizes created;
    HWND h =
        CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(nTemplate), NULL, NullProc, 0);
    ASSERT_NE(h, (HWND)NULL);
    EXPECT_EQ(GetText(h), pszCaption);
    RECT rcSize{0, 0, cx, cy}, rcClient{};
    MapDialogRect(h, &rcSize);
    GetClientRect(h, &rcClient);
    EXPECT_EQ(rcClient.right, rcSize.right);
    EXPECT_EQ(rcClient.bottom, rcSize.bottom);
    size_t i = 0;
    for (HWND c = GetWindow(h, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT), ++i)
    {
        if (i >= controls.size())
        {
            ADD_FAILURE() << "extra control " << GetDlgCtrlID(c);
            break;
        }
        const TemplateControl &want = controls[i];
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(c)), want.id) << "control " << i;
        if (want.text)
        {
            EXPECT_EQ(GetText(c), want.text) << "control " << i;
        }
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        EXPECT_EQ(style & want.style, want.style) << "control " << i;
        EXPECT_EQ(style & want.notStyle, 0) << "control " << i;
        const bool bStatic = GetClass(c) == "Static";
        if (bStatic && (want.style & SS_TYPEMASK) != 0)
        {
            EXPECT_EQ(style & SS_TYPEMASK, want.style & SS_TYPEMASK) << "control " << i;
        }
        if (GetClass(c) == "Button" && (want.style & BS_TYPEMASK) != 0)
        {
            EXPECT_EQ(style & BS_TYPEMASK, want.style & BS_TYPEMASK) << "control " << i;
        }
        // Origin and size are converted apart, as the dialog manager does.
        RECT units{want.x, want.y, want.cx, want.cy}, got{};
        MapDialogRect(h, &units);
        GetWindowRect(c, &got);
        MapWindowPoints(NULL, h, reinterpret_cast<POINT *>(&got), 2);
        EXPECT_EQ(got.left, units.left) << "control " << i;
        EXPECT_EQ(got.top, units.top) << "control " << i;
        // An icon or bitmap static takes the size of its image at once: the template's size is
        // the one it was created with.
        SIZE size{got.right - got.left, got.bottom - got.top};
        const LONG type = want.style & SS_TYPEMASK;
        if (bStatic && (type == SS_ICON || type == SS_BITMAP))
        {
            EXPECT_TRUE(created.Get(c, size)) << "control " << i;
        }
        EXPECT_EQ(size.cx, units.right) << "control " << i;
        EXPECT_EQ(size.cy, units.bottom) << "control " << i;
    }
    EXPECT_EQ(i, controls.size());
    DestroyWindow(h);
}
} // namespace vtltest
