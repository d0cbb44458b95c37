// Cursor handles: system shapes and the program's cursor resources as the
// toolkit's cursors, and the cursor a control's client area shows.
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <map>
#include <memory>

#include "platform/controls/controls_qt.h"
#include "platform/controls/cursors.h"
#include "platform/controls/forms.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/pixelbuffer_qt.h"
#include "platform/graphics/qtsupport.h"
#include "platform/graphics/resources.h"

struct TCursorHandleTag {
    QCursor Cursor;
};

struct TInstanceTag {};

namespace {

TInstanceTag ProgramInstance;

// Every handle made, for the whole run.
std::vector<std::unique_ptr<TCursorHandleTag>>& Cursors()
{
    static std::vector<std::unique_ptr<TCursorHandleTag>> cursors;
    return cursors;
}

HCURSOR MakeHandle(const QCursor& cursor)
{
    Cursors().push_back(std::make_unique<TCursorHandleTag>(TCursorHandleTag{cursor}));
    return Cursors().back().get();
}

HCURSOR SystemCursor(Qt::CursorShape shape)
{
    EnsureQtApplication();
    static std::map<int, HCURSOR> shapes;
    auto found = shapes.find(shape);
    if (found != shapes.end())
        return found->second;
    HCURSOR handle = MakeHandle(QCursor(shape));
    shapes[shape] = handle;
    return handle;
}

bool SystemShape(intptr_t id, Qt::CursorShape& shape)
{
    switch (id) {
    case IDC_ARROW:
        shape = Qt::ArrowCursor;
        return true;
    case IDC_IBEAM:
        shape = Qt::IBeamCursor;
        return true;
    case IDC_WAIT:
        shape = Qt::WaitCursor;
        return true;
    case IDC_CROSS:
        shape = Qt::CrossCursor;
        return true;
    case IDC_UPARROW:
        shape = Qt::UpArrowCursor;
        return true;
    case IDC_SIZENWSE:
        shape = Qt::SizeFDiagCursor;
        return true;
    case IDC_SIZENESW:
        shape = Qt::SizeBDiagCursor;
        return true;
    case IDC_SIZEWE:
        shape = Qt::SizeHorCursor;
        return true;
    case IDC_SIZENS:
        shape = Qt::SizeVerCursor;
        return true;
    case IDC_SIZEALL:
        shape = Qt::SizeAllCursor;
        return true;
    case IDC_NO:
        shape = Qt::ForbiddenCursor;
        return true;
    case IDC_HAND:
        shape = Qt::PointingHandCursor;
        return true;
    case IDC_APPSTARTING:
        shape = Qt::BusyCursor;
        return true;
    case IDC_HELP:
        shape = Qt::WhatsThisCursor;
        return true;
    default:
        return false;
    }
}

} // namespace

const HINSTANCE HInstance = &ProgramInstance;

HCURSOR LoadCursor(HINSTANCE instance, const char* name)
{
    EnsureQtApplication();
    const auto id = reinterpret_cast<intptr_t>(name);
    if (!instance) {
        Qt::CursorShape shape;
        return SystemShape(id, shape) ? SystemCursor(shape) : nullptr;
    }
    // Resources are loaded by name; a number names none of ours.
    if (instance != HInstance || !name || (id >= 0 && id < 0x10000))
        return nullptr;
    TCursorImage image;
    if (!LoadCursorResource(name, image) || image.Image.Empty())
        return nullptr;
    const QPixmap pixmap = QPixmap::fromImage(ImageOfPixels(image.Image));
    return MakeHandle(QCursor(pixmap, image.HotSpot.X, image.HotSpot.Y));
}

// The shapes of the class library's built-in cursor numbers.
HCURSOR BuiltInCursor(int index)
{
    switch (index) {
    case crDefault:
    case crArrow:
        return SystemCursor(Qt::ArrowCursor);
    case crNone:
        return SystemCursor(Qt::BlankCursor);
    case crCross:
        return SystemCursor(Qt::CrossCursor);
    case crIBeam:
        return SystemCursor(Qt::IBeamCursor);
    case crSizeNESW:
        return SystemCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
        return SystemCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
        return SystemCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
        return SystemCursor(Qt::SizeHorCursor);
    case crUpArrow:
        return SystemCursor(Qt::UpArrowCursor);
    case crHourGlass:
    case crSQLWait:
        return SystemCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
        return SystemCursor(Qt::DragCopyCursor);
    case crNoDrop:
    case crNo:
        return SystemCursor(Qt::ForbiddenCursor);
    case crHSplit:
        return SystemCursor(Qt::SplitHCursor);
    case crVSplit:
        return SystemCursor(Qt::SplitVCursor);
    case crAppStart:
        return SystemCursor(Qt::BusyCursor);
    case crHelp:
        return SystemCursor(Qt::WhatsThisCursor);
    case crHandPoint:
        return SystemCursor(Qt::PointingHandCursor);
    case crSizeAll:
        return SystemCursor(Qt::SizeAllCursor);
    default:
        return nullptr;
    }
}

const QCursor* CursorOfHandle(HCURSOR handle)
{
    return handle ? &handle->Cursor : nullptr;
}

void ApplyControlCursor(TWinControl* control)
{
    TWindowData* data = WindowDataOf(control);
    if (!data || !data->Client)
        return;
    HCURSOR handle = Screen ? Screen->Cursors(control->Cursor()) : nullptr;
    if (!handle)
        handle = BuiltInCursor(crDefault);
    // Asked on every pointer move: change the toolkit's cursor only when it differs.
    if (handle == data->AppliedCursor)
        return;
    data->AppliedCursor = handle;
    data->Client->setCursor(handle->Cursor);
}

// ---------------------------------------------------------------------------
// Identifiers

namespace {

struct TCursorIdent {
    TCursor Cursor;
    const char* Ident;
};

const TCursorIdent CursorIdents[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},           {crArrow, "crArrow"},
    {crCross, "crCross"},         {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},
    {crUpArrow, "crUpArrow"},     {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},
    {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"},
    {crSizeAll, "crSizeAll"},
};

} // namespace

bool CursorToIdent(int cursor, AnsiString& ident)
{
    for (const TCursorIdent& entry : CursorIdents)
        if (entry.Cursor == cursor) {
            ident = entry.Ident;
            return true;
        }
    return false;
}

bool IdentToCursor(const AnsiString& ident, int& cursor)
{
    for (const TCursorIdent& entry : CursorIdents)
        if (SameText(ident, entry.Ident)) {
            cursor = entry.Cursor;
            return true;
        }
    return false;
}
