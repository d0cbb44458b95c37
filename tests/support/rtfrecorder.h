// A listener for the RTF parser's tests: records every event as a short line
// and every text run with the properties current when it fired.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "rtf/rvrtfreader.h"

// A stream that can only be read forward, as a pipe.
class TForwardOnlyStream : public TStream {
public:
    explicit TForwardOnlyStream(std::string data) : FData(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(FData.size() - FPos));
        std::copy_n(FData.data() + FPos, n, static_cast<char*>(buffer));
        FPos += static_cast<size_t>(n);
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { throw EStreamError("Stream cannot seek"); }
    int64_t Size() override { throw EStreamError("Stream has no size"); }

private:
    std::string FData;
    size_t FPos = 0;
};

// Which listeners are set: each changes what the parser reads.
struct TRTFListeners {
    bool Unicode = true;
    bool Pictures = false;
    bool HeaderFooter = false;
    bool PageBreaks = false;
    bool Markers = false;
};

struct TRTFRun {
    std::string Text; // UTF-8
    TRVRTFPosition Position;
    TRVRTFCharProperties Chars;
    TRVRTFParaProperties Para;
};

struct TRTFPictureSeen {
    TRVRTFPictureType Type;
    bool HasGraphic;
    int Width, Height;
    int SuggestedWidth, SuggestedHeight;
    int64_t DataSize;
    std::string DataStart; // the first 14 bytes of the data
};

class TRTFRecorder {
public:
    explicit TRTFRecorder(TRTFListeners listeners = TRTFListeners()) : Reader(nullptr)
    {
        Reader.OnNewText = [this](TRVRTFReader* r, const AnsiString& text, TRVRTFPosition pos) {
            AddRun(r, Utf8(r->AnsiToUnicode(text, r->CodePage())), pos);
        };
        if (listeners.Unicode)
            Reader.OnNewUnicodeText = [this](TRVRTFReader* r, const WideString& text, TRVRTFPosition pos) {
                AddRun(r, Utf8(text), pos);
            };
        Reader.OnTable = [this](TRVRTFReader*, TRVRTFTableEventKind kind) {
            static const char* names[] = {"Start", "End", "Row", "Cell"};
            Events.push_back(names[kind]);
        };
        if (listeners.Pictures)
            Reader.OnNewPicture = [this](TRVRTFReader*, TRVRTFPicture* picture,
                                         std::unique_ptr<TGraphic> graphic, TRVRTFPosition) {
                Pictures.push_back({picture ? picture->PicType : rtf_pict_EMF, graphic != nullptr,
                                    graphic ? graphic->Width() : 0, graphic ? graphic->Height() : 0,
                                    picture ? picture->SuggestedWidth : 0,
                                    picture ? picture->SuggestedHeight : 0,
                                    picture ? picture->Data.Size() : -1, Start(picture)});
                Events.push_back("Picture");
            };
        if (listeners.HeaderFooter)
            Reader.OnHeaderFooter = [this](TRVRTFReader*, TRVRTFHeaderFooterType type, bool starting) {
                Events.push_back(std::string(type == rtf_hf_Header ? "Header" : "Footer") +
                                 (starting ? "+" : "-"));
            };
        if (listeners.PageBreaks)
            Reader.OnRequiredPageBreak = [this](TRVRTFReader*) { Events.push_back("Page"); };
        if (listeners.Markers)
            Reader.OnUpdateMarker = [this](TRVRTFReader*) { Events.push_back("Marker"); };
    }

    TRVRTFErrorCode Read(const std::string& rtf)
    {
        TForwardOnlyStream stream(rtf);
        return Reader.ReadFromStream(stream);
    }

    // Every text run's text, joined.
    std::string Text() const
    {
        std::string all;
        for (const TRTFRun& run : Runs)
            all += run.Text;
        return all;
    }

    static std::string Utf8(const WideString& w)
    {
        std::string out;
        for (char16_t u : w) {
            if (u < 0x80) {
                out += static_cast<char>(u);
            } else if (u < 0x800) {
                out += static_cast<char>(0xC0 | (u >> 6));
                out += static_cast<char>(0x80 | (u & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (u >> 12));
                out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (u & 0x3F));
            }
        }
        return out;
    }

    TRVRTFReader Reader;
    std::vector<std::string> Events; // "T<position>:<text>", table steps, "Picture", ...
    std::vector<TRTFRun> Runs;
    std::vector<TRTFPictureSeen> Pictures;

private:
    static std::string Start(TRVRTFPicture* picture)
    {
        if (!picture)
            return std::string();
        std::string bytes(static_cast<size_t>(std::min<int64_t>(picture->Data.Size(), 14)), '\0');
        std::copy_n(static_cast<const char*>(picture->Data.Memory()), bytes.size(), bytes.begin());
        return bytes;
    }
    void AddRun(TRVRTFReader* r, const std::string& text, TRVRTFPosition pos)
    {
        static const char positions[] = {'C', 'L', 'P'};
        Runs.push_back({text, pos, r->State().CharProps, r->State().ParaProps});
        Events.push_back(std::string("T") + positions[pos] + ":" + text);
    }
};
