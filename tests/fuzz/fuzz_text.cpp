// Fuzz target of the plain-text readers. The input is a text file, read as
// 8-bit text and as UTF-16, alone and behind a long first line that puts a
// chunk boundary of the readers inside it:
// - 8-bit: the lines must be those of a plain model of the format (CR, LF and
//   CR LF end lines, NUL is '?', form feeds make page breaks, a last Ctrl-Z
//   ends the input), whatever the chunk boundaries;
// - UTF-16: reading the file and appending the same units from memory must
//   agree, and text saved as UTF-16 must read back to the same items;
// - every document can be written back in both encodings.
// The style sheet and the documents are made once per process and cleared
// between inputs. The padded runs read 64 KiB more each, so while fuzzing they
// are kept for a sixty-fourth of the inputs, chosen by a hash of the whole input
// (not by one byte that the fuzzer's mutations would keep), and check the
// readers alone; the seeds' replay reads every seed padded, with every check.
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
std::vector<TLine> ModelLines(std::string s, int spacesInTab)
{
    if (!s.empty() && s.back() == '\x1A')
        s.pop_back();
    std::vector<std::string> pieces;
    std::string current;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            pieces.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
                ++i;
        } else {
            current += c == '\0' ? '?' : c;
        }
    }
    if (!current.empty())
        pieces.push_back(current);

    std::vector<TLine> lines;
    bool pending = false;
    auto add = [&](const std::string& text) {
        std::string t;
        t.reserve(text.size());
        for (char c : text) {
            if (c == '\t')
                t.append(static_cast<size_t>(spacesInTab), ' ');
            else
                t += c;
        }
        lines.push_back({std::move(t), pending});
        pending = false;
    };
    for (const std::string& piece : pieces) {
        if (piece.empty()) {
            add(piece);
            continue;
        }
        size_t start = 0;
        for (;;) {
            const size_t ff = piece.find('\f', start);
            const std::string segment =
                piece.substr(start, ff == std::string::npos ? std::string::npos : ff - start);
            if (!segment.empty())
                add(segment);
            if (ff == std::string::npos)
                break;
            pending = true;
            start = ff + 1;
        }
    }
    return lines;
}

std::vector<std::string> Texts(const TCustomRVData& data)
{
    std::vector<std::string> s;
    for (int i = 0; i < data.GetItemCount(); ++i)
        s.push_back(data.GetItemText(i));
    return s;
}

// What one input is read into: made once, cleared before each use.
struct TReaders {
    TRVStyle style{nullptr};
    TTestRVData first{&style};
    TTestRVData second{&style};
    TTestRVData third{&style};

    TReaders()
    {
        style.SetSpacesInTab(2);
        while (style.TextStyles()->Count() < 2)
            style.TextStyles()->Add();
        style.TextStyles()->Items(1)->SetUnicode(true);
    }

    static TTestRVData& Fresh(TTestRVData& data)
    {
        data.Clear();
        data.Actions.clear();
        return data;
    }
};

// The checks of a padded input are the readers' alone: the writers see nothing
// there that the unpadded input did not show them.
enum class TDepth { Readers, Everything };

void CheckAnsi(TReaders& r, const std::string& bytes, TDepth depth)
{
    WriteScratch(bytes);
    TTestRVData& data = TReaders::Fresh(r.first);
    Check(data.LoadText(ScratchFile(), 0, 0, false));
    const std::vector<TLine> model = ModelLines(bytes, r.style.SpacesInTab());
    Check(static_cast<size_t>(data.GetItemCount()) == model.size());
    for (size_t i = 0; i < model.size(); ++i) {
        const int itemNo = static_cast<int>(i);
        Check(data.GetItemText(itemNo) == model[i].Text);
        Check(data.IsParaStart(itemNo));
        Check(data.GetItem(itemNo)->GetPageBreakBefore() == model[i].PageBreak);
    }
    if (depth == TDepth::Readers)
        return;
    TStringStream ansi;
    TStringStream wide;
    Check(data.SaveTextToStream("", ansi, 80, false, true, false));
    Check(data.SaveTextToStream("", wide, 80, false, false, true));
    Check(wide.DataString().size() % 2 == 0);

    // Into a Unicode style every line is converted.
    TTestRVData& unicode = TReaders::Fresh(r.second);
    Check(unicode.LoadText(ScratchFile(), 1, 0, true));
    Check(unicode.GetItemCount() == data.GetItemCount());
    for (int i = 0; i < unicode.GetItemCount(); ++i)
        Check(unicode.GetItemText(i).size() % 2 == 0);
}

void CheckUnicode(TReaders& r, const std::string& bytes, TDepth depth)
{
    WriteScratch(bytes);
    TTestRVData& fromFile = TReaders::Fresh(r.first);
    const bool loaded = fromFile.LoadTextW(ScratchFile(), 1, 0, false);
    Check(loaded == (bytes.size() % 2 == 0));
    if (!loaded) {
        Check(fromFile.GetItemCount() == 0);
        return;
    }
    const bool marked = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                              (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (!marked) {
        TTestRVData& fromMemory = TReaders::Fresh(r.second);
        fromMemory.AddTextNLW(bytes, 1, 0, 0, false);
        Check(Texts(fromMemory) == Texts(fromFile));
    }
    for (int i = 0; i < fromFile.GetItemCount(); ++i)
        Check(fromFile.GetItemText(i).size() % 2 == 0);
    if (depth == TDepth::Readers)
        return;

    TStringStream wide;
    Check(fromFile.SaveTextToStream("", wide, 80, false, true, true));
    TStringStream ansi;
    Check(fromFile.SaveTextToStream("", ansi, 80, false, true, false));
    // A document of no items (all form feeds) reads back as one empty line.
    if (fromFile.GetItemCount() == 0)
        return;
    WriteScratch("\xFF\xFE" + wide.DataString());
    TTestRVData& again = TReaders::Fresh(r.third);
    Check(again.LoadTextW(ScratchFile(), 1, 0, false));
    Check(Texts(again) == Texts(fromFile));
}

#ifdef KELVOR_FUZZ_REPLAY
constexpr uint32_t PaddedOneIn = 1;
constexpr TDepth PaddedDepth = TDepth::Everything;
#else
constexpr uint32_t PaddedOneIn = 64;
constexpr TDepth PaddedDepth = TDepth::Readers;
#endif

uint32_t Hash(const uint8_t* data, size_t size)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TReaders readers;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckAnsi(readers, bytes, TDepth::Everything);
    CheckUnicode(readers, bytes, TDepth::Everything);
    const uint32_t hash = Hash(data, size);
    if (hash % PaddedOneIn == 0) {
        // A long first line that ends a few bytes into the input.
        const size_t shift = hash / 64 % 8;
        CheckAnsi(readers, std::string(ChunkSize - 1 - shift, 'x') + bytes, PaddedDepth);
        std::string padW;
        while (padW.size() < ChunkSize - 2 - 2 * (shift / 2))
            padW += std::string("x\0", 2);
        CheckUnicode(readers, padW + bytes, PaddedDepth);
    }
    // The documents keep no more than an empty store between inputs.
    TReaders::Fresh(readers.first);
    TReaders::Fresh(readers.second);
    TReaders::Fresh(readers.third);
    ::unlink(ScratchFile().c_str());
    return 0;
}
