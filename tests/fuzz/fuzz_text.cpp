// Fuzz target of the plain-text readers. The input is a text file, read as
// 8-bit text and as UTF-16, alone and behind a long first line that puts a
// chunk boundary of the readers inside it:
// - 8-bit: the lines must be those of a plain model of the format (CR, LF and
//   CR LF end lines, NUL is '?', form feeds make page breaks, a last Ctrl-Z
//   ends the input), whatever the chunk boundaries;
// - UTF-16: reading the file and appending the same units from memory must
//   agree, and text saved as UTF-16 must read back to the same items;
// - every document can be written back in both encodings.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "document/crvdata.h"
#include "document/rvstyle.h"
#include "platform/core/streams.h"
#include "tests/support/testrvdata.h"

namespace {

// The reader's chunk size, so that the padding puts a boundary inside the input.
constexpr size_t ChunkSize = 64 * 1024;

const std::string& ScratchFile()
{
    static const std::string name = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    std::string("/kelvor-fuzz-text-") + std::to_string(::getpid());
    return name;
}

void WriteScratch(const std::string& bytes)
{
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct TLine {
    std::string Text;
    bool PageBreak;
};

// The lines of 8-bit text as the format defines them, all in memory.
std::vector<TLine> ModelLines(std::string s, int SpacesInTab)
{
    if (!s.empty() && s.back() == '\x1A')
        s.pop_back();
    std::vector<std::string> Pieces;
    std::string Current;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            Pieces.push_back(Current);
            Current.clear();
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            Current += c == '\0' ? '?' : c;
        }
    }
    if (!Current.empty())
        Pieces.push_back(Current);

    std::vector<TLine> Lines;
    bool Pending = false;
    auto Add = [&](const std::string& Text) {
        std::string t;
        for (char c : Text)
            t += c == '\t' ? std::string(static_cast<size_t>(SpacesInTab), ' ') : std::string(1, c);
        Lines.push_back({t, Pending});
        Pending = false;
    };
    for (const std::string& Piece : Pieces) {
        if (Piece.empty()) {
            Add(Piece);
            continue;
        }
        size_t Start = 0;
        for (;;) {
            const size_t FF = Piece.find('\f', Start);
            const std::string Segment =
                Piece.substr(Start, FF == std::string::npos ? std::string::npos : FF - Start);
            if (!Segment.empty())
                Add(Segment);
            if (FF == std::string::npos)
                break;
            Pending = true;
            Start = FF + 1;
        }
    }
    return Lines;
}

std::vector<std::string> Texts(const TCustomRVData& Data)
{
    std::vector<std::string> s;
    for (int i = 0; i < Data.GetItemCount(); ++i)
        s.push_back(Data.GetItemText(i));
    return s;
}

void CheckAnsi(TRVStyle& Style, const std::string& Bytes)
{
    WriteScratch(Bytes);
    TTestRVData Data(&Style);
    Check(Data.LoadText(ScratchFile(), 0, 0, false));
    const std::vector<TLine> Model = ModelLines(Bytes, Style.SpacesInTab());
    Check(static_cast<size_t>(Data.GetItemCount()) == Model.size());
    for (size_t i = 0; i < Model.size(); ++i) {
        const int ItemNo = static_cast<int>(i);
        Check(Data.GetItemText(ItemNo) == Model[i].Text);
        Check(Data.IsParaStart(ItemNo));
        Check(Data.GetItem(ItemNo)->GetPageBreakBefore() == Model[i].PageBreak);
    }
    TStringStream Ansi;
    TStringStream Wide;
    Check(Data.SaveTextToStream("", Ansi, 80, false, true, false));
    Check(Data.SaveTextToStream("", Wide, 80, false, false, true));
    Check(Wide.DataString().size() % 2 == 0);

    // Into a Unicode style every line is converted.
    TTestRVData Unicode(&Style);
    Check(Unicode.LoadText(ScratchFile(), 1, 0, true));
    Check(Unicode.GetItemCount() == Data.GetItemCount());
    for (int i = 0; i < Unicode.GetItemCount(); ++i)
        Check(Unicode.GetItemText(i).size() % 2 == 0);
}

void CheckUnicode(TRVStyle& Style, const std::string& Bytes)
{
    WriteScratch(Bytes);
    TTestRVData FromFile(&Style);
    const bool Loaded = FromFile.LoadTextW(ScratchFile(), 1, 0, false);
    Check(Loaded == (Bytes.size() % 2 == 0));
    if (!Loaded) {
        Check(FromFile.GetItemCount() == 0);
        return;
    }
    const bool Marked = Bytes.size() >= 2 && ((Bytes[0] == '\xFF' && Bytes[1] == '\xFE') ||
                                              (Bytes[0] == '\xFE' && Bytes[1] == '\xFF'));
    if (!Marked) {
        TTestRVData FromMemory(&Style);
        FromMemory.AddTextNLW(Bytes, 1, 0, 0, false);
        Check(Texts(FromMemory) == Texts(FromFile));
    }
    for (int i = 0; i < FromFile.GetItemCount(); ++i)
        Check(FromFile.GetItemText(i).size() % 2 == 0);

    TStringStream Wide;
    Check(FromFile.SaveTextToStream("", Wide, 80, false, true, true));
    TStringStream Ansi;
    Check(FromFile.SaveTextToStream("", Ansi, 80, false, true, false));
    // A document of no items (all form feeds) reads back as one empty line.
    if (FromFile.GetItemCount() == 0)
        return;
    WriteScratch("\xFF\xFE" + Wide.DataString());
    TTestRVData Again(&Style);
    Check(Again.LoadTextW(ScratchFile(), 1, 0, false));
    Check(Texts(Again) == Texts(FromFile));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string Bytes(reinterpret_cast<const char*>(data), size);
    // Made once: the readers do not change it.
    static TRVStyle& Style = []() -> TRVStyle& {
        static TRVStyle Sheet(nullptr);
        Sheet.SetSpacesInTab(2);
        while (Sheet.TextStyles()->Count() < 2)
            Sheet.TextStyles()->Add();
        Sheet.TextStyles()->Items(1)->SetUnicode(true);
        return Sheet;
    }();

    CheckAnsi(Style, Bytes);
    CheckUnicode(Style, Bytes);
    if (size > 0 && data[0] % 8 == 0) {
        // A long first line that ends a few bytes into the input (for an
        // eighth of the inputs: the padding costs most of the time).
        const size_t Shift = data[0] / 8 % 8;
        CheckAnsi(Style, std::string(ChunkSize - 1 - Shift, 'x') + Bytes);
        std::string PadW;
        while (PadW.size() < ChunkSize - 2 - 2 * (Shift / 2))
            PadW += std::string("x\0", 2);
        CheckUnicode(Style, PadW + Bytes);
    }
    ::unlink(ScratchFile().c_str());
    return 0;
}
