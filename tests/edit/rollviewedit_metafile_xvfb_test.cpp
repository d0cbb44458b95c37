// Metafiles on the desktop's clipboard under Xvfb: an enhanced metafile that
// LibreOffice wrote, offered by xclip in the form LibreOffice offers it,
// pastes as a metafile; and a shape that LibreOffice Draw itself copies,
// offered as a picture and as metafiles, pastes as the picture (which comes
// first) while the metafile reads as LibreOffice's own. Each skips without
// the programs it needs (LibreOffice able to show windows for the second).
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <climits>
#include <string>

#include "document/rvitem.h"
#include "document/rvitem_pictures.h"
#include "document/rvstyle.h"
#include "edit/rollviewedit.h"
#include "platform/controls/clipbrd.h"
#include "platform/controls/forms.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "tests/support/e2eprocess.h"
#include "tests/support/headlessbrowser.h"
#include "tests/support/tempdir.h"
#include "tests/support/xvfbchild.h"

namespace {

const char* const EmfForm = "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";

// A red rectangle on a white page, as a drawing.
const char* const ShapeSVG = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"200\" height=\"100\" "
                             "viewBox=\"0 0 200 100\"><rect x=\"10\" y=\"10\" width=\"180\" height=\"80\" "
                             "fill=\"#ff0000\"/></svg>";

// Whether the LibreOffice on the PATH can show windows: its program folder
// holds a plugin of a windowing system (installs without one convert files
// only).
bool LibreOfficeShowsWindows()
{
    const std::string soffice = FindProgram("soffice");
    char resolved[PATH_MAX];
    if (soffice.empty() || !realpath(soffice.c_str(), resolved))
        return false;
    std::string folder(resolved);
    folder.erase(folder.rfind('/'));
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (dirent* entry = readdir(dir))
        found = found || std::string(entry->d_name).rfind("libvclplug_", 0) == 0;
    closedir(dir);
    return found;
}

// Whether the metafile, shown, has red where the rectangle is.
bool ShowsRed(TMetafile& metafile)
{
    TBitmap shown;
    shown.SetSize(metafile.Width(), metafile.Height());
    shown.Canvas()->StretchDraw(Rect(0, 0, metafile.Width(), metafile.Height()), &metafile);
    const uint32_t p = shown.Pixels().At(metafile.Width() / 2, metafile.Height() / 2);
    return ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
}

class MetafilePasteXvfbChildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!InXvfbChild())
            GTEST_SKIP() << "runs under the Xvfb test";
        Form = new TForm(nullptr);
        Form->SetBounds(0, 0, 500, 300);
        Style = new TRVStyle(Form);
        Edit = new TRollViewEdit(Form);
        Edit->SetBounds(0, 0, 400, 200);
        Edit->SetStyle(Style);
        Edit->SetParent(Form);
        Form->Show();
        Edit->SetFocus();
        Edit->Clear();
        Edit->RVData->AddNL("abcd", 0, 0);
        Edit->Format();
        ASSERT_TRUE(FocusXvfbWindow(Form, "kelvor-metafile-paste-under-xvfb", Edit));
        Edit->EditRVData()->SetCaretAtItem(0, 3, false);
    }
    void TearDown() override { delete Form; }

    // The graphic of the picture pasted last (the editor holds "ab", the
    // picture, "cd" and any pasted before).
    TGraphic* Pasted(int itemNo)
    {
        auto* item = dynamic_cast<TRVGraphicItemInfo*>(Edit->EditRVData()->GetItem(itemNo));
        return item ? item->Image() : nullptr;
    }

    TForm* Form = nullptr;
    TRVStyle* Style = nullptr;
    TRollViewEdit* Edit = nullptr;
};

TEST_F(MetafilePasteXvfbChildTest, XclipOffersLibreOfficesEnhancedMetafile)
{
    const char* file = getenv("KELVOR_PASTE_EMF");
    ASSERT_NE(file, nullptr);
    CaptureOutput("xclip -selection clipboard -t " + ShellQuoted(EmfForm) + " -i " + ShellQuoted(file) +
                  " >/dev/null 2>&1");
    ASSERT_TRUE(
        WaitUntil([&] { return Clipboard()->HasFormat(CF_METAFILEPICT); }, WaitDeadlineMs, PumpEvents));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    CaptureOutput("xdotool key ctrl+v");
    ASSERT_TRUE(
        WaitUntil([&] { return Edit->EditRVData()->GetItemCount() > 2; }, WaitDeadlineMs, PumpEvents));
    auto* metafile = dynamic_cast<TMetafile*>(Pasted(1));
    ASSERT_NE(metafile, nullptr);
    EXPECT_TRUE(metafile->Enhanced());
    EXPECT_TRUE(ShowsRed(*metafile));
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("pasted");
}

TEST_F(MetafilePasteXvfbChildTest, LibreOfficeDrawCopiesAShape)
{
    const char* folder = getenv("KELVOR_DRAW_FOLDER");
    ASSERT_NE(folder, nullptr);
    // LibreOffice in a process group of its own, so that all its processes end with it.
    pid_t office = SpawnProgram({FindProgram("setsid"), FindProgram("soffice"),
                                 "-env:UserInstallation=file://" + std::string(folder) + "/profile",
                                 "--norestore", "--nologo", "--draw", std::string(folder) + "/shape.svg"},
                                std::string(folder) + "/soffice.log", {"SAL_USE_VCLPLUGIN=gen"});
    struct TGroupGuard {
        pid_t Group;
        ~TGroupGuard()
        {
            kill(-Group, SIGKILL);
            waitpid(Group, nullptr, 0);
        }
    } guard{office};
    std::string window;
    ASSERT_TRUE(WaitUntil(
        [&] {
            window =
                CaptureOutput("xdotool search --name 'shape.svg - LibreOffice Draw' 2>/dev/null | head -1");
            return !window.empty();
        },
        ProgramProgress(office), PumpEvents))
        << "LibreOffice Draw never showed its window";
    // Everything selected and copied, as a user would. The window shows
    // before the document in it takes keys: the keys go again until the
    // clipboard holds the copy.
    const auto copied = [&] {
        return Clipboard()->HasFormat(CF_METAFILEPICT) && Clipboard()->HasFormat(CF_BITMAP);
    };
    const auto selectAndCopy = [&] {
        CaptureOutput("xdotool windowfocus --sync " + window + " mousemove --window " + window +
                      " 20 200 click 1 key ctrl+a key ctrl+c");
    };
    ASSERT_TRUE(SendUntil(selectAndCopy, copied, office, PumpEvents))
        << CaptureOutput("xclip -o -selection clipboard -t TARGETS 2>&1");
    // The picture comes before the metafile in the order of formats.
    Edit->Paste();
    ASSERT_EQ(Edit->EditRVData()->GetItemCount(), 3);
    EXPECT_NE(dynamic_cast<TBitmap*>(Pasted(1)), nullptr);
    // The metafile LibreOffice offers is its enhanced one, drawn as it drew it.
    Edit->PasteMetafile(false);
    ASSERT_EQ(Edit->EditRVData()->GetItemCount(), 4);
    auto* metafile = dynamic_cast<TMetafile*>(Pasted(2));
    ASSERT_NE(metafile, nullptr);
    EXPECT_TRUE(metafile->Enhanced());
    EXPECT_TRUE(ShowsRed(*metafile));
    if (!::testing::Test::HasFailure())
        WriteXvfbResult("pasted");
}

} // namespace

TEST(MetafilePasteXvfbTest, XclipOffersLibreOfficesEnhancedMetafile)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xclip").empty() || FindProgram("xdotool").empty())
        GTEST_SKIP() << "xclip or xdotool is not installed";
    if (!LibreOfficeAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    TempDir dir;
    dir.Write("shape.svg", ShapeSVG);
    if (!LibreOfficeConvert(dir.Path(), "emf", dir.Path(), {"shape.svg"}) || dir.Read("shape.emf").empty())
        GTEST_SKIP() << "LibreOffice cannot write metafiles here (no drawing component)";
    setenv("KELVOR_PASTE_EMF", dir.File("shape.emf").c_str(), 1);
    const TXvfbRun run =
        RunUnderXvfb("MetafilePasteXvfbChildTest.XclipOffersLibreOfficesEnhancedMetafile", 330);
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "pasted");
}

TEST(MetafilePasteXvfbTest, LibreOfficeDrawCopiesAShape)
{
    if (InXvfbChild())
        GTEST_SKIP() << "inside the server already";
    if (FindProgram("xclip").empty() || FindProgram("xdotool").empty() || FindProgram("setsid").empty())
        GTEST_SKIP() << "xclip, xdotool or setsid is not installed";
    if (!LibreOfficeShowsWindows())
        GTEST_SKIP() << "no LibreOffice that shows windows is installed";
    TempDir dir;
    dir.Write("shape.svg", ShapeSVG);
    setenv("KELVOR_DRAW_FOLDER", dir.Path().c_str(), 1);
    const TXvfbRun run = RunUnderXvfb("MetafilePasteXvfbChildTest.LibreOfficeDrawCopiesAShape", 340);
    if (!run.XvfbInstalled)
        GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(ChildSucceeded(run));
    EXPECT_EQ(run.Result, "pasted");
}
