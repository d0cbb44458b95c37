// A concrete item store for tests: a root document data that answers the
// settings from its own fields, keeps a markers list, and logs the item
// actions it is told of.
#pragma once

#include <memory>
#include <vector>

#include "document/crvdata.h"
#include "document/rvmarker.h"

class TTestRVData : public TCustomRVData {
public:
    explicit TTestRVData(TRVStyle* AStyle = nullptr) : Style(AStyle) {}
    ~TTestRVData() override { Clear(); }

    TRVStyle* GetRVStyle() override { return Style; }
    TRVOptions GetOptions() override { return Options; }
    void SetOptions(TRVOptions Value) override { Options = Value; }
    TRVBiDiMode GetBiDiMode() override { return BiDiMode; }
    AnsiString GetDelimiters() override { return Delimiters; }

    TRVMarkerList* GetMarkers(bool AllowCreate) override
    {
        if (!Markers && AllowCreate)
            Markers = std::make_unique<TRVMarkerList>();
        return Markers.get();
    }
    void DestroyMarkers() override { Markers.reset(); }

    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

    void ItemAction(TRVItemAction Action, TCustomRVItemInfo*, AnsiString& Text, TCustomRVData*) override
    {
        Actions.push_back({Action, Text});
    }

    struct TLoggedAction {
        TRVItemAction Action;
        AnsiString Text;
    };

    TRVStyle* Style;
    TRVOptions Options;
    TRVBiDiMode BiDiMode = rvbdUnspecified;
    AnsiString Delimiters = " .;,:(){}\"/\\";
    std::unique_ptr<TRVMarkerList> Markers;
    std::vector<TLoggedAction> Actions;
};

// A nested store (a table cell, say) whose root is another store: every
// setting and the style sheet come from there.
class TTestSubRVData : public TCustomRVData {
public:
    explicit TTestSubRVData(TCustomRVData* AParent) : Parent(AParent) {}
    ~TTestSubRVData() override { Clear(); }

    TCustomRVData* GetParentData() override { return Parent; }
    TCustomRVData* GetRootData() override { return Parent->GetRootData(); }
    TCustomRVData* GetAbsoluteParentData() override { return Parent; }
    TCustomRVData* GetAbsoluteRootData() override { return Parent->GetAbsoluteRootData(); }

    AnsiString GetURL(int) override { return AnsiString(); }
    void ControlAction2(TRVControlAction, int, TControl*&) override {}
    void HTMLSaveImage(TCustomRVData*, int, const AnsiString&, TColor, AnsiString&, bool&) override {}

    TCustomRVData* Parent;
};
