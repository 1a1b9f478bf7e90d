// What a skinned window and a skinned container answer their child controls:
// the colour replies that let a control draw over the skin's background
// instead of the system face colour, the repaints that keep edits, lists,
// combo boxes and tree views from leaving stale pixels on that background,
// and the owner drawing of skinned buttons.
#pragma once

#include <windows.h>

#include <optional>

namespace qelvo::skin {

class SkinEngine;
struct Message;

// True for the objects the system owns (GetStockObject), which are never
// deleted and were never counted.
bool isStockObject(HGDIOBJ object);
// Deletes the brush and the bitmap a colour reply left on the child and
// zeroes both properties; a stock brush is only forgotten.
void releaseChildColourObjects(HWND child);

// Text colour from the child's "Kj_Ztys", transparent text background, and
// the hollow brush, so the control's own background is left unpainted.
HBRUSH transparentColourReply(HDC dc, HWND child);
// Text colour and mode as above, and a pattern brush of the background
// behind the child veiled in white; null when no background could be made.
HBRUSH staticColourReply(SkinEngine& engine, HDC dc, HWND child);

// Whether a WM_CTLCOLOR* message from the child gets one of the replies
// above: both the control skinning switch and the veil flag must be set, and
// the child must be of a class the reply suits.
bool takesColourReply(const SkinEngine& engine, UINT message, HWND child);
// The reply to a WM_CTLCOLOR* message; none when it is to be forwarded.
std::optional<LRESULT> childColourReply(SkinEngine& engine, UINT message, WPARAM wparam,
                                        LPARAM lparam);

// On WM_COMMAND: repaints (with erase) an edit, list box or combo box whose
// notification means its content moved over the background.
void invalidateOnChildCommand(const SkinEngine& engine, WPARAM wparam, LPARAM lparam);
// On WM_NOTIFY: repaints a tree view whose item is expanding or expanded.
void invalidateOnTreeExpand(LPARAM lparam);

// WM_DRAWITEM, WM_CTLCOLOR*, WM_COMMAND and WM_NOTIFY as the procedure of a
// skinned window or container answers them: a skinned button is drawn, a
// colour request gets its reply, and children whose content moved are
// repainted. What is not answered here goes on to the replaced procedure.
LRESULT answerChildMessage(SkinEngine& engine, const Message& message);

}  // namespace qelvo::skin
