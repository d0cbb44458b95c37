// The metafile cases of the hostile-input benchmark: metafiles of at most 64 KiB
// that ask for much drawing, in RTF and RVF, each run in a process of its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/hostile_bench.h"
#include "document/rvitem_pictures.h"
#include "document/rvrtfprops.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/metafile.h"
#include "rtf/rvrtfimport.h"
#include "tests/support/metafilebuilder.h"
#include "tests/support/testtable.h"

namespace {

// An RVF of Count pictures of the hostile kind, Bytes of records each.
std::string HostileRvf(metafilebuilder::THostileShape shape, bool enhanced, int count, size_t bytes)
{
    using namespace metafilebuilder;
    TTableDoc doc;
    for (int i = 0; i < count; ++i) {
        std::string file =
            enhanced ? HostileEmf(shape, HostileSide, bytes) : HostileWmf(shape, HostileSide, bytes);
        if (!enhanced) {
            TWmfBuilder placeable(HostileSide, HostileSide, 96, 0);
            file = placeable.Bytes(false).substr(0, 22) + file;
        }
        auto* metafile = new TMetafile;
        TStringStream in(file);
        metafile->LoadFromStream(in);
        doc.Data.AddItem(AnsiString(), new TRVGraphicItemInfo(&doc.Data, metafile, rvvaBaseline));
    }
    doc.Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody, rvfoSaveBinary};
    TMemoryStream out;
    doc.Data.SaveRVFToStream(out, false, clNone, nullptr, nullptr);
    return std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

} // namespace

namespace hostile {

std::vector<TMetafileCase> MetafileCases()
{
    using namespace metafilebuilder;
    using S = THostileShape;
    return {
        {"WMF of full-frame rectangles, hex", HostileWmfRtf(S::Rectangles, false), false},
        {"WMF of full-frame rectangles, \\bin", HostileWmfRtf(S::Rectangles, true), false},
        {"WMF of full-frame ellipses", HostileWmfRtf(S::Ellipses, false), false},
        {"WMF polyline with a pen as wide as the frame", HostileWmfRtf(S::WidePolyline, true), false},
        {"WMF star polygon", HostileWmfRtf(S::StarPolygon, true), false},
        {"WMF of 100x100 shown at 32767x32767", HugeDisplayRtf(false), false},
        {"WMF of full-frame pattern inversions", HostileWmfRtf(S::PatternInversions, true), false},
        {"WMF of full-frame flood fills", HostileWmfRtf(S::FloodFills, true), false},
        {"WMF of clip regions cut again and again", HostileWmfRtf(S::ClipRegions, true), false},
        {"WMF of text in fonts of hundreds of sizes and weights", HostileWmfRtf(S::TextSizes, true), false},
        {"EMF of full-frame rectangles", HostileEmfRtf(S::Rectangles, true), false},
        {"EMF of full-frame ellipses", HostileEmfRtf(S::Ellipses, false), false},
        {"EMF polyline with a pen as wide as the frame", HostileEmfRtf(S::WidePolyline, true), false},
        {"EMF star polygon", HostileEmfRtf(S::StarPolygon, true), false},
        {"EMF of 100x100 shown at 32767x32767", HugeDisplayRtf(true), false},
        {"EMF of full-frame pattern inversions", HostileEmfRtf(S::PatternInversions, true), false},
        {"EMF of full-frame flood fills", HostileEmfRtf(S::FloodFills, true), false},
        {"EMF of clip regions cut again and again", HostileEmfRtf(S::ClipRegions, true), false},
        {"WMF of pattern brushes of bitmaps that claim 4096x4096", HostileWmfRtf(S::PatternBrushes, true),
         false},
        {"EMF of pattern brushes of bitmaps that claim 4096x4096", HostileEmfRtf(S::PatternBrushes, true),
         false},
        {"RVF of 4 WMFs of full-frame ellipses", HostileRvf(S::Ellipses, false, 4, 15000), true},
        {"RVF of 4 EMFs of full-frame ellipses", HostileRvf(S::Ellipses, true, 4, 15000), true},
    };
}

void RunMetafileCase(const TMetafileCase& c, const std::string& folder)
{
    RV_RegisterRTFImport();
    TTableDoc doc;
    TStringStream in(c.Data);
    if (c.Rvf) {
        TColor color = clNone;
        doc.Data.LoadRVFFromStream(in, color, nullptr, nullptr);
    } else {
        TRVRTFReaderProperties props;
        props.ReadFromStream(in, &doc.Data);
    }
    doc.Format();
    TBitmap screen;
    screen.SetSize(400, 600);
    for (int i = 0; i < 2; ++i)
        doc.Data.PaintTo(screen.Canvas(), Rect(0, 0, 400, 600));
    doc.Data.RVFOptions = TRVFOptions{rvfoSavePicturesBody};
    SaveRVF(doc, false);
    SaveRVF(doc, true);
    SaveRTF(doc);
    TMemoryStream html, text;
    int counter = 0;
    doc.Data.SaveHTMLToStream(html, folder + "/", "t", "img", TRVSaveOptions(), clWhite, counter, 0, 0, 0, 0,
                              nullptr, nullptr);
    doc.Data.SaveTextToStream("", text, 80, false, false, false);
}

void MetafileCosts(const char* self, double& worstSeconds, double& worstMB)
{
    worstSeconds = worstMB = 0;
    const std::vector<TMetafileCase> cases = MetafileCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto start = Clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            execl(self, self, "metafile-case", std::to_string(i).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double mb = usage.ru_maxrss / 1024.0;
        std::printf("metafile, %s (%zu bytes): %.2f s, peak %.0f MB%s\n", cases[i].Name, cases[i].Data.size(),
                    seconds, mb, WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : " (failed)");
        std::fflush(stdout);
        worstSeconds = std::max(worstSeconds, seconds);
        worstMB = std::max(worstMB, mb);
    }
}

} // namespace hostile
