// The item resizer: a click selects a picture and shows its handles, dragging
// a handle resizes it as one undo group with the proportions and the symmetry
// of the modifier keys, Esc cancels a drag and swallows the release, and
// read-only editors show no handles. Every resize runs through the editing
// invariant.
#include <gtest/gtest.h>

#include "document/rvitem_pictures.h"
#include "edit/rvresize.h"
#include "platform/controls/syntheticinput.h"
#include "platform/graphics/pixelbuffer.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

class Resizing : public TEditFixture {
protected:
    // "ab", a 100 x 50 picture without spacing, "cd"; laid out.
    void SetUp() override
    {
        AddText("ab");
        TCustomRVItemInfo* picture = NewPicture(100, 50);
        static_cast<TRVRectItemInfo*>(picture)->Spacing = 0;
        picture->ParaNo = 0;
        picture->SetSameAsPrev(true);
        d->AddItem(AnsiString(), picture);
        AddText("cd", 0, -1);
        d->FormatAll();
    }
    const TRVDrawLineInfo& Picture()
    {
        int di = -1;
        d->Item2FirstDrawItem(1, di);
        return *d->DrawItems[di];
    }
    int ImageWidth() { return static_cast<TRVGraphicItemInfo*>(d->GetItem(1))->ImageWidth; }
    int ImageHeight() { return static_cast<TRVGraphicItemInfo*>(d->GetItem(1))->ImageHeight; }
    void Click(int x, int y)
    {
        Editor.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
        Editor.Edit->MouseUp(mbLeft, TShiftState(), x, y);
    }
    void SelectPicture() { Click(Picture().Left + 50, Picture().Top + 25); }
    // Drags a handle's point by (Dx, Dy) with Shift held down during the move.
    void Drag(TRVResizeHandleIndex handle, int dx, int dy, TShiftState shift = TShiftState())
    {
        int hx = 0;
        int hy = 0;
        d->Resizer->GetResizeHandleCoords(handle, true, hx, hy);
        const int x = Picture().Left + hx;
        const int y = Picture().Top + hy;
        Editor.Edit->MouseDown(mbLeft, TShiftState{ssLeft} + shift, x, y);
        Editor.Edit->MouseMove(TShiftState{ssLeft} + shift, x + dx / 2, y + dy / 2);
        Editor.Edit->MouseMove(TShiftState{ssLeft} + shift, x + dx, y + dy);
        Editor.Edit->MouseUp(mbLeft, shift, x + dx, y + dy);
    }
};

TEST_F(Resizing, AClickSelectsThePictureAndShowsItsHandles)
{
    SelectPicture();
    ASSERT_NE(d->Resizer, nullptr);
    EXPECT_EQ(d->Resizer->ItemNo, 1);
    int start = 0, startOffs = 0, end = 0, endOffs = 0;
    d->GetSelectionBounds(start, startOffs, end, endOffs, true);
    EXPECT_EQ(std::vector<int>({start, startOffs, end, endOffs}), std::vector<int>({1, 0, 1, 1}));
    // The handles' cursors over them; none elsewhere.
    TRVResizeHandleIndex index = rvrhTop;
    EXPECT_TRUE(d->GetResizeHandleAt(Picture().Left + 3, Picture().Top + 3, index));
    EXPECT_EQ(index, rvrhLeftTop);
    EXPECT_EQ(TRVItemResizer::GetResizeHandleCursor(index), crSizeNWSE);
    EXPECT_FALSE(d->GetResizeHandleAt(Picture().Left + 50, Picture().Top + 25, index));
    // Text selected: no handles.
    Click(2, Picture().Top + 2);
    EXPECT_EQ(d->Resizer, nullptr);
}

TEST_F(Resizing, TheHandlesArePaintedOverThePicture)
{
    SelectPicture();
    // The pixels of the left-top handle, with handles and without.
    auto handlePixels = [&] {
        TPixelBuffer pixels;
        EXPECT_TRUE(GrabWindow(Editor.Edit, pixels));
        std::vector<uint32_t> out;
        const TRect client = Editor.Edit->ClientRect();
        // The editor's vertical bar stands beside the client area: the
        // border is what the height leaves.
        const int border = (pixels.Height - client.Height()) / 2;
        for (int y = -3; y <= 3; ++y)
            for (int x = -3; x <= 3; ++x)
                out.push_back(pixels.At(border + Picture().Left + 3 + x, border + Picture().Top + 3 + y));
        return out;
    };
    const auto shown = handlePixels();
    Editor.Edit->SetEditorOptions(TRVEditorOptions{rvoNoImageResize});
    d->CreateResizer();
    EXPECT_NE(handlePixels(), shown);
}

TEST_F(Resizing, NoHandlesWhenReadOnlyOrImageResizingIsOff)
{
    Editor.Edit->SetEditorOptions(TRVEditorOptions{rvoNoImageResize});
    SelectPicture();
    EXPECT_EQ(d->Resizer, nullptr);
    Editor.Edit->SetEditorOptions(TRVEditorOptions());
    Editor.Edit->SetReadOnly(true);
    d->SetSelectionBounds(1, 0, 1, 1);
    d->CreateResizer();
    EXPECT_EQ(d->Resizer, nullptr);
}

TEST_F(Resizing, DraggingAHandleResizesAsOneUndoGroup)
{
    struct TCase {
        const char* Name;
        TRVResizeHandleIndex Handle;
        int Dx, Dy;
        TShiftState Shift;
        int Width, Height;
    };
    const TCase cases[] = {
        // The larger ratio (1.8) decides for a corner.
        {"corner", rvrhRightBottom, 20, 40, TShiftState(), 180, 90},
        // Ctrl: about the centre, both ways.
        {"ctrl corner", rvrhRightBottom, 20, 40, TShiftState{ssCtrl}, 260, 130},
        {"edge", rvrhRight, 20, 0, TShiftState(), 120, 50},
        {"shift edge", rvrhRight, 20, 0, TShiftState{ssShift}, 120, 60},
        {"left edge", rvrhLeft, -30, 7, TShiftState(), 130, 50},
        {"too small", rvrhBottom, 0, -200, TShiftState(), 100, 2},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SelectPicture();
        ASSERT_NE(d->Resizer, nullptr);
        const int groups = d->UndoList->Count();
        int handlesWidth = -1;
        editinvariant::Run(*d, c.Name, [&] {
            Drag(c.Handle, c.Dx, c.Dy, c.Shift);
            // The item keeps its selection and its handles, at the new size.
            handlesWidth = d->Resizer ? d->Resizer->Width : -1;
        });
        EXPECT_EQ(handlesWidth, c.Width);
        EXPECT_EQ(ImageWidth(), c.Width);
        EXPECT_EQ(ImageHeight(), c.Height);
        EXPECT_EQ(d->UndoList->Count(), groups + 1);
        EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutModifyItem);
        d->Undo();
        EXPECT_EQ(ImageWidth(), 0);
    }
}

TEST_F(Resizing, EscCancelsADragAndTheReleaseDoesNothing)
{
    SelectPicture();
    const AnsiString before = editinvariant::SaveRVF(*d);
    int hx = 0, hy = 0;
    d->Resizer->GetResizeHandleCoords(rvrhRightBottom, true, hx, hy);
    const int x = Picture().Left + hx;
    const int y = Picture().Top + hy;
    Editor.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
    Editor.Edit->MouseMove(TShiftState{ssLeft}, x + 30, y + 30);
    EXPECT_TRUE(d->Resizer->Dragging());
    WORD key = VK_ESCAPE;
    Editor.Edit->Perform(WM_KEYDOWN, key, 0);
    EXPECT_FALSE(d->Resizer->Dragging());
    EXPECT_TRUE(d->Resizer->Cancelled());
    Editor.Edit->MouseUp(mbLeft, TShiftState(), x + 30, y + 30);
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(d->UndoList->CurrentUndoType(), rvutNone);
    // The picture is still selected: the release was swallowed.
    EXPECT_NE(d->Resizer, nullptr);
    EXPECT_FALSE(d->Resizer->Cancelled());
}

TEST_F(Resizing, ARefusedResizeChangesNothing)
{
    SelectPicture();
    const AnsiString before = editinvariant::SaveRVF(*d);
    Editor.Edit->OnChanging = [](TCustomRollViewEdit*, bool& canEdit) { canEdit = false; };
    Drag(rvrhRightBottom, 20, 40);
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(ImageWidth(), 0);
}

TEST_F(Resizing, HandlesOutsideAreDrawnAndHitOutside)
{
    SelectPicture();
    d->Resizer->Position = rvhpOutside;
    int x = 0, y = 0;
    d->Resizer->GetResizeHandleCoords(rvrhLeftTop, true, x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(-3, -3));
    TRVResizeHandleIndex index = rvrhTop;
    EXPECT_TRUE(d->GetResizeHandleAt(Picture().Left - 3, Picture().Top - 3, index));
    EXPECT_EQ(index, rvrhLeftTop);
    d->Resizer->GetResizeHandleCoords(rvrhBottom, true, x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(50, 53));
}

} // namespace

namespace {

TEST_F(TEditFixture, AControlIsResizedByItsSizeWithoutSpacingAndUndoneToItsSize)
{
    auto* control = new TCustomControl(nullptr);
    control->SetBounds(0, 0, 40, 20);
    AddText("ab");
    d->AddControlEx("c", control, -1, rvvaBaseline);
    // Controls are resized only when they say so.
    static_cast<TRVControlItemInfo*>(d->GetItem(1))->Resizable = true;
    d->FormatAll();
    d->SetSelectionBounds(1, 0, 1, 1);
    d->CreateResizer();
    ASSERT_NE(d->Resizer, nullptr);
    EXPECT_EQ(d->Resizer->Position, rvhpOutside);
    const int spacing = static_cast<TRVRectItemInfo*>(d->GetItem(1))->Spacing;
    editinvariant::Run(*d, "resize", [&] { d->ResizeItem(1, 60 + 2 * spacing, 30 + 2 * spacing); });
    EXPECT_EQ(control->Width(), 60);
    EXPECT_EQ(control->Height(), 30);
    d->Undo();
    EXPECT_EQ(control->Width(), 40);
    EXPECT_EQ(control->Height(), 20);
}

} // namespace
