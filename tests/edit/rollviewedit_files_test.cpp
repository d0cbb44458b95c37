// An editor's document leaves it whole: RVF saved from an editor keeps its
// pictures (the editor has the viewer's RVF options), a load that cannot make
// an item it read says so, and the print component prints what an editor
// holds (read back from the PDF with poppler when it is installed).
#include <gtest/gtest.h>

#include <memory>

#include "document/rvitem.h"
#include "platform/controls/printers.h"
#include "platform/core/streams.h"
#include "print/ptblrv.h"
#include "tests/support/editcommands.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/testeditdata.h"

namespace {

class EditorFiles : public TEditFixture {
protected:
    // "before", a 20 x 10 picture, "after", typed into the editor.
    void Build()
    {
        AddText("before");
        Editor.Edit->Format();
        Caret(0, 7);
        editcommands::InsertItem(*d, NewPicture());
        d->Change();
        editcommands::InsertChars(*d, "after");
        d->Change();
    }
    static int Pictures(TCustomRVData& data)
    {
        int n = 0;
        for (int i = 0; i < data.GetItemCount(); ++i)
            n += data.GetItemStyle(i) == rvsPicture;
        return n;
    }
};

TEST_F(EditorFiles, RVFSavedFromAnEditorKeepsItsPictures)
{
    Build();
    ASSERT_EQ(Pictures(*d), 1);
    TMemoryStream saved;
    ASSERT_TRUE(Editor.Edit->SaveRVFToStream(&saved, false));
    saved.SetPosition(0);
    TRollView reader(nullptr);
    reader.SetStyle(&Style);
    ASSERT_TRUE(reader.LoadRVFFromStream(&saved));
    EXPECT_EQ(reader.RVData->GetItemCount(), d->GetItemCount());
    EXPECT_EQ(Pictures(*reader.RVData), 1);
}

TEST_F(EditorFiles, ALoadThatCannotMakeAnItemSaysSoAndKeepsTheRest)
{
    Build();
    TRVFOptions options = Editor.Edit->RVFOptions();
    options.Exclude(rvfoSavePicturesBody);
    Editor.Edit->SetRVFOptions(options);
    TMemoryStream saved;
    ASSERT_TRUE(Editor.Edit->SaveRVFToStream(&saved, false));
    saved.SetPosition(0);
    TRollView reader(nullptr);
    reader.SetStyle(&Style);
    // No handler supplies the picture by its name.
    EXPECT_FALSE(reader.LoadRVFFromStream(&saved));
    EXPECT_EQ(Pictures(*reader.RVData), 0);
    EXPECT_EQ(reader.RVData->GetItemCount(), d->GetItemCount() - 1);
    // A handler that supplies it makes the load whole.
    saved.SetPosition(0);
    reader.Clear();
    reader.OnRVFPictureNeeded = [](TObject*, const AnsiString&, const TRVTag&, TGraphic*& graphic) {
        auto* bitmap = new TBitmap;
        bitmap->SetSize(20, 10);
        graphic = bitmap;
    };
    EXPECT_TRUE(reader.LoadRVFFromStream(&saved));
    EXPECT_EQ(Pictures(*reader.RVData), 1);
}

TEST_F(EditorFiles, AnEditorPrints)
{
    if (!ProgramAvailable("/usr/bin/pdftotext"))
        GTEST_SKIP() << "poppler is not installed";
    AddText("first typed paragraph");
    AddText("second one");
    Editor.Edit->Format();
    Caret(1, 11);
    editcommands::InsertChars(*d, " edited");
    d->Change();
    TempDir dir;
    const std::string pdf = dir.File("editor.pdf");
    std::unique_ptr<TPrinter> old = SetPrinter(std::make_unique<TPdfPrinter>(pdf));
    {
        TRVPrint print(nullptr);
        print.AssignSource(Editor.Edit);
        EXPECT_EQ(print.FormatPages(), 1);
        print.Print("editor", 1, true);
    }
    SetPrinter(std::move(old));
    int status = 0;
    const std::string text = RunCommand("pdftotext '" + pdf + "' -", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(text.find("first typed paragraph"), std::string::npos) << text;
    EXPECT_NE(text.find("second one edited"), std::string::npos) << text;
}

} // namespace
