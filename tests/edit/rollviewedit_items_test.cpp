// Item properties, controls, checkpoints, properties by name, the undo API and
// search through the editor control. Every change runs through the editing
// invariant and is one undo group.
#include <gtest/gtest.h>

#include "document/rvitem_pictures.h"
#include "platform/controls/forms.h"
#include "platform/core/classreg.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/editcommands.h"
#include "tests/support/editinvariant.h"
#include "tests/support/testeditdata.h"

namespace {

using Items = std::vector<AnsiString>;

// A rule whose width and colour are published properties, as a table's are.
class TPublishedRule : public TRVBreakItemInfo {
public:
    explicit TPublishedRule(TCustomRVData* rvData) : TRVBreakItemInfo(rvData, 1, rvbsLine, clNone) {}
    const TPropertyTable* PropertyTable() const override
    {
        using R = TPublishedRule;
        static const TPropertyTable table = TPropTableBuilder<R>("TPublishedRule", nullptr)
                                                .Int("LineWidth", &R::LineWidth, &R::LineWidth)
                                                .Color("Color", &R::Color, &R::Color)
                                                .Build();
        return &table;
    }
};

class ItemsFixture : public TEditFixture {
protected:
    ItemsFixture()
    {
        Edit()->OnChange = [this](TObject*) { ++Changes; };
        Images = new TCustomImageList(Editor.Form, 16, 16);
        Other = new TCustomImageList(Editor.Form, 8, 8);
    }
    // Text 0, a rule 1, a picture 2, a bullet 3, a hot spot 4, a control 5, Unicode text 6.
    void LoadMixed()
    {
        AddText("abc");
        d->AddItem(AnsiString(), new TRVBreakItemInfo(d, 1, rvbsLine, clNone));
        AddPicture(0);
        d->AddItem("bullet", new TRVBulletItemInfo(d, 0, Images, rvvaBaseline));
        d->GetItem(3)->SetSameAsPrev(true);
        d->AddItem("spot", new TRVHotspotItemInfo(d, 0, 1, Images, rvvaBaseline));
        d->GetItem(4)->SetSameAsPrev(true);
        Control = new TCustomControl(nullptr);
        Control->SetBounds(0, 0, 40, 20);
        d->AddItem("control", new TRVControlItemInfo(d, Control, rvvaBaseline));
        d->GetItem(5)->SetSameAsPrev(true);
        AddText("xyz", Uni);
        d->FormatAll();
    }
    TCustomImageList* Images = nullptr;
    TCustomImageList* Other = nullptr;
    TCustomControl* Control = nullptr;
    int Changes = 0;
};

TEST_F(ItemsFixture, EachPropertySetterIsOneUndoGroup)
{
    LoadMixed();
    auto* bitmap = new TBitmap;
    bitmap->SetSize(30, 25);
    const std::vector<std::pair<const char*, std::function<void()>>> setters = {
        {"rule", [&] { Edit()->SetBreakInfoEd(1, 4, rvbsLine, clRed, TRVTag(5)); }},
        {"picture", [&] { Edit()->SetPictureInfoEd(2, "pic", bitmap, rvvaMiddle, TRVTag(9)); }},
        {"bullet", [&] { Edit()->SetBulletInfoEd(3, "b", 2, Other, TRVTag(4)); }},
        {"hot spot", [&] { Edit()->SetHotspotInfoEd(4, "h", 1, 2, Other, TRVTag(3)); }},
        {"control", [&] { Edit()->SetControlInfoEd(5, "ctl", rvvaMiddle, TRVTag(3)); }},
        {"text", [&] { Edit()->SetItemTextEd(0, "longer text"); }},
        {"Unicode text", [&] { Edit()->SetItemTextEdW(6, u"\u00e9t\u00e9"); }},
        {"tag", [&] { Edit()->SetItemTagEd(0, TRVTag(11)); }},
        {"picture width", [&] { Edit()->SetItemExtraIntPropertyEd(2, rvepImageWidth, 60, true); }},
        {"control size", [&] { Edit()->ResizeControl(5, 70, 30); }},
        {"hypertext picture", [&] { Edit()->ConvertToHotPicture(2); }},
        {"picture again", [&] { Edit()->ConvertToPicture(2); }},
        {"checkpoint", [&] { Edit()->SetCheckpointInfoEd(0, TRVTag(1), "cp", true); }},
        {"checkpoint changed", [&] { Edit()->SetCheckpointInfoEd(0, TRVTag(2), "cp2", false); }},
        {"checkpoint removed", [&] { Edit()->RemoveCheckpointEd(0); }},
    };
    for (const auto& [name, setter] : setters) {
        SCOPED_TRACE(name);
        const int groups = d->UndoList->Count();
        EXPECT_TRUE(Run(name, setter));
        EXPECT_EQ(d->UndoList->Count(), groups + 1);
    }
    EXPECT_EQ(Texts(), (Items{"longer text", "<-1>", "<-3>", "<-6>", "<-4>", "<-5>", "\xC3\xA9t\xC3\xA9"}));
    EXPECT_EQ(static_cast<TRVBulletItemInfo*>(d->GetItem(3))->ImageList, Images)
        << "a bullet keeps its image list";
    EXPECT_EQ(static_cast<TRVGraphicItemInfo*>(d->GetItem(2))->Image()->Width(), 30);
    EXPECT_EQ(Control->Width(), 70);
    EXPECT_EQ(d->GetItem(0)->GetCheckpoint(), nullptr);
}

TEST_F(ItemsFixture, AWrongItemClassRaisesBeforeAnythingChanges)
{
    LoadMixed();
    const AnsiString before = editinvariant::SaveRVF(*d);
    const std::vector<std::pair<const char*, std::function<void()>>> setters = {
        {"rule on text", [&] { Edit()->SetBreakInfoEd(0, 4, rvbsLine, clRed, TRVTag()); }},
        {"picture on a rule", [&] { Edit()->SetPictureInfoEd(1, "", nullptr, rvvaMiddle, TRVTag()); }},
        {"bullet on a picture", [&] { Edit()->SetBulletInfoEd(2, "", 0, nullptr, TRVTag()); }},
        {"hot spot on a bullet", [&] { Edit()->SetHotspotInfoEd(3, "", 0, 0, nullptr, TRVTag()); }},
        {"control on text", [&] { Edit()->SetControlInfoEd(0, "", rvvaMiddle, TRVTag()); }},
        {"resize a picture", [&] { Edit()->ResizeControl(2, 5, 5); }},
    };
    for (const auto& [name, setter] : setters) {
        SCOPED_TRACE(name);
        EXPECT_THROW(setter(), ERollViewError);
        EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
        EXPECT_EQ(d->UndoList->Count(), 0);
        EXPECT_EQ(Changes, 0);
    }
}

TEST_F(ItemsFixture, APictureGivenItsOwnGraphicKeepsACopyAndAnEqualTagIsNoChange)
{
    LoadMixed();
    auto* picture = static_cast<TRVGraphicItemInfo*>(d->GetItem(2));
    TGraphic* own = picture->Image();
    Run("own graphic", [&] { Edit()->SetPictureInfoEd(2, "renamed", own, rvvaBaseline, TRVTag()); });
    auto* now = static_cast<TRVGraphicItemInfo*>(d->GetItem(2));
    ASSERT_NE(now->Image(), nullptr);
    EXPECT_EQ(now->Image()->Width(), 20);
    EXPECT_EQ(d->GetItemText(2), "renamed");
    Changes = 0;
    const int groups = d->UndoList->Count();
    Edit()->SetItemTagEd(0, d->GetItem(0)->GetTag());
    EXPECT_EQ(d->UndoList->Count(), groups);
    EXPECT_EQ(Changes, 0);
}

TEST_F(ItemsFixture, AControlFollowsItsDrawItemOrTheLayoutFollowsTheControl)
{
    LoadMixed();
    const TRVDrawLineInfo* dli = d->DrawItems[d->FindDrawItemByItem(5)];
    const int left = dli->Left + 1 - d->GetZHOffs();
    Control->SetLeft(left + 50);
    Edit()->AdjustControlPlacement2(Control);
    EXPECT_EQ(Control->Left(), left) << "a control of its draw item's size is only moved";
    Control->SetBounds(Control->Left(), Control->Top(), 120, 40);
    Edit()->AdjustControlPlacement(5);
    editinvariant::CheckState(*d, "after the control grew");
    EXPECT_EQ(d->DrawItems[d->FindDrawItemByItem(5)]->Width, 122);
}

TEST_F(ItemsFixture, PropertiesByNameAreRecordedOnlyWhenTheyChange)
{
    AddText("abc");
    d->AddItem(AnsiString(), new TPublishedRule(d));
    d->FormatAll();
    Run("one property", [&] {
        d->BeginUndoSequence(rvutModifyItem, true);
        EXPECT_NE(d->Do_ModifyItemIntProperty(1, nullptr, "LineWidth", 5, true, false, nullptr), nullptr);
        d->Reformat(false, 1);
    });
    EXPECT_EQ(static_cast<TRVBreakItemInfo*>(d->GetItem(1))->LineWidth, 5);
    d->BeginUndoSequence(rvutModifyItem, true);
    EXPECT_EQ(d->Do_ModifyItemIntProperty(1, nullptr, "LineWidth", 5, true, false, nullptr), nullptr);
    d->Change();
    // The record lives in its group until the undo of Run takes it: read it at once.
    TRVIntPropertyList recorded;
    Run("two properties, one of them equal", [&] {
        d->BeginUndoSequence(rvutModifyItem, true);
        auto* several = dynamic_cast<TRVUndoModifyItemIntProperties*>(d->Do_ModifyItemIntProperties(
            1, nullptr, {{"LineWidth", 5}, {"Color", clRed}}, true, false, nullptr));
        ASSERT_NE(several, nullptr);
        recorded = several->PropList;
        d->Reformat(false, 1);
    });
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].first, "Color");
    d->BeginUndoSequence(rvutModifyItem, true);
    EXPECT_EQ(d->Do_ModifyItemIntProperties(1, nullptr, {{"LineWidth", 5}}, true, false, nullptr), nullptr);
    d->Change();
    EXPECT_THROW(d->Do_ModifyItemIntProperty(1, nullptr, "NoSuchProperty", 1, true, false, nullptr),
                 EPropertyError);
}

TEST_F(ItemsFixture, AProgramGroupCollectsCommandsUnderItsCaption)
{
    AddText("x");
    d->FormatAll();
    Caret(0, 2);
    const AnsiString before = editinvariant::SaveRVF(*d);
    Edit()->BeginUndoCustomGroup("Two words");
    Edit()->SetUndoGroupMode(true);
    EXPECT_TRUE(Edit()->InsertText(" one"));
    EXPECT_TRUE(Edit()->InsertText(" two"));
    Edit()->SetUndoGroupMode(false);
    EXPECT_EQ(Texts(), (Items{"x one two"}));
    EXPECT_EQ(Edit()->UndoAction(), rvutCustom);
    EXPECT_EQ(Edit()->UndoName(), "Two words");
    EXPECT_EQ(Edit()->Perform(EM_CANUNDO, 0, 0), 1);
    Edit()->Undo();
    EXPECT_TRUE(editinvariant::SaveRVF(*d) == before);
    EXPECT_EQ(Edit()->RedoAction(), rvutCustom);
    EXPECT_EQ(Edit()->RedoName(), "Two words");
    Edit()->Redo();
    EXPECT_EQ(Texts(), (Items{"x one two"}));
    Edit()->ClearUndo();
    EXPECT_EQ(Edit()->UndoAction(), rvutNone);
    EXPECT_EQ(Edit()->Perform(EM_CANUNDO, 0, 0), 0);
    Style.SetUseSound(true);
    Editor.UI.ClearCalls();
    Edit()->Undo();
    EXPECT_EQ(Editor.Beeps(), 1) << "nothing to undo";
}

TEST_F(ItemsFixture, SearchPlacesTheCaretAtTheFoundTextsFarEnd)
{
    AddText("one two one");
    AddText("two");
    d->FormatAll();
    Caret(0, 1);
    const TRVESearchOptions down{rvseoDown};
    const struct {
        TRVESearchOptions Options;
        const char* Text;
        bool Found;
        std::pair<int, int> Caret;
    } steps[] = {
        {down, "two", true, {0, 8}},
        {down, "two", true, {1, 4}},
        {down, "two", false, {1, 4}},
        {TRVESearchOptions{}, "one", true, {0, 9}},
        {TRVESearchOptions{}, "one", true, {0, 1}},
        {TRVESearchOptions{}, "one", false, {0, 1}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Text);
        EXPECT_EQ(Edit()->SearchText(step.Text, step.Options), step.Found);
        EXPECT_EQ(CaretPos(), step.Caret);
    }
}

TEST_F(ItemsFixture, DeletingStylesKeepsTheCurrentOnesAndDropsTheHistory)
{
    AddText("abc");
    d->FormatAll();
    Caret(0, 2);
    EXPECT_TRUE(Edit()->InsertText("d"));
    // Styles that are not standard go when nothing uses them.
    for (int i = 1; i < Style.TextStyles()->Count(); ++i)
        Style.TextStyles()->Items(i)->SetStandard(false);
    Edit()->SetCurTextStyleNo(Style.TextStyles()->Count() - 1);
    int textEvents = 0;
    int paraEvents = 0;
    Edit()->OnCurTextStyleChanged = [&](TObject*) { ++textEvents; };
    Edit()->OnCurParaStyleChanged = [&](TObject*) { ++paraEvents; };
    d->DeleteUnusedStyles(true, true, false);
    EXPECT_EQ(Style.TextStyles()->Count(), 2) << "style 0 and the current style stay";
    EXPECT_EQ(Edit()->CurTextStyleNo(), 1);
    EXPECT_EQ(textEvents, 1);
    EXPECT_EQ(paraEvents, 1) << "fired although the paragraph style kept its number";
    EXPECT_EQ(Edit()->UndoAction(), rvutNone);
}

// The writer numbers hyperlinks from the areas a layout makes, which an
// editor keeps only while they are used: saving makes them.
TEST_F(ItemsFixture, SavedHTMLNumbersTheHyperlinksOfAnEditedDocument)
{
    const int link = AddText([](TFontInfo* f) { f->SetJump(true); });
    AddText("first", link);
    AddText("plain");
    AddText("second", link);
    d->FormatAll();
    Caret(1, 1);
    Run("new link", [&] {
        Edit()->SetCurTextStyleNo(link);
        Edit()->InsertStringTag("new", TRVTag());
    });
    std::vector<int> ids;
    Edit()->OnURLNeeded = [&](TObject*, int id, AnsiString& url) {
        ids.push_back(id);
        url = "u" + std::to_string(id);
    };
    TMemoryStream stream;
    int images = 0;
    ASSERT_TRUE(d->SaveHTMLToStream(stream, "", "t", "img", TRVSaveOptions{}, clWhite, images, 0, 0, 0, 0,
                                    nullptr, nullptr));
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(d->GetFlags().Contains(rvflUseJumps)) << "the areas go again";
}

} // namespace

namespace {

TEST_F(ItemsFixture, TheCaretsItemLineAndColumn)
{
    LoadMixed();
    Caret(0, 3);
    TCustomRollViewEdit* editor = nullptr;
    TCustomRVItemInfo* item = nullptr;
    EXPECT_TRUE(Edit()->GetCurrentItemEx(RVItemClassOf<TRVTextItemInfo>(), editor, item));
    EXPECT_EQ(editor, Edit());
    EXPECT_EQ(item, d->GetItem(0));
    EXPECT_FALSE(Edit()->GetCurrentItemEx(RVItemClassOf<TRVGraphicItemInfo>(), editor, item));
    EXPECT_EQ(item, nullptr);
    int line = 0;
    int column = 0;
    Edit()->GetCurrentLineCol(line, column);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 3);
    Caret(6, 2);
    Edit()->GetCurrentLineCol(line, column);
    EXPECT_GT(line, 1);
    EXPECT_EQ(Edit()->GetCurrentItemTextW(), u"xyz");
}

TEST_F(ItemsFixture, EventsComeFromAnEditorAndOnlyTheViewersFromAViewer)
{
    TCustomRollViewEdit source(Editor.Form);
    int calls = 0;
    source.OnStyleConversion = [&](TCustomRollViewEdit*, int, int, bool, int&) { ++calls; };
    source.OnCaretMove = [&](TObject*) { ++calls; };
    source.OnChange = [&](TObject*) { ++calls; };
    source.OnCopy = [&](TObject*) { ++calls; };
    TRollView viewer(Editor.Form);
    viewer.OnCopy = [&](TObject*) { ++calls; };
    Edit()->OnChange = nullptr;
    Edit()->AssignEvents(&source);
    EXPECT_TRUE(static_cast<bool>(Edit()->OnStyleConversion));
    EXPECT_TRUE(static_cast<bool>(Edit()->OnCaretMove));
    EXPECT_FALSE(static_cast<bool>(Edit()->OnChange)) << "never copied";
    Edit()->AssignEvents(&viewer);
    EXPECT_TRUE(static_cast<bool>(Edit()->OnCopy));
    EXPECT_TRUE(static_cast<bool>(Edit()->OnStyleConversion)) << "a viewer has none to give";
}

// A window control that RVF can name, for the control-action sequence.
class TActionTestControl : public TCustomControl {
public:
    explicit TActionTestControl(TComponent* owner) : TCustomControl(owner) {}
    const char* ClassName() const override { return "TActionTestControl"; }
};
const TPersistentClass ActionTestControlClass = RegisterClass<TActionTestControl>("TActionTestControl");

// Every notice about the control of a control item reaches OnControlAction,
// with the item's number (-1 for an item kept by an undo record) and the control.
TEST_F(ItemsFixture, ControlActionsFollowTheControlThroughEditsUndoAndFiles)
{
    using TAction = std::pair<TRVControlAction, int>;
    std::vector<TAction> actions;
    std::vector<TControl*> controls;
    Edit()->OnControlAction = [&](TObject* sender, TRVControlAction action, int itemNo, TControl*& ctrl) {
        EXPECT_EQ(sender, Edit());
        actions.emplace_back(action, itemNo);
        controls.push_back(ctrl);
    };
    auto take = [&] {
        std::vector<TAction> r;
        r.swap(actions);
        return r;
    };
    AddText("abcdef");
    d->FormatAll();
    Caret(0, 4);
    auto* control = new TActionTestControl(nullptr);
    control->SetBounds(0, 0, 30, 12);
    ASSERT_TRUE(editcommands::InsertItem(*d, new TRVControlItemInfo(d, control, rvvaBaseline)));
    ASSERT_EQ(d->GetItemCount(), 3);
    EXPECT_TRUE(take().empty()) << "inserting says nothing of the control";
    Edit()->ClearUndo();
    EXPECT_TRUE(take().empty()) << "the insertion's group keeps no control";

    ASSERT_TRUE(editcommands::DeleteRange(*d, 0, 2, 2, 2));
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaMoveToUndoList, 1}}));
    ASSERT_FALSE(controls.empty());
    EXPECT_EQ(controls.back(), control);
    d->Undo();
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaMoveFromUndoList, 1}}));
    d->Redo();
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaMoveToUndoList, 1}}));
    // The group that keeps the control is evicted by the next one under a limit of one.
    Edit()->SetUndoLimit(1);
    Caret(0, 1);
    ASSERT_TRUE(editcommands::InsertChars(*d, "x"));
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaDestroyInUndoList, -1}}));

    // A control saved with its body, then the document read back over it.
    auto* second = new TActionTestControl(nullptr);
    second->SetBounds(0, 0, 20, 10);
    d->AddItem("second", new TRVControlItemInfo(d, second, rvvaBaseline));
    d->FormatAll();
    const int secondNo = d->GetItemCount() - 1;
    TRVFOptions options = Edit()->RVFOptions();
    options.Include(rvfoSaveControlsBody);
    Edit()->SetRVFOptions(options);
    TMemoryStream stream;
    ASSERT_TRUE(Edit()->SaveRVFToStream(&stream, false));
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaBeforeRVFSave, secondNo}, {rvcaAfterRVFSave, secondNo}}));
    stream.SetPosition(0);
    ASSERT_TRUE(Edit()->LoadRVFFromStream(&stream));
    EXPECT_EQ(take(), (std::vector<TAction>{{rvcaDestroy, secondNo}, {rvcaAfterRVFLoad, secondNo}}));
    ASSERT_EQ(d->GetItemStyle(secondNo), rvsComponent);
    EXPECT_EQ(controls.back(), static_cast<TRVControlItemInfo*>(d->GetItem(secondNo))->Control());
    Edit()->OnControlAction = nullptr;
}

// A receiver that frees the control on its destruction and clears the field
// leaves the item nothing to free a second time.
TEST_F(ItemsFixture, AControlFreedByTheReceiverIsNotFreedAgain)
{
    int destroyed = 0;
    Edit()->OnControlAction = [&](TObject*, TRVControlAction action, int, TControl*& ctrl) {
        if (action != rvcaDestroy && action != rvcaDestroyInUndoList)
            return;
        delete ctrl;
        ctrl = nullptr;
        ++destroyed;
    };
    AddText("abc");
    d->AddItem("ctl", new TRVControlItemInfo(d, new TActionTestControl(nullptr), rvvaBaseline));
    d->FormatAll();
    Edit()->Clear();
    EXPECT_EQ(destroyed, 1);
    Edit()->OnControlAction = nullptr;
}

} // namespace
