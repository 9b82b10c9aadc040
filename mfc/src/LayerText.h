// LayerText.h - the layer's own message texts; its boxes go through CWnd::MessageBox.
#pragma once

namespace afx
{
constexpr const char kHandlerFailed[] =
    "An unexpected error occurred. The last action was not completed.";
constexpr const char kFileDialogFailed[] = "The file dialog could not be opened.";
// The path, with '?' for each character that has no ANSI form.
constexpr const char kPathOutsideCodePage[] =
    "The path \"%s\" cannot be used: it contains characters outside the system code page.";
} // namespace afx
