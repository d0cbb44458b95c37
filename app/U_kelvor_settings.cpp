// The settings file: read when the window is created (after a save in place
// that was cut short is undone; values held to what the input boxes accept,
// the window fitted to the screen, watched files opened) and written when it
// is destroyed (beside the file and put in its place, or in place when the
// folder takes no new file).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <unordered_set>
#include <vector>

#include "app/U_kelvor.h"
#include "document/rvstyle.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/monitors.h"
#include "platform/core/colors.h"
#include "platform/core/inidata.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"

namespace {

const char* const OptionsSection = "Options";
const char* const SpecialWordsSection = "SpecialWords";
const char* const RecentFilesSection = "RecentFiles";
const char* const TailFilesSection = "TailFiles";

bool StartsWith(const AnsiString& s, const AnsiString& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Why a settings file that exists cannot be read; Fault is what reading it
// found of its bytes.
AnsiString UnreadableReason(const AnsiString& fileName, TIniTextFault fault)
{
    const int handle = open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (handle < 0)
        return SysErrorMessage(errno);
    AnsiString reason = "It could not be read.";
    struct stat info;
    if (fstat(handle, &info) != 0)
        reason = SysErrorMessage(errno);
    else if (!S_ISREG(info.st_mode))
        reason = "It is not a regular file.";
    else if (info.st_size > MaxIniFileSize)
        reason = "It is larger than " + IntToStr(static_cast<int>(MaxIniFileSize >> 20)) + " MiB.";
    else if (fault == TIniTextFault::Utf16ByteOrderMark)
        reason = "It is written in UTF-16; settings are read in UTF-8 only.";
    else if (fault == TIniTextFault::NulByte)
        reason = "It holds NUL bytes, so it is no text (UTF-16 without a byte-order mark, perhaps); "
                 "settings are read in UTF-8 only.";
    close(handle);
    return reason;
}

// A colour a pane can be painted in: an RGB value (0x00BBGGRR) or a system
// colour of the fixed table. Anything else (-1, clNone, other high bytes)
// would paint the pane black.
bool IsPaneColor(TColor color)
{
    const auto value = static_cast<uint32_t>(color);
    return value <= 0x00FFFFFFu || ((value & 0xFFFFFF00u) == 0x80000000u && (value & 0xFF) <= COLOR_MENUBAR);
}

// Writes the settings file: beside it first and then put in its place, so that
// it is never left half written; when its folder takes no new file but the
// file itself may be written, in place (WriteSettingsInPlace, which sets
// HeldElsewhere when another program's save holds the file). The reason of a
// failure, empty on success.
AnsiString WriteSettingsText(const AnsiString& fileName, const AnsiString& text, bool& heldElsewhere)
{
    heldElsewhere = false;
    try {
        SafeWriteFile(fileName, [&text](TStream& stream) {
            stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        });
        return AnsiString();
    } catch (const EFCreateError& error) {
        if (access(fileName.c_str(), W_OK) != 0)
            return error.Message();
    } catch (const Exception& error) {
        return error.Message();
    }
    return WriteSettingsInPlace(fileName, text, &heldElsewhere);
}

} // namespace

// ---------------------------------------------------------------------------
// Reading

void TForm1::ReadSettings()
{
    // The last run was ended while it wrote the settings in place: the copy
    // it kept of the old ones goes back first. Should that fail, the copy is
    // all that holds them whole, so nothing is written over it in this run.
    // A file changed since that save is the user's: it stays, and the old
    // settings are kept aside.
    const TSettingsRestore restore = RestoreInterruptedSettingsSave(IniFileName);
    if (!restore.Failure.empty()) {
        FSettingsUnreadable = true;
        MessageBox("Unable to restore the ini file:\n\n" + ShownFileName(IniFileName) + "\n\n" +
                       restore.Failure + "\nIts last settings are kept in " +
                       ShownFileName(SettingsCopyFileName(IniFileName)) + "; nothing is saved at exit.",
                   "Error", MB_OK | MB_ICONERROR);
    } else if (!restore.SetAside.empty()) {
        MessageBox("A save of the ini file was cut short, and the file may have been changed since:\n\n" +
                       ShownFileName(IniFileName) +
                       "\n\nThe file is kept as it is. Its settings from before that save are kept in:\n\n" +
                       ShownFileName(restore.SetAside),
                   "Confirmation", MB_OK | MB_ICONINFORMATION);
    }
    AnsiString text;
    TIniTextFault fault;
    if (LoadIniText(IniFileName, text, &fault) == TIniLoadResult::Unreadable) {
        FSettingsUnreadable = true;
        MessageBox("Unable to read the ini file:\n\n" + ShownFileName(IniFileName) + "\n\n" +
                       UnreadableReason(IniFileName, fault) +
                       "\nThe default settings are used and the file is left as it is.",
                   "Error", MB_OK | MB_ICONERROR);
    }
    TIniFile ini(IniFileName);
    const bool active = ini.ReadBool(OptionsSection, "Active", false);

    TFontInfo* normal = RVStyle->TextStyles()->Items(0);
    normal->SetFontName(ini.ReadString(OptionsSection, "FontName", "Small Fonts"));
    // A size below 1 names no font size: the default stays. Values beyond what
    // the input boxes accept are held to their limits.
    const int fontSize = ini.ReadInteger(OptionsSection, "FontSize", 7);
    normal->SetSize(fontSize > 0 ? std::min(fontSize, MaxFontSize) : 7);

    PurgeAtLine = std::clamp(ini.ReadInteger(OptionsSection, "PurgeAtLine", 250), 0, MaxPurgeAtLine);
    const int interval =
        std::min(ini.ReadInteger(OptionsSection, "MonitorInterval", 500), MaxMonitorInterval);

    SetShowOnLogEvent(ini.ReadBool(OptionsSection, "ShowOnLogEvent", false));
    SetBeepOnLogEvent(ini.ReadBool(OptionsSection, "BeepOnLogEvent", false));
    SetShowOnlySpecialWordLogs(ini.ReadBool(OptionsSection, "ShowOnlySpecialWordLogs", false));
    // A value that is no colour gets the default (and is saved so).
    const TColor background =
        ini.ReadInteger(OptionsSection, "MonitorBackgroundColor", DefaultMonitorBackgroundColor);
    SetMonitorBackgroundColor(IsPaneColor(background) ? background : DefaultMonitorBackgroundColor);
    SetShowFileNameImage(ini.ReadBool(OptionsSection, "ShowFileNameImage", false));
    SetAlwaysOnTop(ini.ReadBool(OptionsSection, "AlwaysOnTop", false));
    SetSaveSettings(ini.ReadBool(OptionsSection, "SaveSettings", false));
    // Written at exit, so read back as well: a run starts as the last one ended.
    SetAdjustSizeAutomaticly(ini.ReadBool(OptionsSection, "AdjustSizeAutomaticly", true));

    if (interval > 0)
        Tail->SetInterval(interval);

    SetShowOnlyInSystemTray(ini.ReadBool(OptionsSection, "ShowOnlyInSystemTray", false));

    // Fitted to the screen before the window takes it: a window of the size
    // read could take more memory than there is.
    PlaceOnScreen(ini.ReadInteger(OptionsSection, "Left", Left()),
                  ini.ReadInteger(OptionsSection, "Top", Top()),
                  ini.ReadInteger(OptionsSection, "Width", Width()),
                  ini.ReadInteger(OptionsSection, "Height", Height()));

    ReadSpecialWords(ini);

    TStringList keys;
    ini.ReadSection(RecentFilesSection, keys);
    for (int i = 0; i < keys.Count(); ++i)
        if (StartsWith(keys[i], "File"))
            RecentFiles->Add(ini.ReadString(RecentFilesSection, keys[i], ""));

    ini.ReadSection(TailFilesSection, keys);
    std::vector<AnsiString> watched;
    for (int i = 0; i < keys.Count(); ++i)
        if (StartsWith(keys[i], "File"))
            watched.push_back(ini.ReadString(TailFilesSection, keys[i], ""));
    OpenSavedFiles(watched);

    SetActive(active);
    if (Tail->GetCount() > 0)
        AdjustSizePMIClick(this);
}

void TForm1::ReadSpecialWords(TCustomIniFile& ini)
{
    static const AnsiString wordPrefix = "SpecialWord";
    TStringList keys;
    ini.ReadSection(SpecialWordsSection, keys);
    TFontInfos* texts = RVStyle->TextStyles();
    for (int i = 0; i < keys.Count(); ++i) {
        const AnsiString& key = keys[i];
        if (!StartsWith(key, wordPrefix))
            continue;
        const AnsiString suffix = key.substr(wordPrefix.size());
        const int color = ini.ReadInteger(SpecialWordsSection, "SpecialColor" + suffix, -1);
        const AnsiString word = ini.ReadString(SpecialWordsSection, key, "");
        // 0 (black) is refused as well: the colour must be above 0.
        if (color <= 0 || word.empty())
            continue;
        TFontInfo* style = texts->Add();
        style->Assign(texts->Items(0));
        style->SetColor(color);
        SpecialWords->AddObject(word, SpecialWordStyleObject(texts->Count() - 1));
    }
}

void TForm1::PlaceOnScreen(int left, int top, int width, int height)
{
    // Screens whose usable area is not known yet (empty) cannot hold a window.
    std::vector<TRect> monitors = MonitorWorkAreaList();
    monitors.erase(std::remove_if(monitors.begin(), monitors.end(),
                                  [](const TRect& m) { return m.Right <= m.Left || m.Bottom <= m.Top; }),
                   monitors.end());
    if (monitors.empty()) {
        // No screen to fit: still a usable size that a screen can hold.
        SetBounds(left, top, std::clamp(width, MinWindowWidth, MaxUnplacedWindowSide),
                  std::clamp(height, MinWindowHeight, MaxUnplacedWindowSide));
        return;
    }
    // The screen that holds most of the window (64 bits: the values read may
    // be anything).
    const int64_t right = int64_t{left} + std::max(width, 0);
    const int64_t bottom = int64_t{top} + std::max(height, 0);
    TRect screen = monitors.front();
    int64_t best = 0;
    for (const TRect& m : monitors) {
        const int64_t w = std::min<int64_t>(right, m.Right) - std::max<int64_t>(left, m.Left);
        const int64_t h = std::min<int64_t>(bottom, m.Bottom) - std::max<int64_t>(top, m.Top);
        if (w > 0 && h > 0 && w * h > best) {
            best = w * h;
            screen = m;
        }
    }
    const int screenWidth = screen.Right - screen.Left;
    const int screenHeight = screen.Bottom - screen.Top;
    const int fittedWidth = std::clamp(width, std::min(MinWindowWidth, screenWidth), screenWidth);
    const int fittedHeight = std::clamp(height, std::min(MinWindowHeight, screenHeight), screenHeight);
    SetBounds(std::clamp(left, screen.Left, screen.Right - fittedWidth),
              std::clamp(top, screen.Top, screen.Bottom - fittedHeight), fittedWidth, fittedHeight);
}

// ---------------------------------------------------------------------------
// Writing

AnsiString TForm1::SettingsText(const std::vector<AnsiString>& watched, size_t kept,
                                const AnsiString& lineBreak)
{
    TMemIniFile ini(IniFileName);
    ini.EraseSection(TailFilesSection);
    for (size_t i = 0; i < kept; ++i)
        ini.WriteString(TailFilesSection, "File" + IntToStr(static_cast<int64_t>(i)), watched[i]);

    ini.EraseSection(OptionsSection);
    const TFontInfo* normal = RVStyle->TextStyles()->Items(0);
    ini.WriteBool(OptionsSection, "Active", Active);
    ini.WriteInteger(OptionsSection, "FontSize", normal->Size());
    ini.WriteString(OptionsSection, "FontName", normal->FontName());
    ini.WriteInteger(OptionsSection, "PurgeAtLine", PurgeAtLine);
    ini.WriteInteger(OptionsSection, "MonitorInterval", Tail->GetInterval());
    ini.WriteBool(OptionsSection, "ShowOnlyInSystemTray", ShowOnlyInSystemTray);
    ini.WriteBool(OptionsSection, "ShowOnLogEvent", ShowOnLogEvent);
    ini.WriteBool(OptionsSection, "BeepOnLogEvent", BeepOnLogEvent);
    ini.WriteBool(OptionsSection, "ShowOnlySpecialWordLogs", ShowOnlySpecialWordLogs);
    ini.WriteInteger(OptionsSection, "MonitorBackgroundColor", MonitorBackgroundColor);
    ini.WriteBool(OptionsSection, "ShowFileNameImage", ShowFileNameImage);
    ini.WriteBool(OptionsSection, "AlwaysOnTop", AlwaysOnTop);
    ini.WriteBool(OptionsSection, "AdjustSizeAutomaticly", AdjustSizeAutomaticly);
    ini.WriteInteger(OptionsSection, "Left", Left());
    ini.WriteInteger(OptionsSection, "Top", Top());
    ini.WriteInteger(OptionsSection, "Width", Width());
    ini.WriteInteger(OptionsSection, "Height", Height());
    ini.WriteBool(OptionsSection, "SaveSettings", SaveSettings);

    ini.EraseSection(RecentFilesSection);
    for (int i = 0; i < RecentFiles->Count(); ++i)
        ini.WriteString(RecentFilesSection, "File" + IntToStr(i), (*RecentFiles)[i]);
    // [SpecialWords] belongs to the user: never written.

    TStringList lines;
    ini.GetStrings(lines);
    AnsiString text;
    for (int i = 0; i < lines.Count(); ++i)
        text += lines[i] + lineBreak;
    return text;
}

bool TForm1::WriteSettings(bool mayWait)
{
    if (!SaveSettings || IniFileName.empty() || FSettingsUnreadable)
        return true;
    const bool existed = FileExists(IniFileName);
    // The per-user folder of the fallback name may not exist yet.
    ForceDirectories(ExtractFileDir(IniFileName));
    AnsiString reason;
    AnsiString dropped;
    AnsiString before;
    TIniTextFault fault;
    if (LoadIniText(IniFileName, before, &fault) == TIniLoadResult::Unreadable) {
        reason = UnreadableReason(IniFileName, fault);
    } else {
        // The watched files in monitor order, then those that could not be
        // opened at start (so that the next start tries them again).
        std::vector<AnsiString> watched;
        std::unordered_set<AnsiString> open;
        for (int i = 0; i < Tail->GetCount(); ++i) {
            watched.push_back(Tail->GetFile(i)->FileName);
            open.insert(watched.back());
        }
        for (const AnsiString& name : FMissingTailFiles)
            if (!open.count(name))
                watched.push_back(name);
        // The file's own line breaks are kept.
        const AnsiString lineBreak = before.find("\r\n") != AnsiString::npos ? "\r\n" : "\n";
        size_t kept = watched.size();
        AnsiString text = SettingsText(watched, kept, lineBreak);
        // Never a file that the next start would refuse to read: watched files
        // are left out from the last one until it fits.
        while (static_cast<int64_t>(text.size()) > MaxIniFileSize && kept > 0) {
            int64_t excess = static_cast<int64_t>(text.size()) - MaxIniFileSize;
            while (kept > 0 && excess > 0) {
                --kept;
                excess -= static_cast<int64_t>(4 + IntToStr(static_cast<int64_t>(kept)).size() + 1 +
                                               watched[kept].size() + lineBreak.size());
            }
            text = SettingsText(watched, kept, lineBreak);
        }
        const AnsiString limit = IntToStr(static_cast<int>(MaxIniFileSize >> 20)) + " MiB";
        if (static_cast<int64_t>(text.size()) > MaxIniFileSize) {
            reason = "The settings would take more than " + limit +
                     ", which is more than the program reads: the file is left as it is.";
        } else {
            bool heldElsewhere = false;
            if (!existed || text != before)
                reason = WriteSettingsText(IniFileName, text, heldElsewhere);
            if (heldElsewhere && mayWait)
                return false;
            if (reason.empty() && kept < watched.size())
                dropped = "The settings file may not be larger than " + limit + ": the last " +
                          IntToStr(static_cast<int64_t>(watched.size() - kept)) + " of the " +
                          IntToStr(static_cast<int64_t>(watched.size())) +
                          " watched files are not saved in it.";
        }
    }
    if (!reason.empty()) {
        if (ClosingOnSignal)
            std::fprintf(stderr, "kelvor: unable to write the ini file %s: %s\n", IniFileName.c_str(),
                         reason.c_str());
        else
            MessageBox("Unable to write the ini file:\n\n" + ShownFileName(IniFileName) + "\n\n" + reason,
                       "Error", MB_OK | MB_ICONERROR);
        return true;
    }
    if (!dropped.empty()) {
        if (ClosingOnSignal)
            std::fprintf(stderr, "kelvor: %s: %s\n", IniFileName.c_str(), dropped.c_str());
        else
            MessageBox("Not everything could be saved in the ini file:\n\n" + ShownFileName(IniFileName) +
                           "\n\n" + dropped,
                       "Error", MB_OK | MB_ICONERROR);
    }
    if (!existed && FileExists(IniFileName) && !ClosingOnSignal)
        MessageBox("The program has created an ini file:\n" + ShownFileName(IniFileName), "Confirmation",
                   MB_OK | MB_ICONINFORMATION);
    return true;
}
