// Dropped files: decoding a file manager's URI list, and drops driven through
// the toolkit's drag and drop events onto a window that accepts files.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/dragdrop.h"
#include "platform/controls/forms.h"
#include "platform/controls/winapi.h"

namespace {

using Files = std::vector<AnsiString>;

TEST(UriList, LocalFilesArePercentDecoded)
{
    EXPECT_EQ(DecodeUriList("file:///var/log/syslog\r\n"), (Files{"/var/log/syslog"}));
    EXPECT_EQ(DecodeUriList("file:///home/u/My%20Logs/a%2Bb%25.log\r\nfile:///tmp/%C3%A4.log\r\n"),
              (Files{"/home/u/My Logs/a+b%.log", "/tmp/\xC3\xA4.log"}));
    // Bytes that are no UTF-8 stay the bytes of the name.
    EXPECT_EQ(DecodeUriList("file:///tmp/%FF%fe"), (Files{"/tmp/\xFF\xFE"}));
    // A '%' not followed by two hex digits stands for itself.
    EXPECT_EQ(DecodeUriList("file:///tmp/100%.log\nfile:///tmp/%4"), (Files{"/tmp/100%.log", "/tmp/%4"}));
}

TEST(UriList, HostsSchemesAndCommentsAndLineEnds)
{
    Files files = DecodeUriList("# dragged from the file manager\r\n"
                                "file://localhost/a.log\r\n"
                                "FILE:/b.log\r\n"
                                "http://example.org/c.log\r\n"
                                "file://elsewhere.example.org/d.log\r\n"
                                "\r\n"
                                "  file:///e.log  \n"
                                "file:///f.log?query#fragment\n"
                                "file:///g.log");
    EXPECT_EQ(files, (Files{"/a.log", "/b.log", "/e.log", "/f.log", "/g.log"}));
}

TEST(UriList, NamesThatCannotBeFilesAreLeftOut)
{
    EXPECT_TRUE(DecodeUriList("file:///tmp/a%00b").empty());
    EXPECT_TRUE(DecodeUriList("file://").empty());
    EXPECT_TRUE(DecodeUriList("file:relative/path").empty());
    EXPECT_TRUE(DecodeUriList("").empty());
    EXPECT_TRUE(DecodeUriList("\r\n\r\n#only a comment").empty());
}

// A window that notes the files dropped on it.
class TDropForm : public TForm {
public:
    using TForm::TForm;
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_DROPFILES) {
            HDROP drop = DropHandleOf(Message);
            Files names;
            for (UINT i = 0; i < DragQueryFileCount(drop); ++i)
                names.push_back(DragQueryFile(drop, i));
            Dropped.push_back(names);
            InClient = DragQueryPoint(drop, Point);
            EXPECT_EQ(DragQueryFile(drop, DragQueryFileCount(drop)), "");
            DragFinish(drop);
            return;
        }
        TForm::Dispatch(Message);
    }
    std::vector<Files> Dropped;
    TPoint Point;
    bool InClient = false;
};

class DropTest : public ::testing::Test {
protected:
    DropTest()
    {
        form->SetBounds(10, 10, 300, 200);
        form->Show();
    }
    std::unique_ptr<TDropForm> form = std::make_unique<TDropForm>(nullptr);
};

TEST_F(DropTest, FilesDroppedOnAnAcceptingWindowArriveWithThePoint)
{
    DragAcceptFiles(form->Handle(), true);
    EXPECT_TRUE(GetWindowLong(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    ASSERT_TRUE(SimulateFileDrop(form->Handle(), "file:///var/log/a.log\r\nfile:///var/log/b%20c.log\r\n",
                                 Point(40, 25)));
    EXPECT_TRUE(form->Dropped.empty()); // posted, as the platform does
    Application->ProcessMessages();
    ASSERT_EQ(form->Dropped.size(), 1u);
    EXPECT_EQ(form->Dropped[0], (Files{"/var/log/a.log", "/var/log/b c.log"}));
    EXPECT_EQ(form->Point, Point(40, 25));
    EXPECT_TRUE(form->InClient);
}

TEST_F(DropTest, AWindowThatDoesNotAcceptFilesTakesNoDrop)
{
    EXPECT_FALSE(SimulateFileDrop(form->Handle(), "file:///a.log", Point(5, 5)));
    DragAcceptFiles(form->Handle(), true);
    DragAcceptFiles(form->Handle(), false);
    EXPECT_FALSE(GetWindowLong(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(SimulateFileDrop(form->Handle(), "file:///a.log", Point(5, 5)));
    Application->ProcessMessages();
    EXPECT_TRUE(form->Dropped.empty());
}

TEST_F(DropTest, AWindowMadeAgainStillAcceptsFiles)
{
    DragAcceptFiles(form->Handle(), true);
    const HWND first = form->Handle();
    form->RecreateWnd();
    ASSERT_NE(form->Handle(), first);
    EXPECT_TRUE(GetWindowLong(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    ASSERT_TRUE(SimulateFileDrop(form->Handle(), "file:///a.log", Point(5, 5)));
    Application->ProcessMessages();
    EXPECT_EQ(form->Dropped.size(), 1u);
    // Refusing is remembered just the same.
    DragAcceptFiles(form->Handle(), false);
    form->RecreateWnd();
    EXPECT_FALSE(GetWindowLong(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(SimulateFileDrop(form->Handle(), "file:///a.log", Point(5, 5)));
}

TEST_F(DropTest, ADragWithoutLocalFilesIsRefused)
{
    DragAcceptFiles(form->Handle(), true);
    EXPECT_FALSE(SimulateFileDrop(form->Handle(), "https://example.org/a.log\r\n", Point(5, 5)));
    Application->ProcessMessages();
    EXPECT_TRUE(form->Dropped.empty());
}

TEST_F(DropTest, ADropForAWindowThatGoesIsFreedUndelivered)
{
    DragAcceptFiles(form->Handle(), true);
    ASSERT_TRUE(SimulateFileDrop(form->Handle(), "file:///a.log", Point(5, 5)));
    form.reset();
    Application->ProcessMessages(); // the queued payload is freed with its window (LeakSanitizer checks)
    EXPECT_FALSE(SimulateFileDrop(nullptr, "file:///a.log", Point(5, 5)));
}

} // namespace
