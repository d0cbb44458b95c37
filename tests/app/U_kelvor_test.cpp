// The main window's start-up and exit: where the settings file is, what a
// missing file gives, the special words, the window's place, and what is
// written at exit (and what is kept of the file).
#include "app/U_kelvor.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/monitors.h"
#include "platform/core/colors.h"
#include "platform/core/inifiles.h"
#include "tests/app/U_kelvor_fixture.h"
#include "tests/support/scriptedui.h"
#include "tests/support/tempdir.h"

namespace {

class KelvorSettingsTest : public KelvorStartStopTest {
protected:
    TFontInfo* Style(int Index) const { return Form->RVStyle->TextStyles()->Items(Index); }
    int StyleCount() const { return Form->RVStyle->TextStyles()->Count(); }
};

// ---------------------------------------------------------------------------
// The settings file's name

TEST(KelvorIniNameTest, TheProgramsNameWithIniBesideIt)
{
    TempDir dir;
    EXPECT_EQ(DefaultIniFileName(dir.File("kelvor")), dir.File("kelvor.ini"));
    EXPECT_EQ(DefaultIniFileName(dir.File("kelvor.bin")), dir.File("kelvor.ini"));
    EXPECT_EQ(DefaultIniFileName(dir.File("kel.vor.x")), dir.File("kel.vor.ini"));
    // A dot in a folder's name or a leading dot is no extension.
    ASSERT_EQ(mkdir(dir.File("a.b").c_str(), 0700), 0);
    EXPECT_EQ(DefaultIniFileName(dir.File("a.b/kelvor")), dir.File("a.b/kelvor.ini"));
    EXPECT_EQ(DefaultIniFileName(dir.File(".kelvor")), dir.File(".kelvor.ini"));
}

TEST(KelvorIniNameTest, AFolderThatCannotBeWrittenGivesTheUsersConfigFolder)
{
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("XDG_CONFIG_HOME", "/home/someone/.conf", 1);
    EXPECT_EQ(DefaultIniFileName("/no/such/folder/kelvor"), "/home/someone/.conf/kelvor/kelvor.ini");
    // A relative XDG_CONFIG_HOME is ignored.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/me", 1);
    EXPECT_EQ(DefaultIniFileName("/no/such/folder/kelvor"), "/home/me/.config/kelvor/kelvor.ini");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    if (oldHome)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
}

// ---------------------------------------------------------------------------
// Start-up

TEST_F(KelvorSettingsTest, NoSettingsFileWritesNothingAtExitAndAMissingNamedOneIsReported)
{
    Start();
    EXPECT_EQ(Form->IniFileName, Dir.File("kelvor.ini"));
    // The layout's paragraph styles: 0 never wraps, 1 is centred.
    TParaInfos* paras = Form->RVStyle->ParaStyles();
    ASSERT_EQ(paras->Count(), 2);
    EXPECT_TRUE(paras->Items(0)->Options().Contains(rvpaoNoWrap));
    EXPECT_EQ(paras->Items(1)->Alignment(), rvaCenter);
    Stop();
    EXPECT_FALSE(FileExists(Dir.File("kelvor.ini")));
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty());

    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("absent.ini"));
    const auto boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Text, "Ini-File not found:\n\n" + Dir.File("absent.ini"));
    EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_TRUE(Form->Tail->GetActive()) << "the constructor's settings stay";
    Stop();
    EXPECT_FALSE(FileExists(Dir.File("absent.ini")));
}

TEST_F(KelvorSettingsTest, ARelativeNameIsTakenFromTheWorkingDirectory)
{
    Dir.Write("rel.ini", "[Options]\nPurgeAtLine=7\n");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(Dir.Path().c_str()), 0);
    Start("rel.ini");
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(Form->IniFileName, Dir.File("rel.ini"));
    EXPECT_EQ(Form->PurgeAtLine, 7);
}

TEST_F(KelvorSettingsTest, OptionsAreReadAndZerosKeepTheDefaults)
{
    Dir.Write("k.ini", "[Options]\nActive=1\nFontName=Mono Sans\nFontSize=12\nPurgeAtLine=0\n"
                       "MonitorInterval=$64\nShowOnLogEvent=1\nBeepOnLogEvent=2\nShowOnlySpecialWordLogs=1\n"
                       "MonitorBackgroundColor=0x00FF00\nSaveSettings=1\nAdjustSizeAutomaticly=0\n"
                       "Left=10\nTop=20\nWidth=300\nHeight=200\n");
    Start(Dir.File("k.ini"));
    EXPECT_TRUE(Form->Tail->GetActive());
    EXPECT_EQ(Style(0)->FontName(), "Mono Sans");
    EXPECT_EQ(Style(0)->Size(), 12);
    EXPECT_EQ(Form->PurgeAtLine, 0);
    EXPECT_EQ(Form->Tail->GetInterval(), 100);
    EXPECT_TRUE(Form->ShowOnLogEvent && Form->BeepOnLogEvent && Form->ShowOnlySpecialWordLogs);
    EXPECT_EQ(Form->MonitorBackgroundColor, 0x00FF00);
    EXPECT_TRUE(Form->SaveSettings);
    EXPECT_FALSE(Form->AdjustSizeAutomaticly);
    EXPECT_EQ(Form->BoundsRect(), Bounds(10, 20, 300, 200));
    Form->SetSaveSettings(false);
    Stop();
    Dir.Write("k.ini", "[Options]\nMonitorInterval=0\nFontSize=0\n");
    Start(Dir.File("k.ini"));
    EXPECT_EQ(Form->Tail->GetInterval(), 500);
    EXPECT_EQ(Style(0)->Size(), 7);
}

TEST_F(KelvorSettingsTest, AWindowSavedOffEveryScreenIsMovedOntoTheScreen)
{
    Dir.Write("k.ini", "[Options]\nLeft=-5000\nTop=90000\nWidth=300\nHeight=200\n");
    Start(Dir.File("k.ini"));
    EXPECT_TRUE(RectOnAnyMonitor(Form->BoundsRect()));
    EXPECT_EQ(Form->Width(), 300);
    EXPECT_EQ(Form->Height(), 200);
    const TRect screen = MonitorBoundsList().front();
    EXPECT_EQ(Form->Left(), screen.Left);
    EXPECT_EQ(Form->Top(), screen.Bottom - 200);
}

TEST_F(KelvorSettingsTest, SpecialWordsPairByTheirSuffixAndNeedAColourAboveZero)
{
    Dir.Write("k.ini", "[Options]\nFontName=Mono Sans\nFontSize=11\n"
                       "[SpecialWords]\n"
                       "SpecialWord1=ERROR\nSpecialColor1=255\n"
                       "SpecialColorB=$FF00\nSpecialWordB=WARN\n" // colour listed first
                       "SpecialWord2=zero\nSpecialColor2=0\n"
                       "SpecialWord3=negative\nSpecialColor3=-5\n"
                       "SpecialWord4=no colour\n"
                       "SpecialWord5=text\nSpecialColor5=abc\n"
                       "SpecialWord6=\nSpecialColor6=100\n"
                       "specialword7=lower\nSpecialColor7=100\n" // the word key's case counts
                       "SpecialWord=bare\nspecialcolor=$FF\n"    // empty suffix; colour key's case does not
                       "Other=ignored\n");
    Start(Dir.File("k.ini"));
    ASSERT_EQ(Form->SpecialWords->Count(), 3);
    EXPECT_EQ((*Form->SpecialWords)[0], "ERROR");
    EXPECT_EQ((*Form->SpecialWords)[1], "WARN");
    EXPECT_EQ((*Form->SpecialWords)[2], "bare");
    ASSERT_EQ(StyleCount(), 4);
    const TColor colors[] = {255, 0xFF00, 0xFF};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TForm1::SpecialWordStyleNo(Form->SpecialWords->GetObject(i)), i + 1);
        // A copy of style 0 in its own colour.
        EXPECT_EQ(Style(i + 1)->Color(), colors[i]);
        EXPECT_EQ(Style(i + 1)->FontName(), "Mono Sans");
        EXPECT_EQ(Style(i + 1)->Size(), 11);
    }
    EXPECT_EQ(Style(0)->Color(), clWindowText);
}

TEST_F(KelvorSettingsTest, RecentFilesAreReadWholeFromKeysStartingWithFile)
{
    std::string ini = "[RecentFiles]\n";
    for (int i = 0; i < 12; ++i)
        ini += "File" + std::to_string(i) + "=/logs/" + std::to_string(i) + ".log\n";
    ini += "file99=/logs/lower.log\nOther=/logs/other.log\n";
    Dir.Write("k.ini", ini);
    Start(Dir.File("k.ini"));
    ASSERT_EQ(Form->RecentFiles->Count(), 12);
    EXPECT_EQ((*Form->RecentFiles)[0], "/logs/0.log");
    EXPECT_EQ((*Form->RecentFiles)[11], "/logs/11.log");
}

TEST_F(KelvorSettingsTest, SavedFilesOpenInPanesAndAMissingOneIsReported)
{
    const std::string a = Dir.Write("a.log", "old\n");
    const std::string b = Dir.Write("b.log", "");
    Dir.Write("k.ini", "[TailFiles]\nFile0=" + a + "\nFile1=" + Dir.File("gone.log") + "\nFile2=" + b + "\n");
    UI.QueueMessageBoxResult(IDOK);
    Start(Dir.File("k.ini"));
    ASSERT_EQ(Form->Tail->GetCount(), 2);
    EXPECT_EQ(Form->Tail->GetFile(0)->FileName, a);
    EXPECT_EQ(Form->Tail->GetFile(1)->FileName, b);
    EXPECT_NE(Form->Tail->GetFile(0)->View, nullptr);
    const auto boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "File '" + Dir.File("gone.log") + "' not exists.");
}

// ---------------------------------------------------------------------------
// Exit

TEST_F(KelvorSettingsTest, SavingKeepsSpecialWordsUnknownSectionsAndComments)
{
    const std::string log = Dir.Write("watched.log", "");
    const std::string original = "; my settings\n"
                                 "[Options]\nSaveSettings=1\nPurgeAtLine=42\nObsolete=1\n"
                                 "[SpecialWords]\n; colours are BGR\nSpecialWord1=ERROR\nSpecialColor1=255\n"
                                 "[Mine]\nkey=value\n"
                                 "[TailFiles]\nFile0=" +
                                 Dir.File("stale.log") + "\n";
    Dir.Write("k.ini", original);
    UI.QueueMessageBoxResult(IDOK); // stale.log is missing
    Start(Dir.File("k.ini"));
    UI.ClearCalls();
    ASSERT_NE(Form->OpenTailFile(log), nullptr);
    Form->RecentFiles->Clear();
    Form->RecentFiles->Add("/r/one.log");
    Form->SetBounds(40, 50, 320, 240);
    Stop();
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty()); // the file existed

    const std::string text = Dir.Read("k.ini");
    EXPECT_NE(text.find("; my settings"), std::string::npos);
    EXPECT_NE(text.find("[SpecialWords]\n; colours are BGR\nSpecialWord1=ERROR\nSpecialColor1=255\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Mine]\nkey=value\n"), std::string::npos);
    EXPECT_EQ(text.find("Obsolete"), std::string::npos);

    // A file missing at start keeps its place, so that the next start tries it again.
    TIniFile ini(Dir.File("k.ini"));
    EXPECT_EQ(ini.ReadString("TailFiles", "File0", ""), log);
    EXPECT_EQ(ini.ReadString("TailFiles", "File1", ""), Dir.File("stale.log"));
    EXPECT_EQ(ini.ReadString("RecentFiles", "File0", ""), "/r/one.log");
    EXPECT_EQ(ini.ReadInteger("Options", "PurgeAtLine", 0), 42);
    EXPECT_EQ(ini.ReadString("Options", "SaveSettings", ""), "1");
    EXPECT_EQ(ini.ReadString("Options", "Active", ""), "0");
    EXPECT_EQ(ini.ReadInteger("Options", "MonitorInterval", 0), 500);
    EXPECT_EQ(ini.ReadInteger("Options", "Left", 0), 40);
    EXPECT_EQ(ini.ReadInteger("Options", "Height", 0), 240);
    // The keys of [Options] in their order.
    TStringList keys;
    ini.ReadSection("Options", keys);
    EXPECT_EQ(keys.CommaText(),
              "Active,FontSize,FontName,PurgeAtLine,MonitorInterval,ShowOnlyInSystemTray,"
              "ShowOnLogEvent,BeepOnLogEvent,ShowOnlySpecialWordLogs,MonitorBackgroundColor,"
              "ShowFileNameImage,AlwaysOnTop,AdjustSizeAutomaticly,Left,Top,Width,Height,"
              "SaveSettings");
}

// The settings are read once, at start-up, and written once, at exit, over
// the file as it stands then: a hand edit made while the program runs is
// not used in that run, and the save replaces [Options], [TailFiles] and
// [RecentFiles] with what the program holds, keeping the rest.
TEST_F(KelvorSettingsTest, AHandEditWhileRunningWaitsForTheNextStartAndTheSaveOverwritesItsOptionsAndFiles)
{
    const std::string watched = Dir.Write("watched.log", "");
    const std::string added = Dir.Write("added.log", "");
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\nPurgeAtLine=42\n"
                       "[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n"
                       "[TailFiles]\nFile0=" +
                           watched + "\n");
    Start(Dir.File("k.ini"));
    ASSERT_EQ(Form->Tail->GetCount(), 1);
    // Edited by hand while the program runs.
    Dir.Write("k.ini", "[Options]\nSaveSettings=1\nPurgeAtLine=7\n"
                       "[SpecialWords]\nSpecialWord1=ERROR\nSpecialColor1=255\n"
                       "SpecialWord2=WARN\nSpecialColor2=$FF00\n"
                       "[TailFiles]\nFile0=" +
                           watched + "\nFile1=" + added + "\n");
    EXPECT_EQ(Form->PurgeAtLine, 42);
    EXPECT_EQ(Form->GetSpecialWordStyle("a WARN"), -1);
    EXPECT_EQ(Form->Tail->GetCount(), 1);
    Stop();
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty());

    TIniFile ini(Dir.File("k.ini"));
    EXPECT_EQ(ini.ReadInteger("Options", "PurgeAtLine", 0), 42);
    EXPECT_EQ(ini.ReadString("TailFiles", "File0", ""), watched);
    EXPECT_EQ(ini.ReadString("TailFiles", "File1", ""), "");
    EXPECT_EQ(ini.ReadString("SpecialWords", "SpecialWord2", ""), "WARN");
    // The next start uses the word added by hand.
    Start(Dir.File("k.ini"));
    EXPECT_EQ(Form->GetSpecialWordStyle("a WARN"), 2);
}

TEST_F(KelvorSettingsTest, TheCreatedFileBoxComesOnlyOnTheFirstWrite)
{
    Start();
    Form->SetSaveSettings(true);
    UI.QueueMessageBoxResult(IDOK);
    Stop();
    auto boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Confirmation");
    EXPECT_EQ(boxes[0].Text, "The program has created an ini file:\n" + Dir.File("kelvor.ini"));
    EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONINFORMATION);

    UI.ClearCalls();
    Start();
    EXPECT_TRUE(Form->SaveSettings);
    Stop();
    EXPECT_TRUE(UI.CallsOf(TUICallKind::MessageBox).empty());
}

TEST_F(KelvorSettingsTest, AFailedWriteShowsAnErrorWithThePath)
{
    Dir.Write("plain", "a file, not a folder");
    Start();
    Form->IniFileName = Dir.File("plain/kelvor.ini");
    Form->SetSaveSettings(true);
    UI.QueueMessageBoxResult(IDOK);
    Stop();
    const auto boxes = UI.CallsOf(TUICallKind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_NE(boxes[0].Text.find(Dir.File("plain/kelvor.ini")), AnsiString::npos);
    EXPECT_EQ(boxes[0].Flags, MB_OK | MB_ICONERROR);
}

TEST_F(KelvorSettingsTest, SwitchingSavingOffLeavesTheFileAsItWas)
{
    const std::string original = "[Options]\nSaveSettings=1\nPurgeAtLine=9\n";
    Dir.Write("k.ini", original);
    Start(Dir.File("k.ini"));
    Form->PurgeAtLine = 1000;
    Form->SetSaveSettings(false);
    Stop();
    EXPECT_EQ(Dir.Read("k.ini"), original);
}

// A background that is no colour would paint the panes black under black
// text: it falls back to the default, which is what is saved. RGB values and
// the system colours of the table stay.
TEST_F(KelvorSettingsTest, ABackgroundThatIsNoColourFallsBackToTheDefault)
{
    const TColor fallback = DefaultMonitorBackgroundColor;
    // -1, clNone, another high byte, past the system colours of the table; then colours.
    const std::pair<const char*, TColor> cases[] = {
        {"-1", fallback}, {"$1FFFFFFF", fallback}, {"$01000000", fallback},  {"-2147483393", fallback},
        {"0", 0},         {"$FFFFFF", 0xFFFFFF},   {"-2147483643", clWindow}};
    for (const auto& [value, read] : cases) {
        SCOPED_TRACE(value);
        Dir.Write("k.ini", std::string("[Options]\nSaveSettings=1\nMonitorBackgroundColor=") + value + "\n");
        Start(Dir.File("k.ini"));
        EXPECT_EQ(Form->MonitorBackgroundColor, read);
        Stop();
        EXPECT_EQ(TMemIniFile(Dir.File("k.ini")).ReadInteger("Options", "MonitorBackgroundColor", 1), read);
    }
}

// A settings file in UTF-16 (either byte order, with its mark or without it)
// or holding NUL bytes anyhow is reported as unreadable and left as it is; the
// defaults are used.
TEST_F(KelvorSettingsTest, AUtf16SettingsFileIsReportedAndLeftAlone)
{
    const std::string text = "[Options]\r\nSaveSettings=1\r\nPurgeAtLine=7\r\n";
    std::string littleEndian, bigEndian;
    for (char c : text) {
        littleEndian += {c, '\0'};
        bigEndian += {'\0', c};
    }
    // The files, and what the box names as the reason.
    const std::pair<std::string, const char*> cases[] = {
        {"\xFF\xFE" + littleEndian, "UTF-16"},
        {"\xFE\xFF" + bigEndian, "UTF-16"},
        {littleEndian, "NUL bytes"},
        {bigEndian, "NUL bytes"},
        {text + std::string(3, '\0'), "NUL bytes"},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        Dir.Write("k.ini", bytes);
        UI.QueueMessageBoxResult(IDOK);
        Start(Dir.File("k.ini"));
        EXPECT_EQ(Form->PurgeAtLine, 250);
        const auto boxes = UI.CallsOf(TUICallKind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].Text.rfind("Unable to read the ini file:", 0) == 0 &&
                    boxes[0].Text.find(reason) != std::string::npos)
            << boxes[0].Text;
        Form->SetSaveSettings(true);
        Stop();
        EXPECT_EQ(Dir.Read("k.ini"), bytes);
        UI.ClearCalls();
    }
}

} // namespace
