// The viewer control: its defaults, the paragraph numbers of the add
// operations, no layout before the window, the vertical scroll unit, painting
// (an exception drawn as text, the message without a style sheet), deferred
// events and their records, keys, Tab navigation among hyperlinks and out of
// the document, the auto-scroll steps, and a tail layout that leaves the
// user's drag alone.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/rvstyle.h"
#include "platform/controls/forms.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/recordingcanvas.h"
#include "view/rollview.h"

namespace {

// The viewer with its protected handlers reachable.
class TTestRollView : public TRollView {
public:
    explicit TTestRollView(TComponent* AOwner) : TRollView(AOwner) {}
    using TCustomRollView::MouseMove;
};

// A focusable window that is not a viewer, for the tab order.
class TBox : public TCustomControl {
public:
    explicit TBox(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
};

// An inline item of a fixed size whose painting fails.
class TFailingItem : public TRVRectItemInfo {
public:
    explicit TFailingItem(TCustomRVData* RVData) : TRVRectItemInfo(RVData)
    {
        StyleNo = rvsPicture;
        Spacing = 0;
    }
    int GetWidth() const override { return 20; }
    int GetHeight() const override { return 20; }
    int GetMinWidth(const TRVScreenAndDevice*, TCanvas*, TCustomRVData*) override { return 20; }
    void Paint(int, int, TCanvas*, TRVItemDrawStates, TRVStyle*, TRVDrawLineInfo*) override
    {
        throw ERollViewError("the picture is broken");
    }
};

class RollViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 400, 300);
        Style = new TRVStyle(Form);
        View = new TTestRollView(Form);
        View->SetName("RollView1");
        View->SetBounds(0, 0, 300, 200);
        View->SetStyle(Style);
        View->SetParent(Form);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    // Lines "line 0" ... in paragraphs of their own, laid out.
    void AddLines(int Count, int From = 0)
    {
        for (int i = From; i < From + Count; ++i)
            View->AddNL("line " + std::to_string(i), 0, 0);
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TTestRollView* View = nullptr;
};

// ---------------------------------------------------------------------------
// Construction

TEST(RollViewDefaultsTest, ANewViewerHasTheDocumentedDefaults)
{
    TRollView View(nullptr);
    EXPECT_EQ(View.Options().Bits, 32421);
    EXPECT_TRUE(View.AllowSelection());
    EXPECT_FALSE(View.SingleClick());
    EXPECT_EQ(View.RTFOptions().Bits, 14);
    EXPECT_EQ(View.RVFOptions().Bits, 67);
    EXPECT_TRUE(View.RVFWarnings().Empty());
    EXPECT_EQ(View.RVFTextStylesReadMode(), rvf_sInsertMerge);
    EXPECT_EQ(View.RVFParaStylesReadMode(), rvf_sInsertMerge);
    EXPECT_EQ(View.Flags(), (TRVFlags{rvflUseJumps, rvflTrim, rvflUseExternalLeading, rvflRoot}));
    EXPECT_EQ(View.Flags().Bits, 0x10B);
    EXPECT_EQ(View.LeftMargin(), 5);
    EXPECT_EQ(View.RightMargin(), 5);
    EXPECT_EQ(View.TopMargin(), 5);
    EXPECT_EQ(View.BottomMargin(), 5);
    EXPECT_EQ(View.MinTextWidth(), 0);
    EXPECT_EQ(View.MaxTextWidth(), 0);
    EXPECT_EQ(View.Delimiters(), " .;,:(){}\"/\\");
    EXPECT_FALSE(View.StoreDelimiters());
    EXPECT_EQ(View.CPEventKind(), cpeNone);
    EXPECT_EQ(View.Cursor(), 0);
    EXPECT_EQ(View.Style(), nullptr);
    EXPECT_EQ(View.Color(), clNone);
    EXPECT_EQ(View.GetColor(), clWindow); // no style sheet to take it from
    EXPECT_EQ(View.Width(), 100);
    EXPECT_EQ(View.Height(), 40);
    EXPECT_EQ(View.BorderStyle(), bsSingle);
    EXPECT_EQ(View.TabNavigation(), rvtnTab);
    EXPECT_TRUE(View.TabStop());
    EXPECT_TRUE(View.Tracking());
    EXPECT_TRUE(View.VScrollVisible());
    EXPECT_TRUE(View.HScrollVisible());
    EXPECT_EQ(View.WheelStep(), 2);
    EXPECT_EQ(View.GetFirstJumpNo(), 0);
    EXPECT_EQ(View.GetBackgroundStyle(), bsNoBitmap);
    ASSERT_NE(View.GetBackBitmap(), nullptr);
    EXPECT_FALSE(View.ScrollTimerActive());
    EXPECT_FALSE(View.RTFReaderAssigned());
    EXPECT_EQ(View.GetDataClass(), &TRollViewRVData::Create);
    ASSERT_NE(View.RVData, nullptr);
    EXPECT_EQ(View.RVData->GetParentControl(), &View);
    EXPECT_EQ(View.RVData->TopFocusedItemNo, -1);
    EXPECT_EQ(View.RVData->TopFocusedRVData, nullptr);
    EXPECT_EQ(View.GetLineCount(), 0);
    EXPECT_EQ(View.GetDocumentHeight(), 0);
    // The style sheets' hyperlink cursor is the program's own.
    ASSERT_NE(Screen, nullptr);
    EXPECT_NE(Screen->Cursors(crJump), nullptr);
}

TEST(RollViewDefaultsTest, TheRootDataAnswersFromTheControl)
{
    TRVStyle Style(nullptr);
    TRollView View(nullptr);
    View.SetStyle(&Style);
    View.SetLeftMargin(7);
    View.SetMaxTextWidth(300);
    View.SetCursor(crIBeam);
    View.SetDelimiters(" ");
    View.SetCPEventKind(cpeWhenVisible);
    TRollViewRVData* Data = View.RVData;
    EXPECT_EQ(Data->GetRVStyle(), &Style);
    EXPECT_EQ(Data->GetLeftMargin(), 7);
    EXPECT_EQ(Data->GetMaxTextWidth(), 300);
    EXPECT_EQ(Data->GetNormalCursor(), crIBeam);
    EXPECT_EQ(Data->GetDelimiters(), " ");
    EXPECT_TRUE(View.StoreDelimiters());
    EXPECT_EQ(Data->GetCPEventKind(), cpeWhenVisible);
    EXPECT_EQ(Data->GetOptions(), View.Options());
    Data->SetFlags(TRVFlags{rvflRoot});
    EXPECT_EQ(View.Flags(), TRVFlags{rvflRoot});
    EXPECT_EQ(Data->GetColor(), Style.Color());
    View.SetColor(0x123456);
    EXPECT_EQ(Data->GetColor(), 0x123456);
    EXPECT_TRUE(Data->CanLoadLayout());
    // Without a window nothing is measured: there is no canvas.
    EXPECT_EQ(Data->GetCanvas(), nullptr);
    // The RTF import settings are made on first use, and only once.
    TRVRTFReaderProperties* Props = Data->GetRTFProperties();
    ASSERT_NE(Props, nullptr);
    EXPECT_EQ(View.GetRTFReadProperties(), Props);
    EXPECT_TRUE(View.RTFReaderAssigned());
    View.SetRTFReadProperties(nullptr);
    EXPECT_FALSE(View.RTFReaderAssigned());
}

TEST(RollViewDefaultsTest, AStyleSheetThatGoesIsForgotten)
{
    TRollView View(nullptr);
    auto* Style = new TRVStyle(nullptr);
    View.SetStyle(Style);
    EXPECT_EQ(View.GetColor(), Style->Color());
    delete Style;
    EXPECT_EQ(View.Style(), nullptr);
    EXPECT_EQ(View.RVData->GetRVStyle(), nullptr);
}

TEST(RollViewDefaultsTest, ARootDataKeepsItsStyleMapsForOneRead)
{
    TRollView View(nullptr);
    TRVIntegerList *Text = nullptr, *Para = nullptr, *List = nullptr;
    View.RVData->InitStyleMappings(Text, Para, List);
    ASSERT_NE(Text, nullptr);
    EXPECT_EQ(Text, View.RVData->TextStylesMapping);
    TRVIntegerList *Text2 = nullptr, *Para2 = nullptr, *List2 = nullptr;
    View.RVData->InitStyleMappings(Text2, Para2, List2); // a nested document of the same read
    EXPECT_EQ(Text2, Text);
    EXPECT_EQ(Para2, Para);
    EXPECT_EQ(List2, List);
    View.RVData->DoneStyleMappings(Text, Para, List);
    EXPECT_EQ(View.RVData->TextStylesMapping, nullptr);
    EXPECT_EQ(View.RVData->ParaStylesMapping, nullptr);
    EXPECT_EQ(View.RVData->ListStylesMapping, nullptr);
}

TEST(RollViewDefaultsTest, HyperlinkedBulletsAndPicturesAreReadAsTheirHypertextKinds)
{
    TRollView View(nullptr);
    int Calls = 0;
    View.OnReadHyperlink = [&](TObject* Sender, const AnsiString& Target, const AnsiString&, TRVLoadFormat,
                               int& StyleNo, TRVTag&, AnsiString& Name) {
        ++Calls;
        EXPECT_EQ(Sender, &View);
        EXPECT_EQ(Target, "http://x");
        if (StyleNo == rvsHotspot)
            Name = "spot";
    };
    int StyleNo = rvsBullet;
    TRVTag Tag;
    AnsiString Name;
    View.RVData->ReadHyperlink("http://x", "", rvlfRTF, StyleNo, Tag, Name);
    EXPECT_EQ(StyleNo, rvsHotspot);
    EXPECT_EQ(Name, "spot");
    StyleNo = rvsPicture;
    View.RVData->ReadHyperlink("http://x", "", rvlfRTF, StyleNo, Tag, Name);
    EXPECT_EQ(StyleNo, rvsHotPicture);
    EXPECT_EQ(Calls, 2);
    // Without a handler the kinds change all the same.
    View.OnReadHyperlink = nullptr;
    StyleNo = rvsBullet;
    View.RVData->ReadHyperlink("", "", rvlfRTF, StyleNo, Tag, Name);
    EXPECT_EQ(StyleNo, rvsHotspot);
}

TEST(RollViewDefaultsTest, HTMLPictureRequestsStartWithTheDefaultAnswer)
{
    TRollView View(nullptr);
    AnsiString Location = "old";
    bool DoDefault = false;
    View.RVData->HTMLSaveImage(View.RVData, 0, "/tmp/", clWhite, Location, DoDefault);
    EXPECT_EQ(Location, "");
    EXPECT_TRUE(DoDefault);
    View.OnHTMLSaveImage = [](TObject*, TCustomRVData*, int ItemNo, const AnsiString&, TColor,
                              AnsiString& Loc, bool& Default) {
        Loc = "img" + std::to_string(ItemNo) + ".png";
        Default = false;
    };
    View.RVData->HTMLSaveImage(View.RVData, 3, "/tmp/", clWhite, Location, DoDefault);
    EXPECT_EQ(Location, "img3.png");
    EXPECT_FALSE(DoDefault);
}

// ---------------------------------------------------------------------------
// Adding items

TEST_F(RollViewTest, TheAddOperationsUseTheirParagraphNumbers)
{
    View->AddFromNewLine("first", 0);     // 0: a paragraph of style 0
    View->Add("more", 1);                 // 1: continues the line
    View->AddTag("tagged", 0, TRVTag(5)); // 2: continues, with its tag
    View->AddCenterLine("centred", 2);    // 3: paragraph style 1
    View->AddText("a\r\nb", 0);           // 4: continues, 5: a new paragraph of style 0
    View->AddTextFromNewLine("c\nd", 0);  // 6, 7: paragraphs of style 0
    View->AddTextNL("e\rf", 0, 1, 0);     // 8: style 1, 9: style 0
    View->AddTextBlockNL("g\nh", 0, 1);   // 10: a paragraph of style 1, 11: a line break in it
    auto* Picture = new TBitmap();
    Picture->SetSize(4, 4);
    View->AddPicture(Picture);                  // 12: paragraph style 1
    View->AddControl(new TBox(nullptr), true);  // 13: centred: style 1
    View->AddControl(new TBox(nullptr), false); // 14: style 0
    View->AddBullet(0, nullptr, true);          // 15: a new paragraph
    View->AddHotspot(1, nullptr, false);        // 16: continues the line
    View->AddBreak();                           // 17

    ASSERT_EQ(View->GetLineCount(), 18);
    const int Paras[] = {0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 1, 1, 1, 1, 0, 0, 0, 0};
    const bool FromNewLine[] = {true, false, false, true, false, true, true, true,  true,
                                true, true,  true,  true, true,  true, true, false, true};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(View->GetItemPara(i), Paras[i]) << "item " << i;
        EXPECT_EQ(View->IsFromNewLine(i), FromNewLine[i]) << "item " << i;
    }
    EXPECT_FALSE(View->IsParaStart(11)); // a line break inside the block
    EXPECT_EQ(View->GetItemTag(2).AsInteger(), 5);
    EXPECT_EQ(View->GetItemStyle(1), 1);
    EXPECT_EQ(View->GetItemStyle(12), rvsPicture);
    EXPECT_EQ(View->GetItemStyle(13), rvsComponent);
    EXPECT_EQ(View->GetItemStyle(15), rvsBullet);
    EXPECT_EQ(View->GetItemStyle(16), rvsHotspot);
    EXPECT_EQ(View->GetItemStyle(17), rvsBreak);
    EXPECT_EQ(View->GetItemText(3), "centred");
    // The document's controls belong to the viewer.
    AnsiString Name;
    TControl* Control = nullptr;
    TRVVAlign VAlign;
    TRVTag Tag;
    View->GetControlInfo(13, Name, Control, VAlign, Tag);
    ASSERT_NE(Control, nullptr);
    EXPECT_EQ(Control->Parent(), View);
    EXPECT_EQ(View->FindControlItemNo(Control), 13);
    // A bad index raises the list's own error.
    EXPECT_THROW(View->GetItem(18), EListError);
    EXPECT_EQ(View->GetItemNo(View->GetItem(4)), 4);
}

TEST_F(RollViewTest, CheckpointsGoToTheNextItemAdded)
{
    EXPECT_EQ(View->AddNamedCheckpoint("top"), 0);
    View->AddNL("line", 0, 0);
    EXPECT_EQ(View->AddCheckpointTag(TRVTag(9)), 1);
    View->AddNL("next", 0, 0);
    EXPECT_EQ(View->AddNamedCheckpointEx("events", true), 2);
    EXPECT_EQ(View->AddCheckpoint(), 2); // one is pending already
    View->AddNL("last", 0, 0);
    TRVCPInfo* First = View->GetFirstCheckpoint();
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(View->GetCheckpointItemNo(First), 0);
    EXPECT_EQ(View->FindCheckpointByName("events"), View->GetItemCheckpoint(2));
    EXPECT_EQ(View->FindCheckpointByTag(TRVTag(9)), View->GetItemCheckpoint(1));
    TRVTag Tag;
    AnsiString Name;
    bool RaiseEvent = false;
    View->GetCheckpointInfo(View->GetLastCheckpoint(), Tag, Name, RaiseEvent);
    EXPECT_EQ(Name, "events");
    EXPECT_TRUE(RaiseEvent);
    EXPECT_EQ(View->GetNextCheckpoint(First), View->GetItemCheckpoint(1));
    EXPECT_EQ(View->GetCheckpointByNo(2), View->GetLastCheckpoint());
}

TEST_F(RollViewTest, WideTextIsConvertedForAStyleThatIsNotUnicode)
{
    View->AddTextNLW(u"caf\u00e9\nna\u00efve", 0, 0, 0, false);
    ASSERT_EQ(View->GetLineCount(), 2);
    EXPECT_FALSE(View->RVData->GetItemOptions(0).Contains(rvioUnicode));
    EXPECT_EQ(View->GetItemTextW(0), u"caf\u00e9");
    EXPECT_EQ(View->GetItemTextW(1), u"na\u00efve");
    Style->TextStyles()->Items(1)->SetUnicode(true);
    View->AddTextNLW(u"\u4e2d\u6587", 1, 0, 0, false);
    ASSERT_EQ(View->GetLineCount(), 3);
    EXPECT_TRUE(View->RVData->GetItemOptions(2).Contains(rvioUnicode));
    EXPECT_EQ(View->GetItemTextW(2), u"\u4e2d\u6587");
    // As one paragraph: the second line is a line break in the first's paragraph.
    View->AddTextNLW(u"x\ny", 0, 1, 0, true);
    ASSERT_EQ(View->GetLineCount(), 5);
    EXPECT_EQ(View->GetItemPara(4), 1);
    EXPECT_FALSE(View->IsParaStart(4));
}

TEST_F(RollViewTest, ThePaneSavesItsText)
{
    View->AddNL("alpha", 0, 0);
    View->AddNL("beta", 0, 0);
    View->AddNL("gamma", 0, 0);
    View->Format();
    TMemoryStream Ansi;
    ASSERT_TRUE(View->SaveTextToStream("", &Ansi, 80, false, false));
    EXPECT_EQ(std::string(static_cast<const char*>(Ansi.Memory()), Ansi.Size()), "alpha\r\nbeta\r\ngamma");
    TMemoryStream Wide;
    ASSERT_TRUE(View->SaveTextToStreamW("", &Wide, 80, false, false));
    EXPECT_EQ(Wide.Size(), 2 * Ansi.Size());
    EXPECT_FALSE(View->SaveTextToStream("", nullptr, 80, false, false));
}

// ---------------------------------------------------------------------------
// Layout

TEST(RollViewLayoutTest, NothingIsLaidOutBeforeTheWindowExists)
{
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 400, 300);
    TRVStyle Style(&Form);
    auto* View = new TRollView(&Form);
    View->SetStyle(&Style);
    View->AddNL("one", 0, 0);
    View->AddNL("two", 0, 0);
    View->Format();
    View->FormatTail();
    EXPECT_FALSE(View->HandleAllocated());
    EXPECT_EQ(View->RVData->DrawItems.Count(), 0);
    EXPECT_EQ(View->GetDocumentHeight(), 0);
    // Making the window lays out the document it already holds.
    View->SetBounds(0, 0, 200, 100);
    View->SetParent(&Form);
    Form.Show();
    ASSERT_TRUE(View->HandleAllocated());
    EXPECT_EQ(View->RVData->DrawItems.Count(), 2);
    EXPECT_GT(View->GetDocumentHeight(), 0);
}

TEST_F(RollViewTest, FormatLaysOutAndTailAddsTheNewLines)
{
    AddLines(5);
    View->Format();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 5);
    const int Height5 = View->GetDocumentHeight();
    AddLines(3, 5);
    View->FormatTail();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 8);
    EXPECT_GT(View->GetDocumentHeight(), Height5);
    View->Clear();
    EXPECT_EQ(View->GetLineCount(), 0);
    EXPECT_EQ(View->RVData->DrawItems.Count(), 0);
    View->Format();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 0);
}

TEST_F(RollViewTest, FormatRepaintsOnlyUnderFormatInvalidate)
{
    AddLines(3);
    View->Format();
    View->Update();
    TRect Dirty;
    EXPECT_FALSE(GetUpdateRect(View->Handle(), &Dirty, false));
    TRVOptions Options = View->Options();
    Options.Exclude(rvoFormatInvalidate);
    View->SetOptions(Options);
    View->Format();
    EXPECT_FALSE(GetUpdateRect(View->Handle(), &Dirty, false));
    Options.Include(rvoFormatInvalidate);
    View->SetOptions(Options);
    View->Format();
    EXPECT_TRUE(GetUpdateRect(View->Handle(), &Dirty, false));
}

TEST_F(RollViewTest, ResizingLaysTheDocumentOutForTheNewWidth)
{
    View->AddNL("a long line of words that wraps when the viewer gets narrow enough to need it", 0, 0);
    View->Format();
    const int Wide = View->RVData->DrawItems.Count();
    View->SetBounds(0, 0, 120, 200);
    EXPECT_GT(View->RVData->DrawItems.Count(), Wide);
}

// ---------------------------------------------------------------------------
// Scroll units

TEST(RollViewScrollUnitTest, TheStepGrowsOnlyWhenTheHeightInUnitsWouldNotFit)
{
    // With a limit of 32000 units: 400000 px needs 13 (400000 div 12 is still
    // above the limit), and 200000 px returns to 10.
    EXPECT_EQ(RV_AdjustedVSmallStep(400000, 10, 32000), 13);
    EXPECT_EQ(RV_AdjustedVSmallStep(200000, 13, 32000), 10);
    EXPECT_EQ(RV_AdjustedVSmallStep(320000, 10, 32000), 10);
    EXPECT_EQ(RV_AdjustedVSmallStep(320010, 10, 32000), 11);
    // A smaller step that fits is kept; a larger one that no longer needs to be
    // returns to 10 only when 10 fits.
    EXPECT_EQ(RV_AdjustedVSmallStep(30000, 1, 32000), 1);
    EXPECT_EQ(RV_AdjustedVSmallStep(350000, 13, 32000), 13);
    EXPECT_EQ(RV_AdjustedVSmallStep(0, 0, 32000), 1);
    // The viewer's positions are 32-bit: every 32-bit document height keeps 10.
    EXPECT_EQ(RV_AdjustedVSmallStep(400000, 10, TRollViewRVData::MaxVScrollUnits), 10);
    EXPECT_EQ(RV_AdjustedVSmallStep(INT32_MAX, 10, TRollViewRVData::MaxVScrollUnits), 10);
    EXPECT_EQ(RV_AdjustedVSmallStep(int64_t(INT32_MAX) * 20, 10, TRollViewRVData::MaxVScrollUnits), 20);
    EXPECT_EQ(RV_AdjustedVSmallStep(int64_t(INT32_MAX) * 5, 20, TRollViewRVData::MaxVScrollUnits), 10);
}

TEST_F(RollViewTest, ATallDocumentKeepsTheNormalStepAndAFullRange)
{
    TRollViewRVData* Data = View->RVData;
    Data->DocumentHeight = 400000;
    Data->AdjustVScrollUnits();
    EXPECT_EQ(View->VSmallStep(), 10);
    Data->SetDocumentAreaSize(300, 400000, true);
    EXPECT_EQ(View->VRange(), 40000);
    // The height in units is rounded up.
    Data->SetDocumentAreaSize(300, 400005, true);
    EXPECT_EQ(View->VRange(), 40001);
    // Page Down moves a page whatever the height.
    View->SetVScrollPos(0);
    View->Perform(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(View->VPos(), View->VPage());
    EXPECT_GT(View->VPage(), 1);
    EXPECT_EQ(Data->GetVOffs(), View->VPos() * 10);
    // The end of the document is reachable.
    View->SetVScrollPos(View->GetVScrollMax());
    EXPECT_EQ(View->VPos(), 40001 - View->VPage());
}

TEST_F(RollViewTest, AnyStepThatFitsIsTakenAndTheViewStaysInPlace)
{
    AddLines(200);
    View->Format();
    View->ScrollTo(1000);
    const int Offs = View->RVData->GetVOffs();
    EXPECT_EQ(Offs, 1000);
    View->SetVSmallStep(1); // the document's height in 1-pixel units fits 32 bits
    EXPECT_EQ(View->VSmallStep(), 1);
    EXPECT_EQ(View->RVData->GetVOffs(), Offs);
    View->SetVSmallStep(0);
    View->SetVSmallStep(-5);
    EXPECT_EQ(View->VSmallStep(), 1);
    // A layout goes back to the normal step only when the step is larger.
    View->Format();
    EXPECT_EQ(View->VSmallStep(), 1);
    View->SetVSmallStep(40);
    View->Format();
    EXPECT_EQ(View->VSmallStep(), 10);
}

TEST_F(RollViewTest, ScrollingIsIgnoredWhileTheDocumentAsksForNoScroll)
{
    AddLines(200);
    View->Format();
    View->RVData->State.Include(rvstNoScroll);
    View->RVData->ScrollTo(500, true);
    View->RVData->HScrollTo(20);
    EXPECT_EQ(View->VPos(), 0);
    EXPECT_EQ(View->HPos(), 0);
    View->RVData->State.Exclude(rvstNoScroll);
    View->RVData->ScrollTo(500, false);
    EXPECT_EQ(View->RVData->GetVOffs(), 500);
}

TEST_F(RollViewTest, ScrollingReportsTheCheckpointsThatComeIntoView)
{
    for (int i = 0; i < 100; ++i) {
        if (i == 50)
            View->AddNamedCheckpointEx("middle", true);
        View->AddNL("line " + std::to_string(i), 0, 0);
    }
    View->Format();
    std::vector<std::string> Reported;
    View->OnCheckpointVisible = [&](TObject* Sender, TRVCPInfo* cp) {
        EXPECT_EQ(Sender, View);
        Reported.push_back(cp ? cp->Name : "none");
    };
    // Without an event kind nothing is reported.
    View->ScrollTo(View->RVData->DrawItems[45]->Top);
    EXPECT_TRUE(Reported.empty());
    View->ScrollTo(0);
    View->SetCPEventKind(cpeWhenVisible);
    View->ScrollTo(View->RVData->DrawItems[45]->Top);
    View->ScrollTo(View->RVData->DrawItems[46]->Top); // still in view: nothing new
    View->ScrollTo(0);
    EXPECT_EQ(Reported, (std::vector<std::string>{"middle", "none"}));
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(RollViewTest, APaintingExceptionIsDrawnAsTextAndDoesNotEscape)
{
    View->AddNL("before", 0, 0);
    View->AddItem("broken", new TFailingItem(View->RVData));
    View->Format();
    TRecordingCanvas Canvas(300, 200);
    Canvas.SelectClipRect(nullptr);
    ASSERT_NO_THROW(View->RVData->PaintBuffered(&Canvas));
    // The bitmap is copied whole, then the message is drawn over it.
    const auto Copies = Canvas.RecordsOf(TCanvasOp::CopyRect);
    ASSERT_EQ(Copies.size(), 1u);
    EXPECT_EQ(Copies[0]->Rect, Rect(0, 0, 300, 200));
    const auto Texts = Canvas.RecordsOf(TCanvasOp::Text);
    ASSERT_EQ(Texts.size(), 1u);
    EXPECT_EQ(Texts[0]->TextUtf8(), "Error:the picture is broken");
    EXPECT_EQ(Texts[0]->X, 0);
    EXPECT_EQ(Texts[0]->Y, 0);
    EXPECT_EQ(Texts[0]->Font.Name, "Arial");
    EXPECT_EQ(Texts[0]->Font.Size, 10);
    EXPECT_EQ(Texts[0]->Font.Color, TColor(0x0000FF));
    EXPECT_TRUE(Texts[0]->Font.Style.Empty());
    EXPECT_TRUE(Texts[0]->Opaque);
    EXPECT_EQ(Texts[0]->Brush.Color, TColor(0xFFFFFF));
    // The window's own paint survives it too.
    View->Invalidate();
    EXPECT_NO_THROW(View->Update());
}

TEST_F(RollViewTest, ASoundDocumentPaintsNoErrorText)
{
    AddLines(3);
    View->Format();
    TRecordingCanvas Canvas(300, 200);
    View->RVData->PaintBuffered(&Canvas);
    EXPECT_EQ(Canvas.RecordsOf(TCanvasOp::CopyRect).size(), 1u);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::Text).empty());
}

TEST_F(RollViewTest, PaintingStraightOnAnOffscreenCanvasGivesTheBitmapCopysPixels)
{
    // A window's canvas is painted on directly; any other through a bitmap.
    // Both must show the same, wherever the clip lies, and the direct paint
    // must leave the canvas's state as it found it.
    Style->TextStyles()->Items(0)->SetColor(clRed);
    Style->TextStyles()->Items(0)->SetBackColor(clYellow);
    AddLines(40);
    View->Format();
    View->ScrollTo(View->RVData->DrawItems[5]->Top + 3);
    auto Paint = [&](bool Offscreen, TBitmap& Target) {
        Target.SetSize(300, 200);
        TCanvas* Canvas = Target.Canvas();
        Canvas->SetDrawsOffscreen(Offscreen);
        Canvas->Brush()->SetColor(clBlue);
        Canvas->FillRect(Rect(0, 0, 300, 200));
        Canvas->Font()->SetName("Arial");
        Canvas->Pen()->SetColor(clLime);
        Canvas->SetPenPos(TPoint{7, 9});
        const TRect Clip = Rect(30, 25, 260, 170);
        Canvas->SelectClipRect(&Clip);
        View->RVData->PaintBuffered(Canvas);
        EXPECT_EQ(Canvas->ClipRect(), Clip);
        EXPECT_EQ(Canvas->ViewportOrg(), (TPoint{0, 0}));
        EXPECT_EQ(Canvas->Font()->Name(), "Arial");
        EXPECT_EQ(Canvas->Pen()->Color(), clLime);
        EXPECT_EQ(Canvas->Brush()->Color(), clBlue);
        EXPECT_EQ(Canvas->PenPos(), (TPoint{7, 9}));
    };
    TBitmap Direct;
    TBitmap Copied;
    Paint(true, Direct);
    Paint(false, Copied);
    ASSERT_EQ(Direct.Pixels().Pixels.size(), Copied.Pixels().Pixels.size());
    EXPECT_TRUE(Direct.Pixels().Pixels == Copied.Pixels().Pixels);
    // Something was painted inside the clip, nothing outside it.
    const TPixelBuffer& Pixels = Direct.Pixels();
    EXPECT_NE(Pixels.Pixels[static_cast<size_t>(100 * 300 + 100)], Pixels.Pixels[0]);
    EXPECT_EQ(Pixels.Pixels[static_cast<size_t>(180 * 300 + 280)], Pixels.Pixels[0]);
}

TEST_F(RollViewTest, ATailLayoutPaintsOnlyTheNewLinesAndShowsWhatAWholePaintShows)
{
    // After a tail layout the window moves the pixels of the kept lines and
    // paints from the first new draw item down; what it then shows must be
    // what painting the whole window shows, in every way a log grows.
    TFontInfo* Red = Style->TextStyles()->Add();
    Red->SetColor(clRed);
    const int RedStyle = Style->TextStyles()->Count() - 1;
    AddLines(30);
    View->Format();
    View->SetVScrollPos(View->GetVScrollMax());
    View->Update();
    auto Shown = [&] {
        TPixelBuffer Pixels;
        EXPECT_TRUE(GrabWindow(View, Pixels));
        return Pixels;
    };
    auto Grow = [&](const char* Step, const std::function<void()>& Add, bool Partial) {
        SCOPED_TRACE(Step);
        Add();
        View->FormatTail();
        View->SetVScrollPos(View->GetVScrollMax());
        TRect Waiting;
        const bool Any = GetUpdateRect(View->Handle(), &Waiting, false);
        if (Partial) {
            EXPECT_TRUE(Any);
            EXPECT_GT(Waiting.Top, View->ClientHeight() / 2) << "more than the new lines waits to be painted";
        }
        View->Update();
        const TPixelBuffer AfterTail = Shown();
        View->Invalidate();
        View->Update();
        const TPixelBuffer Whole = Shown();
        EXPECT_TRUE(AfterTail.Pixels == Whole.Pixels);
    };
    Grow(
        "a new line at the end", [&] { View->AddNL("line 30", 0, 0); }, true);
    Grow(
        "the last line continued", [&] { View->AddTextNL(" continued", RedStyle, -1, 0); }, true);
    Grow(
        "three lines, one coloured",
        [&] {
            View->AddNL("line 31", RedStyle, 0);
            View->AddNL("line 32", 0, 0);
            View->AddNL("line 33", 0, 0);
        },
        true);
    Grow(
        "a line wider than the window", [&] { View->AddNL(std::string(120, 'w'), 0, 0); }, false);
    View->SetVScrollPos(0);
    View->Update();
    Grow(
        "lines below the view", [&] { View->AddNL("line 34", 0, 0); }, false);
    Grow(
        "a screenful at once", [&] { AddLines(40, 100); }, false);
}

TEST_F(RollViewTest, WithoutAStyleSheetTheWindowShowsTheMessage)
{
    View->SetStyle(nullptr);
    View->AddNL("never shown", 0, 0);
    View->Format();
    EXPECT_EQ(View->RVData->DrawItems.Count(), 0);
    TRecordingCanvas Canvas(400, 300);
    View->PaintTo(&Canvas, 0, 0);
    std::string All;
    for (const TCanvasRecord* t : Canvas.RecordsOf(TCanvasOp::Text)) {
        EXPECT_EQ(t->Font.Name, "MS Sans Serif");
        EXPECT_EQ(t->Font.Size, 8);
        EXPECT_EQ(t->Font.Color, clWindowText);
        All += t->TextUtf8() + " ";
    }
    EXPECT_NE(All.find("Style is not defined"), std::string::npos) << All;
    // The second line names the control; it may wrap over several lines.
    std::string Joined;
    for (char c : All)
        if (c != ' ')
            Joined += c;
    EXPECT_NE(Joined.find("CreateaTRVStyleobjectandassignittoRollView1.Style"), std::string::npos) << All;
    const auto Fills = Canvas.RecordsOf(TCanvasOp::FillRect);
    ASSERT_FALSE(Fills.empty());
    EXPECT_EQ(Fills[0]->Brush.Color, clWindow);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::FrameRect).empty());
    // A flat control gets a frame.
    View->SetCtl3D(false);
    Canvas.Clear();
    View->PaintTo(&Canvas, 0, 0);
    const auto Frames = Canvas.RecordsOf(TCanvasOp::FrameRect);
    ASSERT_EQ(Frames.size(), 1u);
    EXPECT_EQ(Frames[0]->Brush.Color, clWindowText);
}

TEST_F(RollViewTest, OnPaintFollowsEachPaint)
{
    AddLines(2);
    View->Format();
    int Paints = 0;
    View->OnPaint = [&](TObject* Sender, TCanvas* Canvas, bool Prepaint) {
        EXPECT_EQ(Sender, View);
        EXPECT_NE(Canvas, nullptr);
        EXPECT_FALSE(Prepaint);
        ++Paints;
    };
    View->Invalidate();
    View->Update();
    EXPECT_EQ(Paints, 1);
}

TEST_F(RollViewTest, FocusRepaintsOnlyWhenTheSelectionColoursDiffer)
{
    auto* Other = new TBox(Form);
    Other->SetBounds(0, 210, 50, 20);
    Other->SetParent(Form);
    AddLines(3);
    View->Format();
    View->SetTabNavigation(rvtnNone);
    Style->SetSelColor(clRed);
    Style->SetInactiveSelColor(clRed);
    Style->SetSelTextColor(clWhite);
    Style->SetInactiveSelTextColor(clWhite);
    TRect Dirty;
    Other->SetFocus();
    View->Update();
    View->SetFocus();
    EXPECT_FALSE(GetUpdateRect(View->Handle(), &Dirty, false));
    Other->SetFocus();
    EXPECT_FALSE(GetUpdateRect(View->Handle(), &Dirty, false));
    Style->SetInactiveSelTextColor(clBlack);
    View->SetFocus();
    EXPECT_TRUE(GetUpdateRect(View->Handle(), &Dirty, false));
    View->Update();
    Other->SetFocus();
    EXPECT_TRUE(GetUpdateRect(View->Handle(), &Dirty, false));
}

TEST_F(RollViewTest, ColoursComeFromTheControlThenTheStyleSheet)
{
    Style->SetColor(0x00ABCDEF);
    EXPECT_EQ(View->GetColor(), TColor(0x00ABCDEF));
    View->SetColor(clRed);
    EXPECT_EQ(View->GetColor(), clRed);
    Style->SetHoverColor(clBlue);
    EXPECT_EQ(View->GetHoverColor(clNone), clBlue);
    EXPECT_EQ(View->GetHoverColor(clGreen), clGreen);
}

TEST_F(RollViewTest, TheBackgroundStyleDecidesWhetherScrollingRepaintsAll)
{
    View->GetBackBitmap()->SetSize(8, 8);
    View->SetBackgroundStyle(bsTiledAndScrolled);
    EXPECT_FALSE(View->FullRedrawOnScroll());
    View->SetBackgroundStyle(bsStretched);
    EXPECT_TRUE(View->FullRedrawOnScroll());
    TBitmap Other;
    Other.SetSize(3, 5);
    View->SetBackBitmap(&Other);
    EXPECT_EQ(View->GetBackBitmap()->Width(), 3);
    EXPECT_NE(View->GetBackBitmap(), &Other);
}

// ---------------------------------------------------------------------------
// Deferred events

TEST_F(RollViewTest, DeferredEventsReachTheirHandlers)
{
    std::vector<std::string> Log;
    View->OnJump = [&](TObject*, int Id) { Log.push_back("jump " + std::to_string(Id)); };
    View->OnRVDblClick = [&](TObject*, const AnsiString& Word, int StyleNo) {
        Log.push_back("dblclick " + Word + " " + std::to_string(StyleNo));
    };
    View->OnRVMouseUp = [&](TObject*, TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y) {
        Log.push_back("up " + std::to_string(Button) + " " + std::to_string(Shift.Bits) + " " +
                      std::to_string(ItemNo) + " " + std::to_string(X) + "," + std::to_string(Y));
    };
    View->OnRVMouseDown = [&](TObject*, TMouseButton, TShiftState, int ItemNo, int, int) {
        Log.push_back("down " + std::to_string(ItemNo));
    };
    View->OnClick = [&](TObject*) { Log.push_back("click"); };
    View->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) {
        Log.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
    };
    TBox Source(nullptr);
    View->OnDragDrop = [&](TObject*, TObject* Obj, int X, int Y) {
        Log.push_back(std::string("drop ") + (Obj == &Source ? "source " : "? ") + std::to_string(X + Y));
    };
    View->OnEndDrag = [&](TObject*, TObject* Obj, int, int) {
        Log.push_back(std::string("enddrag ") + (Obj == &Source ? "target" : "?"));
    };

    auto Jump = std::make_unique<TRVJumpMessageData>();
    Jump->Id = 7;
    EXPECT_TRUE(View->PostRVEvent(std::move(Jump)));
    auto Dbl = std::make_unique<TRVDblClickMessageData>();
    Dbl->ClickedWord = "word";
    Dbl->StyleNo = 3;
    View->PostRVEvent(std::move(Dbl));
    auto Up = std::make_unique<TRVMouseUpDownMessageData>(rvetRVMouseUp);
    Up->Button = mbRight;
    Up->Shift = TShiftState{ssShift};
    Up->ItemNo = 2;
    Up->X = 10;
    Up->Y = 20;
    View->PostRVEvent(std::move(Up));
    auto Down = std::make_unique<TRVMouseUpDownMessageData>(rvetRVMouseDown);
    Down->ItemNo = 4;
    View->PostRVEvent(std::move(Down));
    View->PostRVEvent(std::make_unique<TRVClickMessageData>());
    auto Move = std::make_unique<TRVMouseMoveMessageData>();
    Move->X = 3;
    Move->Y = 4;
    View->PostRVEvent(std::move(Move));
    auto Drop = std::make_unique<TRVDNDMessageData>(rvetDragDrop);
    Drop->Obj = &Source;
    Drop->X = 1;
    Drop->Y = 2;
    View->PostRVEvent(std::move(Drop));
    auto End = std::make_unique<TRVDNDMessageData>(rvetEndDrag);
    End->Obj = &Source;
    View->PostRVEvent(std::move(End));
    // Nothing happens before the message loop delivers them.
    EXPECT_TRUE(Log.empty());
    ProcessMessagesUntil([&] { return Log.size() >= 8; }, 5000);
    EXPECT_EQ(Log, (std::vector<std::string>{"jump 7", "dblclick word 3", "up 1 1 2 10,20", "down 4", "click",
                                             "move 3,4", "drop source 3", "enddrag target"}));
}

TEST_F(RollViewTest, DeferredEventRecordsAreFreedWhateverHappens)
{
    // No handler: the record is freed after dispatch (the leak checker watches).
    View->PostRVEvent(std::make_unique<TRVJumpMessageData>());
    View->PostRVEvent(std::make_unique<TRVDblClickMessageData>());
    ProcessMessagesUntil([] { return false; }, 50);
    // The viewer goes before the messages are delivered.
    auto* Other = new TRollView(Form);
    Other->SetParent(Form);
    Other->HandleNeeded();
    int Jumps = 0;
    Other->OnJump = [&](TObject*, int) { ++Jumps; };
    EXPECT_TRUE(Other->PostRVEvent(std::make_unique<TRVJumpMessageData>()));
    delete Other;
    ProcessMessagesUntil([] { return false; }, 50);
    EXPECT_EQ(Jumps, 0);
    // Without a window nothing is posted and the record is freed at once.
    TRollView Orphan(nullptr);
    EXPECT_FALSE(Orphan.PostRVEvent(std::make_unique<TRVJumpMessageData>()));
    EXPECT_FALSE(Orphan.PostRVEvent(nullptr));
}

// ---------------------------------------------------------------------------
// Keys, shortcuts and small services

TEST(RollViewShortcutTest, CopyCutAndPasteShortcuts)
{
    EXPECT_TRUE(TCustomRollView::IsCopyShortcut(TShiftState{ssCtrl}, 'C'));
    EXPECT_TRUE(TCustomRollView::IsCopyShortcut(TShiftState{ssCtrl}, VK_INSERT));
    EXPECT_FALSE(TCustomRollView::IsCopyShortcut(TShiftState{ssCtrl, ssAlt}, 'C'));
    EXPECT_FALSE(TCustomRollView::IsCopyShortcut(TShiftState(), 'C'));
    EXPECT_TRUE(TCustomRollView::IsCutShortcut(TShiftState{ssCtrl}, 'X'));
    EXPECT_TRUE(TCustomRollView::IsCutShortcut(TShiftState{ssShift}, VK_DELETE));
    EXPECT_FALSE(TCustomRollView::IsCutShortcut(TShiftState{ssCtrl, ssAlt}, 'X'));
    EXPECT_TRUE(TCustomRollView::IsPasteShortcut(TShiftState{ssCtrl}, 'V'));
    EXPECT_TRUE(TCustomRollView::IsPasteShortcut(TShiftState{ssShift}, VK_INSERT));
    EXPECT_FALSE(TCustomRollView::IsPasteShortcut(TShiftState{ssCtrl, ssAlt}, 'V'));
}

TEST(RollViewShortcutTest, TagsCompareAsTheirKind)
{
    TRollView View(nullptr);
    EXPECT_TRUE(View.CompareTags(TRVTag(3), TRVTag(3)));
    EXPECT_FALSE(View.CompareTags(TRVTag(3), TRVTag(4)));
    TRVOptions Options = View.Options();
    Options.Include(rvoTagsArePChars);
    View.SetOptions(Options);
    EXPECT_TRUE(View.CompareTags(TRVTag(), TRVTag()));
    EXPECT_FALSE(View.CompareTags(TRVTag(), TRVTag(AnsiString(""))));
    EXPECT_TRUE(View.CompareTags(TRVTag(AnsiString("a")), TRVTag(AnsiString("a"))));
    EXPECT_FALSE(View.CompareTags(TRVTag(AnsiString("a")), TRVTag(AnsiString("A"))));
}

TEST(RollViewShortcutTest, LayoutInfoCarriesTheMarginsWidthsAndDirection)
{
    TRollView View(nullptr);
    View.SetLeftMargin(1);
    View.SetTopMargin(2);
    View.SetRightMargin(3);
    View.SetBottomMargin(4);
    View.SetMinTextWidth(50);
    View.SetMaxTextWidth(500);
    std::unique_ptr<TRVLayoutInfo> Layout(View.CreateLayoutInfo());
    EXPECT_EQ(Layout->LeftMargin, 1);
    EXPECT_EQ(Layout->TopMargin, 2);
    EXPECT_EQ(Layout->RightMargin, 3);
    EXPECT_EQ(Layout->BottomMargin, 4);
    EXPECT_EQ(Layout->MinTextWidth, 50);
    EXPECT_EQ(Layout->MaxTextWidth, 500);
    EXPECT_EQ(Layout->BiDiMode, rvbdUnspecified);
    TRollView Other(nullptr);
    Layout->BiDiMode = rvbdRightToLeft;
    Other.ApplyLayoutInfo(Layout.get());
    EXPECT_EQ(Other.LeftMargin(), 1);
    EXPECT_EQ(Other.BottomMargin(), 4);
    EXPECT_EQ(Other.MaxTextWidth(), 500);
    EXPECT_EQ(Other.BiDiMode(), rvbdRightToLeft);
}

TEST(RollViewShortcutTest, AssignEventsCopiesEveryHandler)
{
    TRollView Source(nullptr), Target(nullptr);
    int Calls = 0;
    Source.OnJump = [&](TObject*, int) { ++Calls; };
    Source.OnSelect = [&](TObject*) { ++Calls; };
    Source.OnVScrolled = [&](TObject*) { ++Calls; };
    Target.AssignEvents(&Source);
    ASSERT_TRUE(Target.OnJump && Target.OnSelect && Target.OnVScrolled);
    Target.OnJump(&Target, 1);
    Target.OnSelect(&Target);
    EXPECT_EQ(Calls, 2);
    EXPECT_FALSE(Target.OnRVDblClick);
}

TEST_F(RollViewTest, TheDialogCodeFollowsTheTabNavigation)
{
    AddLines(1);
    View->Format();
    EXPECT_EQ(View->Perform(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTTAB);
    View->RVData->FocusedItemNo = 0;
    EXPECT_EQ(View->Perform(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS);
    View->SetTabNavigation(rvtnNone);
    EXPECT_EQ(View->Perform(WM_GETDLGCODE), DLGC_WANTARROWS);
}

TEST_F(RollViewTest, TheAutoScrollStepsFollowThePointer)
{
    View->SetBounds(0, 0, 300, 200);
    const int W = View->ClientWidth();
    const int H = View->ClientHeight();
    const int Cases[][2] = {{-25, -10}, {-21, -10}, {-20, -1},   {-1, -1},     {0, 0},       {100, 0},
                            {H, 0},     {H + 1, 1}, {H + 20, 1}, {H + 21, 10}, {H + 500, 10}};
    for (const auto& c : Cases) {
        View->MouseMove(TShiftState(), 10, c[0]);
        EXPECT_EQ(View->ScrollDeltaY, c[1]) << "y " << c[0];
        EXPECT_EQ(View->ScrollDeltaX, 0);
    }
    View->MouseMove(TShiftState(), -15, 50);
    EXPECT_EQ(View->ScrollDeltaX, -1);
    View->MouseMove(TShiftState(), W + 30, 50);
    EXPECT_EQ(View->ScrollDeltaX, 10);
}

TEST_F(RollViewTest, TheTimerScrollsByTheStepsUntilTheButtonIsReleased)
{
    AddLines(300);
    View->Format();
    View->ActivateScrollTimer();
    EXPECT_TRUE(View->ScrollTimerActive());
    View->ScrollDeltaY = 10;
    View->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(View->VPos(), 10);
    View->ScrollDeltaY = -1;
    View->Perform(WM_TIMER, 1, 0);
    EXPECT_EQ(View->VPos(), 9);
    View->ScrollDeltaY = 0;
    View->Perform(WM_TIMER, 2, 0); // not the auto-scroll timer
    EXPECT_EQ(View->VPos(), 9);
    View->Clear(); // stops the timer with the layout
    EXPECT_FALSE(View->ScrollTimerActive());
}

// ---------------------------------------------------------------------------
// Tab navigation

class RollViewTabTest : public RollViewTest {
protected:
    void SetUp() override
    {
        RollViewTest::SetUp();
        Before = new TBox(Form);
        Before->SetBounds(0, 210, 50, 20);
        Before->SetParent(Form);
        Before->SetTabOrder(0);
        After = new TBox(Form);
        After->SetBounds(60, 210, 50, 20);
        After->SetParent(Form);
        // Text, a hyperlink (style 4), text, a hyperlink, text.
        View->AddNL("see ", 0, 0);
        View->AddNL("first", 4, -1);
        View->AddNL(" and ", 0, -1);
        View->AddNL("second", 4, -1);
        View->AddNL(" here", 0, -1);
        View->Format();
        View->SetFocus();
        // The focus arrived without Tab.
        View->RVData->State.Exclude(rvstDoNotTab);
        View->RVData->FocusedItemNo = -1;
    }
    int Focused() const { return View->RVData->FocusedItemNo; }

    TBox* Before = nullptr;
    TBox* After = nullptr;
};

TEST_F(RollViewTabTest, TabMovesAmongTheHyperlinksAndOutOfTheDocument)
{
    ASSERT_TRUE(View->Focused());
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(Focused(), 1);
    EXPECT_EQ(View->RVData->TopFocusedItemNo, 1);
    EXPECT_EQ(View->RVData->TopFocusedRVData, View->RVData);
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(Focused(), 3);
    EXPECT_TRUE(View->Focused());
    // Past the last hyperlink the focus leaves for the next control.
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(Focused(), -1);
    EXPECT_TRUE(After->Focused());
}

TEST_F(RollViewTabTest, ShiftTabGoesBackwards)
{
    SimulateKey(View, VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Focused(), 3);
    SimulateKey(View, VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Focused(), 1);
    SimulateKey(View, VK_TAB, TShiftState{ssShift});
    EXPECT_EQ(Focused(), -1);
    EXPECT_TRUE(Before->Focused());
}

TEST_F(RollViewTabTest, CtrlTabNavigatesOnlyWhenAskedFor)
{
    SimulateKey(View, VK_TAB, TShiftState{ssCtrl});
    EXPECT_EQ(Focused(), -1);
    View->SetFocus();
    View->SetTabNavigation(rvtnCtrlTab);
    SimulateKey(View, VK_TAB, TShiftState{ssCtrl});
    EXPECT_EQ(Focused(), 1);
    SimulateKey(View, VK_TAB, TShiftState{ssCtrl, ssShift});
    EXPECT_EQ(Focused(), -1);
    View->SetFocus();
    View->RVData->FocusedItemNo = -1;
    // Plain Tab leaves the items alone; Ctrl+Alt+Tab too.
    SimulateKey(View, VK_TAB, TShiftState{ssCtrl, ssAlt});
    EXPECT_EQ(Focused(), -1);
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(Focused(), -1);
}

TEST_F(RollViewTabTest, WithoutTabNavigationTabNeverFocusesItems)
{
    View->SetTabNavigation(rvtnNone);
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(Focused(), -1);
    EXPECT_TRUE(After->Focused());
    SimulateKey(After, VK_TAB, TShiftState{ssShift});
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), -1);
}

TEST_F(RollViewTabTest, TabIntoTheViewerFocusesTheFirstOrLastHyperlink)
{
    Before->SetFocus();
    SimulateKey(Before, VK_TAB);
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), 1);
    After->SetFocus();
    View->RVData->Deselect(nullptr, false);
    SimulateKey(After, VK_TAB, TShiftState{ssShift});
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), 3);
}

TEST_F(RollViewTabTest, AClickGivesTheFocusWithoutNavigating)
{
    Before->SetFocus();
    SimulateClick(View, mbLeft, 250, 150); // below the text
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(Focused(), -1);
}

TEST_F(RollViewTabTest, EnterRunsTheFocusedHyperlink)
{
    std::vector<int> Jumps;
    View->OnJump = [&](TObject*, int Id) { Jumps.push_back(Id); };
    View->SetFirstJumpNo(100);
    SimulateKey(View, VK_TAB);
    SimulateKey(View, VK_TAB);
    SimulateKey(View, VK_RETURN);
    EXPECT_EQ(Jumps, (std::vector<int>{101}));
}

TEST_F(RollViewTabTest, TheFocusedHyperlinkGetsADottedRectangle)
{
    SimulateKey(View, VK_TAB);
    TRecordingCanvas Canvas(300, 200);
    View->RVData->DrawFocusedRect(&Canvas);
    const auto Rects = Canvas.RecordsOf(TCanvasOp::FocusRect);
    ASSERT_EQ(Rects.size(), 1u);
    const TRVDrawLineInfo* dli = View->RVData->DrawItems[View->RVData->GetItem(1)->DrawItemNo];
    EXPECT_EQ(Rects[0]->Rect, Bounds(dli->Left - 1, dli->Top - 1, dli->Width + 2, dli->Height + 2));
    // Deselecting takes the focus away.
    View->Deselect();
    EXPECT_EQ(Focused(), -1);
    EXPECT_EQ(View->RVData->TopFocusedItemNo, -1);
    Canvas.Clear();
    View->RVData->DrawFocusedRect(&Canvas);
    EXPECT_TRUE(Canvas.RecordsOf(TCanvasOp::FocusRect).empty());
}

TEST_F(RollViewTest, TabGoesThroughAControlInTheDocumentAndComesBack)
{
    auto* Before = new TBox(Form);
    Before->SetBounds(0, 210, 50, 20);
    Before->SetParent(Form);
    auto* Inside = new TBox(nullptr);
    Inside->SetBounds(0, 0, 40, 16);
    View->AddNL("see ", 0, 0);
    View->AddNL("first", 4, -1);
    View->AddControl(Inside, false); // item 2, a paragraph of its own
    View->AddNL("second", 4, 0);     // item 3
    View->Format();
    Before->SetFocus();
    SimulateKey(Before, VK_TAB);
    ASSERT_TRUE(View->Focused());
    EXPECT_EQ(View->RVData->FocusedItemNo, 1);
    SimulateKey(View, VK_TAB);
    EXPECT_EQ(View->RVData->FocusedItemNo, 2);
    EXPECT_TRUE(Inside->Focused());
    // Tab in the control returns to the viewer, which goes on after the control.
    SimulateKey(Inside, VK_TAB);
    EXPECT_TRUE(View->Focused());
    EXPECT_EQ(View->RVData->FocusedItemNo, 3);
}

// ---------------------------------------------------------------------------
// A tail layout and the user's drag

TEST_F(RollViewTest, ATailLayoutThatLaysOutEverythingKeepsTheDrag)
{
    AddLines(5);
    View->Format();
    TRollViewRVData* Data = View->RVData;
    Data->SelStartNo = 1;
    Data->SelStartOffs = 2;
    Data->SelEndNo = 3;
    Data->SelEndOffs = 4;
    Data->State.Include(rvstMakingSelection);
    Data->PressedJumpId = 0;
    // Appending enough lines to show the scroll bar changes the width: the
    // engine lays everything out again.
    AddLines(40, 5);
    Data->InvalidateTailLayout();
    View->FormatTail();
    EXPECT_EQ(Data->DrawItems.Count(), 45);
    EXPECT_TRUE(Data->State.Contains(rvstMakingSelection));
    EXPECT_EQ(Data->PressedJumpId, 0);
    int StartItem, StartOffs, EndItem, EndOffs;
    View->GetSelectionBounds(StartItem, StartOffs, EndItem, EndOffs, false);
    EXPECT_EQ(StartItem, 1);
    EXPECT_EQ(StartOffs, 2);
    EXPECT_EQ(EndItem, 3);
    EXPECT_EQ(EndOffs, 4);
}

TEST_F(RollViewTest, ATailLayoutKeepsTheFocusedItem)
{
    View->AddNL("see ", 0, 0);
    View->AddNL("link", 4, -1);
    View->Format();
    View->SetFocus();
    View->RVData->State.Exclude(rvstDoNotTab);
    SimulateKey(View, VK_TAB);
    ASSERT_EQ(View->RVData->FocusedItemNo, 1);
    AddLines(40);
    View->RVData->InvalidateTailLayout();
    View->FormatTail();
    EXPECT_EQ(View->RVData->FocusedItemNo, 1);
    EXPECT_EQ(View->RVData->TopFocusedItemNo, 1);
    // A full layout starts without a focused item.
    View->Format();
    EXPECT_EQ(View->RVData->TopFocusedItemNo, -1);
}

} // namespace
