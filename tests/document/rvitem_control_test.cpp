// Control items: sizes and percent widths, capabilities and focus, placement,
// insertion and undo, frames, printing through the viewer's control pictures,
// the store's control operations, and RVF, RTF, HTML and text output.
#include <gtest/gtest.h>

#include <memory>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvprintsvc.h"
#include "document/rvstr.h"
#include "document/rvstyle.h"
#include "platform/controls/controls.h"
#include "platform/controls/forms.h"
#include "platform/core/classreg.h"
#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/recordingcanvas.h"
#include "tests/document/doctestdata.h"

namespace {

// A window control that can be named in RVF.
class TRVTestControl : public TWinControl {
public:
    explicit TRVTestControl(TComponent* AOwner) : TWinControl(AOwner) {}
    const char* ClassName() const override { return "TRVTestControl"; }
};
const TPersistentClass TestControlClass = RegisterClass<TRVTestControl>("TRVTestControl");

TRVTestControl* NewControl(int Width, int Height)
{
    auto* Control = new TRVTestControl(nullptr);
    Control->SetBounds(0, 0, Width, Height);
    return Control;
}

// A printing viewer that hands out pictures of controls.
class TTestPrintingViewer : public TRVPrintingViewer, public TRVControlPrintImageSource {
public:
    TRVStyle* GetPrintRVStyle() const override { return nullptr; }
    std::unique_ptr<TBitmap> GetControlPrintImage(TControl* Control) override
    {
        Asked = Control;
        if (ImageWidth == 0)
            return nullptr;
        auto Image = std::make_unique<TBitmap>();
        Image->SetSize(ImageWidth, ImageHeight);
        Image->Canvas()->Brush()->SetColor(clBlue);
        Image->Canvas()->FillRect(Rect(0, 0, ImageWidth, ImageHeight));
        return Image;
    }
    TControl* Asked = nullptr;
    int ImageWidth = 0;
    int ImageHeight = 0;
};

class ControlItemTest : public ::testing::Test {
protected:
    ControlItemTest() : Data(&Style) { Data.ParentControl = &Panel; }
    TWinControl Panel{nullptr}; // outlives the items, whose controls it shows
    TRVStyle Style{nullptr};
    TDocTestData Data;
};

} // namespace

TEST_F(ControlItemTest, SizesAndPercentWidth)
{
    TRVControlItemInfo Item(&Data, NewControl(100, 20), rvvaMiddle);
    // Half of a document 400 pixels wide, less 2; the minimum width is then 20.
    Item.SetPercentWidth(50);
    int HShift = -1, Desc = -1;
    Item.OnDocWidthChange(400, nullptr, false, nullptr, &Data, nullptr, HShift, Desc, false);
    EXPECT_EQ(Item.Control()->Width(), 198);
    EXPECT_EQ(HShift, 0);
    EXPECT_EQ(Desc, Item.GetDescent());
    EXPECT_EQ(Item.GetMinWidth(nullptr, nullptr, &Data), 20);

    // A negative percentage is taken as none: the control keeps its width.
    Item.SetPercentWidth(-30);
    EXPECT_EQ(Item.PercentWidth(), 0);
    Item.OnDocWidthChange(1000, nullptr, false, nullptr, &Data, nullptr, HShift, Desc, false);
    EXPECT_EQ(Item.Control()->Width(), 198);
    EXPECT_EQ(Item.GetMinWidth(nullptr, nullptr, &Data), 200);
    // Above 100 the control keeps its width too.
    Item.SetPercentWidth(150);
    Item.OnDocWidthChange(1000, nullptr, false, nullptr, &Data, nullptr, HShift, Desc, false);
    EXPECT_EQ(Item.Control()->Width(), 198);
}

TEST_F(ControlItemTest, CapabilitiesAndFocus)
{
    TRVControlItemInfo Item(&Data, NewControl(10, 10), rvvaBaseline);
    Item.Resizable = true;
    Item.SetPercentWidth(10);
    EXPECT_FALSE(Item.GetBoolValue(rvbpResizable)) << "the width follows the document";
    Item.SetPercentWidth(0);

    // Focusable only as a tab stop on a form that can take the focus.
    EXPECT_FALSE(Item.GetBoolValueEx(rvbpAllowsFocus, &Style));
    TForm Form(nullptr);
    Item.Control()->SetParent(&Form);
    static_cast<TWinControl*>(Item.Control())->SetTabStop(true);
    Form.Show();
    EXPECT_TRUE(Item.GetBoolValueEx(rvbpAllowsFocus, &Style));
    Item.Focusing();
    EXPECT_TRUE(static_cast<TWinControl*>(Item.Control())->Focused());
    static_cast<TWinControl*>(Item.Control())->SetTabStop(false);
    EXPECT_FALSE(Item.GetBoolValueEx(rvbpAllowsFocus, &Style));
    Item.Control()->SetParent(nullptr);

    TRVControlItemInfo Empty(&Data);
    EXPECT_FALSE(Empty.GetBoolValue(rvbpValid));
    Empty.Focusing(); // nothing to focus
    Empty.AdjustInserted(1, 2, true);
}

TEST_F(ControlItemTest, PlacementInsertionAndUndo)
{
    TRVControlItemInfo Item(&Data, NewControl(40, 10), rvvaBaseline);
    Item.Spacing = 3;
    TControl* Control = Item.Control();
    AnsiString Text = "c";
    Item.Inserting(&Data, Text, false);
    EXPECT_EQ(Control->Parent(), &Panel);
    EXPECT_FALSE(Control->Visible());
    Item.Inserting(&Data, Text, true);
    EXPECT_EQ(Control->Parent(), nullptr) << "safe mode shows it nowhere";
    Item.Inserting(&Data, Text, false);

    // The true position goes to the tag; Top follows it within the window range.
    Item.AdjustInserted(10, 50000, false);
    EXPECT_EQ(Control->Left(), 13);
    EXPECT_EQ(Control->Tag(), 50003);
    EXPECT_EQ(Control->Top(), 0);
    EXPECT_TRUE(Control->Visible());
    Item.AdjustInserted(10, 50000, true);
    EXPECT_EQ(Control->Top(), 10000);
    Item.AdjustInserted(10, 20, true);
    EXPECT_EQ(Control->Top(), 23);

    Item.MovingToUndoList(4, &Data, nullptr);
    EXPECT_EQ(Control->Parent(), nullptr);
    Item.MovingFromUndoList(4, &Data);
    EXPECT_EQ(Control->Parent(), &Panel);
    const std::vector<std::pair<TRVControlAction, int>> Expected = {{rvcaMoveToUndoList, 4},
                                                                    {rvcaMoveFromUndoList, 4}};
    EXPECT_EQ(Data.ControlActions, Expected);
    ASSERT_FALSE(Data.Actions.empty());
    EXPECT_EQ(Data.Actions.back().Action, rviaMovingToUndoList);
}

TEST_F(ControlItemTest, PrintingUsesTheViewersPictureOfTheControl)
{
    TRVControlItemInfo Item(&Data, NewControl(20, 10), rvvaBaseline);
    TTestPrintingViewer Viewer;
    TBitmap Bitmap;
    Bitmap.SetSize(10, 30);
    EXPECT_FALSE(Item.PrintToBitmap(&Bitmap, false, &Viewer, nullptr, -1, rvcmColor)) << "no picture";
    EXPECT_EQ(Viewer.Asked, Item.Control());
    EXPECT_FALSE(Item.PrintToBitmap(&Bitmap, false, nullptr, nullptr, -1, rvcmColor)) << "no viewer";

    // The bitmap grows to the picture, which is centred in it.
    Viewer.ImageWidth = 20;
    Viewer.ImageHeight = 10;
    ASSERT_TRUE(Item.PrintToBitmap(&Bitmap, false, &Viewer, nullptr, -1, rvcmColor));
    EXPECT_EQ(Bitmap.Width(), 20);
    EXPECT_EQ(Bitmap.Pixels().At(0, 9), 0xFFFFFFFFu);
    EXPECT_EQ(Bitmap.Pixels().At(0, 10), 0xFF0000FFu);

    // A control that may be split is drawn at the top, shifted by its part.
    Item.MinHeightOnPage = 4;
    TRVScreenAndDevice sad;
    sad.ScreenPpiX = sad.ScreenPpiY = sad.DevicePpiX = sad.DevicePpiY = 96;
    std::unique_ptr<TRVDrawLineInfo> dli(Item.CreatePrintingDrawItem(&Data, sad));
    auto* Multi = dynamic_cast<TRVMultiImagePrintInfo*>(dli.get());
    ASSERT_NE(Multi, nullptr);
    TBitmap Part;
    Part.SetSize(20, 5);
    ASSERT_TRUE(Item.PrintToBitmap(&Part, false, &Viewer, Multi, -1, rvcmColor));
    EXPECT_EQ(Part.Height(), 5);
    EXPECT_EQ(Part.Pixels().At(0, 0), 0xFF0000FFu);
}

TEST_F(ControlItemTest, StoreAddsAndChangesControls)
{
    TRVTestControl* Control = NewControl(50, 20);
    Data.AddControlExTag("edit", Control, 0, rvvaBaseline, TRVTag(3));
    EXPECT_EQ(Control->Parent(), &Panel);
    EXPECT_EQ(Data.FindControlItemNo(Control), 0);
    AnsiString Name;
    TControl* Got = nullptr;
    TRVVAlign VAlign = rvvaMiddle;
    TRVTag Tag;
    // A new layout is needed only for another alignment.
    EXPECT_FALSE(Data.SetControlInfo(0, "edit2", rvvaBaseline, TRVTag(4)));
    EXPECT_TRUE(Data.SetControlInfo(0, "edit2", rvvaMiddle, TRVTag(4)));
    Data.GetControlInfo(0, Name, Got, VAlign, Tag);
    EXPECT_EQ(Name, "edit2");
    EXPECT_EQ(Got, Control) << "the control is never replaced";
    EXPECT_THROW(Data.AddControlEx("none", nullptr, 0, rvvaBaseline), ERollViewError);
    Data.AddPictureEx("p", new TBitmap, 0, rvvaBaseline);
    EXPECT_THROW(Data.GetControlInfo(1, Name, Got, VAlign, Tag), ERollViewError);
    Data.Clear();
    EXPECT_EQ(Panel.ControlCount(), 0) << "the control went with its item";
}

// ---------------------------------------------------------------------------
// Formats

TEST_F(ControlItemTest, RVFRecordRoundTrip)
{
    TRVControlItemInfo Item(&Data, NewControl(5, 5), rvvaBaseline);
    Item.Control()->SetTag(42);
    Item.Resizable = true;
    Item.MinHeightOnPage = 7;
    TMemoryStream Plain;
    Item.SaveRVF(Plain, &Data, 3, 0, "ctl", nullptr, false);
    EXPECT_EQ(StreamBytes(Plain), "-5 3 0 0 1 0 0\r\nctl\r\nminheightonpage=7\r\nresizable=1\r\n");
    EXPECT_TRUE(Data.ControlActions.empty()) << "no body, no save notifications";

    for (const bool Binary : {false, true}) {
        Data.RVFOptions =
            Binary ? TRVFOptions{rvfoSaveControlsBody, rvfoSaveBinary} : TRVFOptions{rvfoSaveControlsBody};
        Data.ControlActions.clear();
        TMemoryStream Stream;
        Item.SaveRVF(Stream, &Data, 3, 0, "ctl", nullptr, false);
        const std::vector<std::pair<TRVControlAction, int>> Saved = {{rvcaBeforeRVFSave, 3},
                                                                     {rvcaAfterRVFSave, 3}};
        EXPECT_EQ(Data.ControlActions, Saved);
        const TRVFRecord Record = SplitRVFRecord(StreamBytes(Stream));
        EXPECT_EQ(Record.Header, Binary ? "-5 5 0 0 2 0 0" : "-5 5 0 0 0 0 0");
        ASSERT_EQ(Record.Lines.size(), 5u);
        EXPECT_EQ(Record.Lines[1], "TRVTestControl");

        TRVControlItemInfo Back(&Data);
        TRVFReadMode Mode = rmText;
        TRVFReadState State = rstData;
        AnsiString Name;
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(Back.ReadRVFLine(Record.Lines[i], &Data, Binary ? 2 : 0, i, 5, Name, Mode, State))
                << i;
        EXPECT_EQ(Mode, Binary ? rmBeforeBinary : rmText);
        EXPECT_EQ(State, rstSkip);
        EXPECT_EQ(Name, "ctl");
        ASSERT_NE(dynamic_cast<TRVTestControl*>(Back.Control()), nullptr);
        EXPECT_EQ(Back.Control()->Tag(), 42);
        EXPECT_EQ(Back.Control()->Parent(), &Panel);
        EXPECT_FALSE(Back.Control()->Visible());
        EXPECT_TRUE(Back.Resizable);
        EXPECT_EQ(Back.MinHeightOnPage, 7);
    }
}

TEST_F(ControlItemTest, RVFMissingControlsWarn)
{
    TRVFReadMode Mode = rmText;
    TRVFReadState State = rstData;
    AnsiString Name;
    // Without a body the document is asked; none given fails unless ignored.
    TRVControlItemInfo Asked(&Data);
    EXPECT_FALSE(Asked.ReadRVFLine("c", &Data, 1, 0, 1, Name, Mode, State));
    EXPECT_TRUE(Data.Warnings.Contains(rvfwUnknownCtrls));
    Data.RVFOptions = TRVFOptions{rvfoIgnoreUnknownCtrls};
    EXPECT_TRUE(Asked.ReadRVFLine("c", &Data, 1, 0, 1, Name, Mode, State));

    Data.RVFOptions = TRVFOptions();
    TRVControlItemInfo* Given = nullptr;
    Data.ControlNeeded = [&](const AnsiString& N, const TRVTag&) -> TControl* {
        Name = N;
        return NewControl(3, 3);
    };
    TRVControlItemInfo Supplied(&Data);
    Given = &Supplied;
    ASSERT_TRUE(Given->ReadRVFLine("named", &Data, 1, 0, 1, Name, Mode, State));
    ASSERT_NE(Given->Control(), nullptr);
    EXPECT_EQ(Given->Control()->Parent(), &Panel);

    // A class that is not registered, or data that does not read, leave no control.
    Data.Warnings = TRVFWarnings();
    TRVControlItemInfo Unknown(&Data);
    EXPECT_TRUE(Unknown.ReadRVFLine("u", &Data, 0, 0, 3, Name, Mode, State));
    EXPECT_TRUE(Unknown.ReadRVFLine("TNoSuchControl", &Data, 0, 1, 3, Name, Mode, State));
    EXPECT_FALSE(Unknown.ReadRVFLine("00", &Data, 0, 2, 3, Name, Mode, State));
    EXPECT_TRUE(Data.Warnings.Contains(rvfwUnknownCtrls));
    TRVControlItemInfo Damaged(&Data);
    EXPECT_TRUE(Damaged.ReadRVFLine("d", &Data, 0, 0, 3, Name, Mode, State));
    EXPECT_TRUE(Damaged.ReadRVFLine("TRVTestControl", &Data, 0, 1, 3, Name, Mode, State));
    EXPECT_FALSE(Damaged.ReadRVFLine("5450", &Data, 0, 2, 3, Name, Mode, State));
    EXPECT_EQ(Damaged.Control(), nullptr);
}
