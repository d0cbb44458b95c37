// The document tests' root store: it keeps the RVF and RTF settings, warnings,
// image lists and style maps a viewer keeps, answers hyperlink targets,
// component text, extra RTF and HTML code, picture locations and missing
// pictures and controls, can be given a selection or a page to save, and logs
// control actions. Also a page background, the RVF tests' style sheet, the
// bytes of streams, an RVF record split into its lines, dumps of a store's
// items for comparisons, and the keys and values of an ini section.
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/crvdata.h"
#include "document/rvfmisc.h"
#include "document/rvmarker.h"
#include "document/rvstyle.h"
#include "platform/core/inifiles.h"
#include "platform/core/streams.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/imagelist.h"
#include "tests/support/streambytes.h"
#include "tests/support/testrvdata.h"

class TDocTestData : public TTestRVData {
public:
    explicit TDocTestData(TRVStyle* style = nullptr) : TTestRVData(style) {}
    ~TDocTestData() override { Clear(); }

    TRVFOptions GetRVFOptions() override { return RVFOptions; }
    void SetRVFOptions(TRVFOptions value) override { RVFOptions = value; }
    TRVRTFOptions GetRTFOptions() override { return RTFOptions; }
    void SetRTFOptions(TRVRTFOptions value) override { RTFOptions = value; }
    TRVFWarnings GetRVFWarnings() override { return Warnings; }
    void SetRVFWarnings(TRVFWarnings value) override { Warnings = value; }
    TRVFReaderStyleMode GetRVFTextStylesReadMode() override { return TextMode; }
    TRVFReaderStyleMode GetRVFParaStylesReadMode() override { return ParaMode; }
    TWinControl* GetParentControl() override { return ParentControl; }

    TCustomImageList* RVFImageListNeeded(int imageListTag) override
    {
        for (TCustomImageList* list : ImageLists)
            if (list->Tag() == imageListTag)
                return list;
        return nullptr;
    }
    AnsiString GetURL(int id) override
    {
        const auto it = URLs.find(id);
        return it != URLs.end() ? it->second : AnsiString();
    }
    AnsiString SaveComponentToFile(const AnsiString& path, TComponent* saveMe, TRVSaveFormat format) override
    {
        return ComponentText ? ComponentText(path, saveMe, format) : AnsiString();
    }
    TGraphic* RVFPictureNeeded(const AnsiString& name, const TRVTag& tag) override
    {
        return PictureNeeded ? PictureNeeded(name, tag) : nullptr;
    }
    TControl* RVFControlNeeded(const AnsiString& name, const TRVTag& tag) override
    {
        return ControlNeeded ? ControlNeeded(name, tag) : nullptr;
    }
    // Item -1 is the page background.
    void HTMLSaveImage(TCustomRVData*, int itemNo, const AnsiString&, TColor, AnsiString& location,
                       bool& doDefault) override
    {
        const auto it = HTMLLocations.find(itemNo);
        if (it != HTMLLocations.end()) {
            location = it->second;
            doDefault = false;
        }
    }
    AnsiString GetExtraRTFCode(TRVRTFSaveArea area, TObject*, int, int, bool inStyleSheet) override
    {
        return ExtraRTFCode ? ExtraRTFCode(area, inStyleSheet) : AnsiString();
    }
    AnsiString GetExtraHTMLCode(TRVHTMLSaveArea area, bool) override
    {
        const auto it = ExtraHTML.find(area);
        return it == ExtraHTML.end() ? AnsiString() : it->second;
    }
    void ControlAction(TRVControlAction action, int itemNo, TCustomRVItemInfo*) override
    {
        ControlActions.push_back({action, itemNo});
    }

    // The style maps live at the root for the whole read, as a viewer keeps
    // them, so that nested documents read inside see them.
    void InitStyleMappings(TRVIntegerList*& t, TRVIntegerList*& p, TRVIntegerList*& l) override
    {
        if (!KeepMaps) {
            TTestRVData::InitStyleMappings(t, p, l);
            return;
        }
        t = &Maps[0];
        p = &Maps[1];
        l = &Maps[2];
    }
    void DoneStyleMappings(TRVIntegerList* t, TRVIntegerList*, TRVIntegerList*) override
    {
        if (t == &Maps[0])
            for (TRVIntegerList& map : Maps)
                map.Clear();
    }

    // The selection (or page) after Select; the whole document otherwise.
    void RVFGetLimits(TRVFSaveScope scope, int& startItemNo, int& endItemNo, int& startOffs, int& endOffs,
                      TRVMultiDrawItemPart*& startPart, TRVMultiDrawItemPart*& endPart) override
    {
        TTestRVData::RVFGetLimits(scope, startItemNo, endItemNo, startOffs, endOffs, startPart, endPart);
        if (scope == rvfss_Full || !Limits.Set)
            return;
        startItemNo = Limits.StartItemNo;
        endItemNo = Limits.EndItemNo;
        startOffs = Limits.StartOffs;
        endOffs = Limits.EndOffs;
    }
    void Select(int startItemNo, int startOffs, int endItemNo, int endOffs)
    {
        Limits = {true, startItemNo, endItemNo, startOffs, endOffs};
    }

    struct TLimits {
        bool Set = false;
        int StartItemNo = 0, EndItemNo = 0, StartOffs = 0, EndOffs = 0;
    };

    TRVFOptions RVFOptions;
    TRVRTFOptions RTFOptions;
    TRVFWarnings Warnings;
    TRVFReaderStyleMode TextMode = rvf_sInsertMerge;
    TRVFReaderStyleMode ParaMode = rvf_sInsertMerge;
    TWinControl* ParentControl = nullptr;
    std::vector<TCustomImageList*> ImageLists;
    bool KeepMaps = false;
    TRVIntegerList Maps[3];
    TLimits Limits;
    std::map<int, AnsiString> URLs;
    std::map<int, AnsiString> HTMLLocations;
    std::map<TRVHTMLSaveArea, AnsiString> ExtraHTML;
    std::function<AnsiString(const AnsiString&, TComponent*, TRVSaveFormat)> ComponentText;
    std::function<TGraphic*(const AnsiString&, const TRVTag&)> PictureNeeded;
    std::function<TControl*(const AnsiString&, const TRVTag&)> ControlNeeded;
    std::function<AnsiString(TRVRTFSaveArea, bool)> ExtraRTFCode;
    std::vector<std::pair<TRVControlAction, int>> ControlActions;
};

// The RVF tests' store: styles are saved with the document, unknown ones read as style 0.
class TRVFTestData : public TDocTestData {
public:
    explicit TRVFTestData(TRVStyle* style = nullptr) : TDocTestData(style)
    {
        RVFOptions = {rvfoSaveTextStyles, rvfoSaveParaStyles, rvfoConvUnknownStylesToZero};
    }
};

// A page background as the view layer hands it over.
class TTestBackground : public TRVFBackground {
public:
    explicit TTestBackground(int style = 0, TGraphic* image = nullptr) : Style(style), Image(image) {}
    int GetRVFBackgroundStyle() const override { return Style; }
    void SetRVFBackgroundStyle(int value) override { Style = value; }
    TGraphic* GetRVFBackgroundImage() const override { return Image.get(); }
    void SetRVFBackgroundImage(TGraphic* value) override { Image.reset(value); }

    int Style;
    std::unique_ptr<TGraphic> Image;
};

// The default style sheet plus text style 6, Unicode ("Uni"), and list style 0
// with two decimal levels ("%0:s." and "%0:s.%1:s.").
inline std::unique_ptr<TRVStyle> MakeRVFStyle()
{
    auto style = std::make_unique<TRVStyle>(nullptr);
    style->SetName("RVStyle1");
    TFontInfo* uni = style->TextStyles()->Add();
    uni->SetStyleName("Uni");
    uni->SetUnicode(true);
    TRVListInfo* list = style->ListStyles()->Add();
    list->SetStyleName("Numbers");
    for (int i = 0; i < 2; ++i) {
        TRVListLevel* level = list->Levels()->Add();
        level->SetListType(rvlstDecimal);
        level->SetFormatString(i == 0 ? "%0:s." : "%0:s.%1:s.");
    }
    return style;
}

inline AnsiString SaveRVFBytes(TCustomRVData& data, TRVFSaveScope scope = rvfss_Full, TColor color = clNone,
                               TRVFBackground* background = nullptr, TRVLayoutInfo* layout = nullptr)
{
    TMemoryStream stream;
    EXPECT_TRUE(data.SaveRVFToStreamEx(stream, scope, color, background, layout));
    return StreamBytes(stream);
}

inline TMemoryStream& FillStream(TMemoryStream& stream, const AnsiString& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    return stream;
}

inline bool LoadRVFBytes(TCustomRVData& data, const AnsiString& bytes, TRVFBackground* background = nullptr,
                         TRVLayoutInfo* layout = nullptr)
{
    TMemoryStream stream;
    TColor color = clNone;
    return data.LoadRVFFromStream(FillStream(stream, bytes), color, background, layout);
}

inline bool InsertRVFBytes(TCustomRVData& data, const AnsiString& bytes, int index,
                           bool replaceStyles = false)
{
    TMemoryStream stream;
    TColor color = clNone;
    return data.InsertRVFFromStream(FillStream(stream, bytes), index, color, nullptr, nullptr, replaceStyles);
}

// The lines of an RVF record as a reader hands them to an item: the header
// line, then the data lines, the last one being a binary block when the
// header's read mode is 2.
struct TRVFRecord {
    AnsiString Header;
    std::vector<AnsiString> Lines;
};

inline TRVFRecord SplitRVFRecord(const AnsiString& bytes)
{
    TRVFRecord record;
    size_t pos = bytes.find("\r\n");
    record.Header = bytes.substr(0, pos);
    pos += 2;
    int lineCount = 0, readMode = 0;
    std::sscanf(record.Header.c_str(), "%*d %d %*s %*d %d", &lineCount, &readMode);
    for (int i = 0; i < lineCount; ++i) {
        if (readMode == 2 && i == lineCount - 1) {
            uint32_t size = 0;
            std::memcpy(&size, bytes.data() + pos, 4);
            record.Lines.push_back(bytes.substr(pos + 4, size));
            break;
        }
        const size_t end = bytes.find("\r\n", pos);
        record.Lines.push_back(bytes.substr(pos, end - pos));
        pos = end + 2;
    }
    return record;
}

// One line per item: style, paragraph, options, tag, text (hex for Unicode),
// checkpoint, and what the item holds of its own; then the pending checkpoint.
inline std::string DumpItems(TCustomRVData& data)
{
    auto tagText = [](const TRVTag& tag) {
        return tag.IsString() ? "s:" + std::string(tag.AsString()) : std::to_string(tag.AsInteger());
    };
    std::ostringstream out;
    for (int i = 0; i < data.GetItemCount(); ++i) {
        TCustomRVItemInfo* item = data.GetItem(i);
        const AnsiString& text = data.GetItemText(i);
        out << item->StyleNo << ' ' << item->ParaNo << ' ' << int(item->ItemOptions.Bits)
            << " tag=" << tagText(item->GetTag()) << " '"
            << (item->ItemOptions.Contains(rvioUnicode) ? RVEncodeString(text) : text) << "'";
        if (item->GetCheckpoint())
            out << " cp=" << item->GetCheckpoint()->Name << '/' << item->GetCheckpoint()->RaiseEvent << '/'
                << tagText(item->GetCheckpoint()->Tag);
        if (auto* marker = dynamic_cast<TRVMarkerItemInfo*>(item))
            out << " marker=" << marker->ListNo << '/' << marker->Level << '/' << marker->Counter << " '"
                << marker->DisplayString << "'";
        else if (auto* hot = dynamic_cast<TRVHotspotItemInfo*>(item))
            out << " hot=" << hot->ImageIndex << '/' << hot->HotImageIndex << '/' << hot->Spacing << '/'
                << hot->VShift << '/' << hot->DeleteProtect << '/'
                << (hot->ImageList ? hot->ImageList->Tag() : -1);
        else if (auto* bullet = dynamic_cast<TRVBulletItemInfo*>(item))
            out << " bullet=" << bullet->ImageIndex << '/' << bullet->Spacing << '/' << bullet->VShift << '/'
                << bullet->VShiftAbs << '/' << int(bullet->VAlign);
        else if (auto* brk = dynamic_cast<TRVBreakItemInfo*>(item))
            out << " break=" << int(brk->LineWidth) << '/' << int(brk->Style) << '/' << brk->Color;
        out << '\n';
    }
    if (data.NotAddedCP)
        out << "pending cp=" << data.NotAddedCP->Name << '\n';
    out << "cps=" << data.CPCount << '\n';
    return out.str();
}

// A store's items on one line: "P<para>:" before an item that starts a
// paragraph, "/<para>:" before one that starts a line inside it, "+" before
// one that continues a line ("+<para>:" when its paragraph style differs),
// each after "~" when a page break comes before the item; "{name}" for the item's
// checkpoint; the text ("u" before Unicode text, shown by its ASCII units) with "@<style>" when the style is
// not 0; other items by their kind ("<marker 1.>", "<break>"); a pending checkpoint last as " {name}".
inline std::string Shape(TCustomRVData& data)
{
    std::string out;
    for (int i = 0; i < data.GetItemCount(); ++i) {
        TCustomRVItemInfo* item = data.GetItem(i);
        out += i ? " " : "";
        const std::string para = std::to_string(item->ParaNo) + ":";
        if (item->GetPageBreakBefore())
            out += "~";
        if (data.IsParaStart(i))
            out += "P" + para;
        else if (data.IsFromNewLine(i))
            out += "/" + para;
        else
            out += i > 0 && data.GetItem(i - 1)->ParaNo != item->ParaNo ? "+" + para : "+";
        if (item->GetCheckpoint())
            out += "{" + std::string(item->GetCheckpoint()->Name) + "}";
        const AnsiString& text = data.GetItemText(i);
        switch (item->StyleNo) {
        case rvsListMarker:
            out += "<marker " + std::string(static_cast<TRVMarkerItemInfo*>(item)->DisplayString) + ">";
            break;
        case rvsBreak:
            out += "<break>";
            break;
        case rvsPicture:
            out += "<picture>";
            break;
        case rvsHotPicture:
            out += "<hotpicture>";
            break;
        case rvsBullet:
            out += "<bullet>";
            break;
        case rvsHotspot:
            out += "<hotspot>";
            break;
        case rvsComponent:
            out += "<control>";
            break;
        default:
            if (item->StyleNo < 0) {
                out += "<" + std::to_string(item->StyleNo) + ">";
            } else if (item->ItemOptions.Contains(rvioUnicode)) {
                out += "u";
                for (size_t j = 0; j + 1 < text.size(); j += 2)
                    out += text[j + 1] == 0 && text[j] > 0 ? text[j] : '?';
            } else {
                out += text;
            }
            if (item->StyleNo > 0)
                out += "@" + std::to_string(item->StyleNo);
        }
    }
    if (data.NotAddedCP)
        out += " {" + std::string(data.NotAddedCP->Name) + "}";
    return out;
}

using KeyValues = std::vector<std::pair<AnsiString, AnsiString>>;

// The keys of an ini section in file order, with their values.
inline KeyValues SectionValues(TCustomIniFile& ini, const AnsiString& section)
{
    TStringList keys;
    ini.ReadSection(section, keys);
    KeyValues result;
    for (int i = 0; i < keys.Count(); ++i)
        result.emplace_back(keys[i], ini.ReadString(section, keys[i], "?"));
    return result;
}

inline std::map<AnsiString, AnsiString> SectionMap(TCustomIniFile& ini, const AnsiString& section)
{
    std::map<AnsiString, AnsiString> result;
    for (const auto& kv : SectionValues(ini, section))
        result[kv.first] = kv.second;
    return result;
}
