// Files dropped from the desktop's file manager: a window that accepts them
// receives WM_DROPFILES with the names (full length, as the file system has them)
// and the point of the drop, read from the text/uri-list the file manager sends.
#pragma once

#include <vector>

#include "platform/controls/messages.h"
#include "platform/core/object.h"
#include "platform/core/types.h"

// The payload of WM_DROPFILES. The message owns it: it is freed after the
// handler returns, so DragFinish has nothing to do.
class TDropFiles : public TObject {
public:
    const char* ClassName() const override { return "TDropFiles"; }
    std::vector<AnsiString> Files; // full paths, in the order the file manager gave them
    TPoint Point;                  // client coordinates of the window dropped on
    bool InClient = true;          // the point lies in the client area
};
using HDROP = TDropFiles*;

// The handle a WM_DROPFILES message carries (its WParam).
inline HDROP DropHandleOf(const TMessage& message)
{
    return reinterpret_cast<HDROP>(message.WParam);
}

// Makes the window accept dropped files, or stop accepting them. The control
// remembers it: a window made again for it (RecreateWnd) accepts files too.
void DragAcceptFiles(HWND wnd, bool accept);
// The number of names dropped; 0 for a null handle.
UINT DragQueryFileCount(HDROP drop);
// Name Index (from 0) whole; empty for a bad index.
AnsiString DragQueryFile(HDROP drop, UINT index);
inline AnsiString DragQueryFileA(HDROP drop, UINT index)
{
    return DragQueryFile(drop, index);
}
// The drop point in the client coordinates of the window; true when it lies in
// the client area.
bool DragQueryPoint(HDROP drop, TPoint& point);
// Nothing: the message frees its payload.
void DragFinish(HDROP drop);

// The local files of a text/uri-list (RFC 2483): one URI a line, lines starting
// with '#' ignored. "file:///path", "file://localhost/path", "file://<this
// host>/path" and "file:/path" are local; the path is percent-decoded into bytes
// and cut before a '?' or '#'. URIs of other schemes or hosts, and paths that
// decode to a NUL byte or to nothing, are left out.
std::vector<AnsiString> DecodeUriList(const AnsiString& uriList);

// Drives the toolkit's drag and drop of UriList onto the window at a client
// point, as a file manager would (enter, move, drop events); true when the
// window took the drop. For tests, where no file manager runs.
bool SimulateFileDrop(HWND wnd, const AnsiString& uriList, const TPoint& clientPoint);
