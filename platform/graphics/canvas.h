// TCanvas: the drawing surface the library paints and measures with, and the
// platform's text functions as its members. Backends: the Qt one (qtcanvas.h) and
// the recording one for tests (recordingcanvas.h).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/core/object.h"
#include "platform/graphics/gdiobjects.h"

class TGraphic;
struct TPixelBuffer;

// ExtTextOut options.
enum : unsigned { ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_RTLREADING = 0x80 };
// Text alignment (SetTextAlign). TA_UPDATECP is not supported and is ignored.
enum : unsigned {
    TA_NOUPDATECP = 0,
    TA_UPDATECP = 1,
    TA_LEFT = 0,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_TOP = 0,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_RTLREADING = 256,
};
// GetCharacterPlacement flags (accepted; the placement always reorders) and character classes.
enum : unsigned {
    GCP_DBCS = 0x1,
    GCP_REORDER = 0x2,
    GCP_USEKERNING = 0x8,
    GCP_GLYPHSHAPE = 0x10,
    GCP_DIACRITIC = 0x100,
    GCP_MAXEXTENT = 0x100000,
};
enum : char {
    GCPCLASS_LATIN = 1,
    GCPCLASS_HEBREW = 2,
    GCPCLASS_ARABIC = 2,
    GCPCLASS_NEUTRAL = 3,
    GCPCLASS_LOCALNUMBER = 4,
    GCPCLASS_LATINNUMBER = 5,
    GCPCLASS_LATINNUMERICTERMINATOR = 6,
    GCPCLASS_LATINNUMERICSEPARATOR = 7,
    GCPCLASS_NUMERICSEPARATOR = 8,
};
// DrawText formats.
enum : unsigned {
    DT_TOP = 0,
    DT_LEFT = 0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_EDITCONTROL = 0x2000,
};
// Mapping modes (SetMapMode): logical units are device pixels, or the window
// extent is mapped onto the viewport extent.
enum : int { MM_TEXT = 1, MM_ANISOTROPIC = 8 };
// GetDeviceCaps indexes.
enum : int {
    HORZSIZE = 4,
    VERTSIZE = 6,
    HORZRES = 8,
    VERTRES = 10,
    BITSPIXEL = 12,
    PLANES = 14,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    PHYSICALWIDTH = 110,
    PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113,
};

// Metrics of the canvas's current font, in device pixels.
struct TTextMetric {
    int tmHeight = 0; // tmAscent + tmDescent
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0; // tmHeight - the character (em) height
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmWeight = 0;
    int tmOverhang = 0;
    int tmDigitizedAspectX = 0;
    int tmDigitizedAspectY = 0;
    WideChar tmFirstChar = 0x20;
    WideChar tmLastChar = 0xFFFC;
    WideChar tmDefaultChar = 0x3F;
    WideChar tmBreakChar = 0x20;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0;
    uint8_t tmCharSet = 0;
};

// The outline metrics the system reads: positions are relative to the baseline,
// positive upward (an underline below the baseline has a negative position).
struct TOutlineTextMetric {
    TTextMetric otmTextMetrics;
    int otmAscent = 0;
    int otmDescent = 0;
    unsigned otmEMSquare = 0;
    int otmsStrikeoutSize = 0;
    int otmsStrikeoutPosition = 0;
    int otmsUnderscoreSize = 0;
    int otmsUnderscorePosition = 0;
};

// Results of GetCharacterPlacement; every array is optional and, when given, holds
// nGlyphs entries (the character count of the text).
struct TGCPResults {
    unsigned* lpOrder = nullptr; // [logical index] -> visual position
    int* lpDx = nullptr;         // [visual position] -> advance of the character shown there
    int* lpCaretPos = nullptr;   // [logical index] -> x of the character's leading edge
    char* lpClass = nullptr;     // [logical index] -> GCPCLASS_...
    // [logical index] -> the embedding level the bidirectional algorithm gives
    // the character (odd: shown right to left); not in the platform's record.
    uint8_t* lpLevel = nullptr;
    unsigned nGlyphs = 0;
    int nMaxFit = 0; // out: characters placed
};

// One text output as it reaches a backend, in device coordinates.
struct TTextRun {
    int X = 0; // left of the text, top of its cells
    int Y = 0;
    // Under a scaling mapping mode: the scale from the run's own lengths
    // (Width, Ascent, Height, Advances, cluster offsets, the font, all in
    // logical units) to the device; X, Y and Rect are device coordinates.
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    int Width = 0;        // sum of Advances
    int Ascent = 0;       // of the font, for the baseline
    int Height = 0;       // tmHeight of the font
    unsigned Options = 0; // ETO_... (ETO_CLIPPED and ETO_OPAQUE refer to Rect)
    TRect Rect;           // the ExtTextOut rectangle, device coordinates
    bool HasRect = false;
    bool RightToLeft = false;  // the reading direction asked for
    WideString Text;           // logical order
    std::vector<int> Advances; // per code unit of Text, logical order
    // Clusters in visual order: Start/Count in Text, X offset from X, odd level (mirrored).
    struct TCluster {
        int Start;
        int Count;
        int Offset;
        bool Mirrored;
    };
    std::vector<TCluster> Clusters;
    AnsiString Ansi; // the bytes given to an ANSI call
    bool FromAnsi = false;
    int PrefixUnit = -1; // DrawText: the unit whose character is underlined ('&'), or -1
};

// The abstract canvas. It owns its Font, Pen and Brush; the Set... calls assign
// into them. Coordinates given to it are logical; the device point is
// logical - window origin + viewport origin (MM_TEXT), or, in MM_ANISOTROPIC,
// (logical - window origin) * viewport extent / window extent + viewport
// origin, rounded (previews draw a printer's page scaled this way). Text is
// measured in logical units and drawn scaled. The clip region is a rectangle
// in device coordinates (none: the whole device). SaveDC/RestoreDC save and
// restore the mapping mode, the extents, the origins, the clip, the text
// alignment and the character extra; the Font, Pen and Brush objects are the
// canvas's own state and are not part of it.
//
// Text. The text functions are canvas members named after the platform's
// (TextOutA/TextOutW, ExtTextOutA/W, GetTextExtentPoint32A/W, GetTextExtentExPointA/W,
// GetCharacterPlacementA/W, DrawTextA/W, ...). A character is a code point with the
// combining marks that follow it; every character has an integer advance in the
// current font, the advance plus the character extra is its width, and a text is as
// wide as the sum of its characters' widths: no kerning, no ligatures between
// characters, so that the extents of prefixes are the positions at which the
// characters are drawn. A word of a script whose letters join (Arabic, Syriac,
// N'Ko) is shaped as a whole where the backend can: its clusters (joined
// letters, ligatures) take the places of characters, each with its integer
// advance, and a cluster's later units add 0. In wide text a character's
// advance belongs to its first code unit (the others add 0). ANSI text is converted through the code page of
// the font's character set (CharsetToCodePage); in a multi-byte code page the
// per-byte results of a character report where it starts on every byte but its
// last, which reports where it ends, and a fit never ends inside a character.
// Text cells are painted opaque, in the brush colour, when the brush is solid
// (the class library's opaque background mode), else the text is transparent.
// Mixed-direction text is reordered for display (Unicode bidirectional algorithm);
// the base direction is right to left under TA_RTLREADING or ETO_RTLREADING.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    const char* ClassName() const override { return "TCanvas"; }

    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetFont(const TFont* value) { FFont->Assign(value); }
    void SetPen(const TPen* value) { FPen->Assign(value); }
    void SetBrush(const TBrush* value) { FBrush->Assign(value); }

    // ---- Device
    // True for a window's canvas: it draws into the window's own off-screen
    // image, which reaches the screen only when the paint has ended, so that
    // painting straight on it never shows a half-drawn state.
    bool DrawsOffscreen() const { return FDrawsOffscreen; }
    void SetDrawsOffscreen(bool value) { FDrawsOffscreen = value; }
    int PixelsPerInchX() const { return DeviceCaps(LOGPIXELSX); }
    int PixelsPerInchY() const { return DeviceCaps(LOGPIXELSY); }
    virtual int DeviceCaps(int index) const = 0;

    // ---- Origins, clipping, saved states
    TPoint WindowOrg() const { return FWindowOrg; }
    void SetWindowOrgEx(int x, int y, TPoint* old = nullptr);
    TPoint ViewportOrg() const { return FViewportOrg; }
    void SetViewportOrgEx(int x, int y, TPoint* old = nullptr);
    int GetMapMode() const { return FMapMode; }
    // MM_TEXT or MM_ANISOTROPIC (another value is refused: 0); the previous mode.
    int SetMapMode(int mode);
    TSize WindowExt() const { return FWindowExt; }
    TSize ViewportExt() const { return FViewportExt; }
    // The extents count in MM_ANISOTROPIC only; false in MM_TEXT or for a zero extent.
    bool SetWindowExtEx(int x, int y, TSize* old = nullptr);
    bool SetViewportExtEx(int x, int y, TSize* old = nullptr);
    // The clip box in logical coordinates (the device bounds when nothing clips).
    TRect ClipRect() const;
    // A rectangle in logical coordinates as it lies on the device.
    TRect DeviceRect(const TRect& r) const { return ToDevice(r); }
    // Narrows the clip to the rectangle (logical coordinates).
    void IntersectClipRect(int left, int top, int right, int bottom);
    // Sets the clip to the rectangle (logical), or removes it when Rect is null.
    void SelectClipRect(const TRect* rect);
    // 1 for the first saved state, 2 for the next...
    int SaveDC();
    // A positive Level returns to that state (dropping those saved after it); a
    // negative one counts back from the last (-1: the last). False for a level not saved.
    bool RestoreDC(int level);

    // ---- Lines and shapes (Windows rules: a line leaves out its last pixel; a
    // rectangle covers [Left, Right) x [Top, Bottom) with its outline, the brush filling inside)
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& p) { FPenPos = p; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points); // outlined with the pen, filled with the brush
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2); // inside the rectangle
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);      // the brush, no outline
    void FrameRect(const TRect& r);     // a 1-pixel frame in the brush colour
    void DrawFocusRect(const TRect& r); // a dotted frame inverting what is there

    // ---- Pictures
    void Draw(int x, int y, TGraphic* graphic); // at its own size
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Source of Pixels drawn scaled into Dest, blended by its alpha.
    void DrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source);
    // Source's pixels in SourceRect (its logical coordinates) copied into Dest, scaled.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);

    // ---- Text, class library style (ANSI text in the font's code page)
    void TextOut(int x, int y, const AnsiString& text); // moves the pen position to its end
    void TextRect(const TRect& rect, int x, int y, const AnsiString& text); // clipped to Rect
    TSize TextExtent(const AnsiString& text);
    int TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
    int TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

    // ---- Text, platform style
    bool TextOutA(int x, int y, const char* str, int count);
    bool TextOutW(int x, int y, const WideChar* str, int count);
    // Dx (optional) gives each character's advance, per byte or code unit as the extents report them.
    bool ExtTextOutA(int x, int y, unsigned options, const TRect* rect, const char* str, int count,
                     const int* dx);
    bool ExtTextOutW(int x, int y, unsigned options, const TRect* rect, const WideChar* str, int count,
                     const int* dx);
    bool GetTextExtentPoint32A(const char* str, int count, TSize& size);
    bool GetTextExtentPoint32W(const WideChar* str, int count, TSize& size);
    // Fit (optional): how many leading bytes/units fit in MaxExtent; Dx (optional,
    // Count entries): the extent of every prefix.
    bool GetTextExtentExPointA(const char* str, int count, int maxExtent, int* fit, int* dx, TSize& size);
    bool GetTextExtentExPointW(const WideChar* str, int count, int maxExtent, int* fit, int* dx, TSize& size);
    // For a caller that measures many parts of one text: Dx (Count entries) the
    // extent of every prefix, as GetTextExtentExPoint gives it, and Starts (Count
    // + 1 entries) 1 where a character begins (a code point with the combining
    // marks after it; in ANSI text also a whole character of the code page), at
    // 0 and at Count included. A part that begins and ends where characters
    // begin measures on its own the difference of the two prefix extents.
    bool GetTextPrefixExtentsA(const char* str, int count, std::vector<int>& dx, std::vector<uint8_t>& starts,
                               TSize& size);
    bool GetTextPrefixExtentsW(const WideChar* str, int count, std::vector<int>& dx,
                               std::vector<uint8_t>& starts, TSize& size);
    // Has the font meet the characters of Str (bytes in its code page) one at
    // a time (a character with the combining marks after it), each measured
    // as measuring the text measures it, so that measuring the text later
    // looks for no font. Before each character with a code point the font
    // has not met yet, asks Stop, and ends when it answers true; answers how
    // many leading bytes were met (whole characters). A character of a
    // script new to the process may take far longer than a known one (its
    // fallback fonts are looked for and loaded): a caller that must not be
    // held long meets text this way before measuring or laying it out.
    int MeetCharactersA(const char* str, int count, const std::function<bool()>& stop);
    // Whether the text holds characters that read right to left, so that the
    // bidirectional algorithm reorders it when it is drawn (ANSI text read
    // through the font's code page).
    bool HasRightToLeftW(const WideChar* str, int count) const;
    bool HasRightToLeftA(const char* str, int count);
    bool GetTextMetrics(TTextMetric& metrics);
    bool GetOutlineTextMetrics(TOutlineTextMetric& metrics);
    int GetTextCharacterExtra() const { return FCharExtra; }
    int SetTextCharacterExtra(int extra); // returns the previous extra
    unsigned GetTextAlign() const { return FTextAlign; }
    unsigned SetTextAlign(unsigned align); // returns the previous alignment
    // Visual order, advances, caret positions and classes of a text (one entry per
    // byte for ANSI text, per code unit for wide text). Returns the size of the text
    // (width in the low 16 bits, height in the high 16) or 0 on failure (bad arguments).
    unsigned GetCharacterPlacementW(const WideChar* str, int count, int maxExtent, TGCPResults& results,
                                    unsigned flags);
    unsigned GetCharacterPlacementA(const char* str, int count, int maxExtent, TGCPResults& results,
                                    unsigned flags);
    // Text in a rectangle: lines split at CR/LF, words wrapped with DT_WORDBREAK (a
    // word longer than a line is split only with DT_EDITCONTROL), DT_LEFT/CENTER/RIGHT,
    // DT_VCENTER/BOTTOM with DT_SINGLELINE, '&' marks the next character as underlined
    // unless DT_NOPREFIX ("&&" is one '&'), clipped to the rectangle unless DT_NOCLIP.
    // DT_CALCRECT only sets Rect.Right/Bottom to what the text needs. Returns the text height.
    int DrawTextA(const char* str, int count, TRect& rect, unsigned format);
    int DrawTextW(const WideChar* str, int count, TRect& rect, unsigned format);

    // The code page ANSI text goes through with the current font.
    unsigned FontCodePage() const { return CharsetToCodePage(FFont->Charset()); }

    // ---- Drawing notifications (each when set, once per call, after it)
    // OnChange: after a drawing with the class library's methods (LineTo,
    // Polyline, Polygon, Rectangle, Ellipse, FillRect, FrameRect,
    // DrawFocusRect, Draw, StretchDraw, CopyRect, TextOut, TextRect), as the
    // class library raises it. OnDrawn: after every drawing, the platform-style
    // functions (TextOutA/W, ExtTextOutA/W, DrawTextA/W) and DrawPixels included.
    TNotifyEvent OnChange;
    TNotifyEvent OnDrawn;

protected:
    // Whether the mapping scales (MM_ANISOTROPIC with extents that differ).
    bool Scaled() const;
    // The pen's width in device pixels: a wide pen's logical width scaled as
    // the mapping scales coordinates (the mean of the two axes), never below
    // one pixel; widths 0 and 1 stay one-pixel lines.
    int DevicePenWidth() const;
    TPoint ToDevice(const TPoint& p) const;
    TRect ToDevice(const TRect& r) const;
    std::vector<TPoint> ToDevice(const std::vector<TPoint>& points) const;
    // The clip in device coordinates, always within DeviceBounds().
    TRect DeviceClip() const { return FHasClip ? FClip : DeviceBounds(); }
    bool HasClip() const { return FHasClip; }

    // ---- What a backend provides. Coordinates are device coordinates.
    virtual TRect DeviceBounds() const = 0;
    // The advance of one character (Count code units) in the current font, without the extra.
    virtual int CharAdvance(const WideChar* Char, int count) = 0;
    // How many leading code units of Str are characters (a code point and its
    // combining marks) whose code points the font has met: CharAdvance of
    // them looks for no font; a canvas that cannot tell answers 0.
    virtual int KnownCharacters(const WideChar* str, int count);
    // How many leading code units of Str (none a surrogate) the font has met
    // each on its own, in any character: a canvas that cannot tell answers 0.
    virtual int KnownUnits(const WideChar* str, int count);
    // The advances of Count characters of one code unit each (no surrogates, no
    // combining marks): CharAdvance of each, which a canvas may answer faster.
    virtual void UnitAdvances(const WideChar* str, int count, int* advances);
    // The advances of the 128 ASCII characters in the current font (as
    // CharAdvance gives them), when the backend keeps them at hand; null
    // makes ASCII text ask UnitAdvances.
    virtual const int* AsciiAdvances() { return nullptr; }
    // The one advance that every printable ASCII character (0x20 to 0x7E) has
    // in the current font, as AsciiAdvances gives them, when they all have the
    // same (a fixed-pitch font); -1 when they differ or the backend does not
    // keep them at hand.
    virtual int PrintableAsciiAdvance() { return -1; }
    // Shapes Count code units of one joining script (Arabic, Syriac, N'Ko) as one
    // word: Advances gets the advance of each cluster (a letter in its joined
    // form, a ligature, a letter with its marks) on the cluster's first unit and
    // 0 on the others, Starts 1 on each cluster's first unit. False (the
    // default): the letters keep their own advances and isolated forms.
    virtual bool ShapeJoiningText(const WideChar* str, int count, int* advances, uint8_t* starts);
    virtual void FontMetrics(TOutlineTextMetric& metrics) = 0;
    virtual void DoLine(const TPoint& from, const TPoint& to) = 0;
    virtual void DoPolyline(const std::vector<TPoint>& points) = 0;
    virtual void DoPolygon(const std::vector<TPoint>& points) = 0;
    virtual void DoRectangle(const TRect& r) = 0;
    virtual void DoEllipse(const TRect& r) = 0;
    virtual void DoFillRect(const TRect& r) = 0;
    virtual void DoFrameRect(const TRect& r) = 0;
    virtual void DoFocusRect(const TRect& r) = 0;
    virtual void DoTextRun(const TTextRun& run) = 0;
    virtual void DoDrawPixels(const TRect& dest, const TPixelBuffer& pixels, const TRect& source) = 0;
    // SourceRect is in Source's device coordinates.
    virtual void DoCopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) = 0;
    // Draw and StretchDraw pass through here (the recording canvas notes the picture).
    virtual void DoDrawGraphic(const TRect& rect, TGraphic* graphic);

private:
    struct TSavedState;
    // Marks a drawing that is made of other drawing calls, so that only the
    // outermost one notifies.
    struct TDrawScope {
        explicit TDrawScope(TCanvas& canvas) : FCanvas(canvas) { ++FCanvas.FDrawDepth; }
        ~TDrawScope() { --FCanvas.FDrawDepth; }
        TDrawScope(const TDrawScope&) = delete;
        TDrawScope& operator=(const TDrawScope&) = delete;
        TCanvas& FCanvas;
    };
    // The notifications after a drawing (ClassMethod: OnChange too), unless inside another.
    void Drawn(bool classMethod);
    // ANSI text converted for measuring and drawing.
    struct TAnsiText {
        WideString Wide;
        std::vector<int> ByteUnit;     // per byte: first code unit of its character; [Count] = Wide.size()
        std::vector<uint8_t> LastByte; // 1 on the last byte of each character
    };
    void ConvertAnsi(const char* str, int count, TAnsiText& out);
    // How many leading bytes of Str (UTF-8, the font's code page) hold only
    // code units the font has met (KnownUnits), up to where a character below
    // the combining marks begins (a character of its own) or to Count; a code
    // point beyond the 16-bit units counts only as a whole character the font
    // knows. Nothing in any other code page.
    int MetPrefixA(const char* str, int count);
    // ASCII text in UTF-8 measured without converting it: false for other
    // text. Prefixes (optional, Count entries): the extent of every prefix
    // (left in no defined state when the answer is false).
    bool AsciiExtents(const char* str, int count, int* prefixes, TSize& size);
    // Starts (optional): 1 on the first unit of every character, the others 0.
    void MeasureUnits(const WideChar* str, int count, std::vector<int>& advances,
                      std::vector<uint8_t>* starts = nullptr);
    // Replaces the advances (and character starts) of the text's joining-script
    // stretches by their shaped ones (textshaping.cpp).
    void ShapeJoiningStretches(const WideChar* str, int count, std::vector<int>& advances,
                               std::vector<uint8_t>* starts);
    void AnsiAdvances(const TAnsiText& text, const std::vector<int>& unitAdvances, int* byteAdvances);
    // A long left-to-right run drawn on an unscaled canvas without explicit
    // advances draws only what the clip shows, with a margin of a few
    // characters: the part [First, Last) of it (bytes of ANSI text, code units
    // of wide text) and how far right of X that part begins. False when the
    // run is drawn whole (short, aligned otherwise, scaled, or with
    // right-to-left text anywhere, whose reordering needs the whole run).
    bool VisibleSpanA(int x, unsigned options, const char* str, int count, int& first, int& last,
                      int& offset);
    bool VisibleSpanW(int x, unsigned options, const WideChar* str, int count, int& first, int& last,
                      int& offset);
    // Where both look for the visible part of a run drawn at X: the run's
    // device pen, and the device columns [From, To) of the clip widened by the
    // margin (two of the font's heights and widest characters).
    struct TSpanBounds {
        int64_t Pen;
        int64_t From;
        int64_t To;
    };
    TSpanBounds VisibleSpanBounds(int x);
    bool MayDrawPart(unsigned options, int count) const;
    void BuildClusters(TTextRun& run);
    bool OutputRun(TTextRun& run, int x, int y, const TRect* rect);
    bool ExtTextOutInternal(int x, int y, unsigned options, const TRect* rect, const WideChar* str, int count,
                            const int* unitDx, const AnsiString* ansi);
    // ASCII text in UTF-8 drawn left to right with the measured advances: its
    // run is filled in one pass, each byte a character, code unit and cluster
    // of its own. False, drawing nothing, for other text or when the canvas
    // gives no ASCII advances.
    bool AsciiTextOut(int x, int y, unsigned options, const TRect* rect, const char* str, int count);
    unsigned Placement(const WideChar* str, int count, std::vector<int>& order, std::vector<int>& visualDx,
                       std::vector<char>& classes, std::vector<int>& carets, std::vector<uint8_t>& levels);
    int DrawTextInternal(const WideString& text, TRect& rect, unsigned format);

    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    TPoint FWindowOrg;
    TPoint FViewportOrg;
    int FMapMode = MM_TEXT;
    TSize FWindowExt{1, 1};
    TSize FViewportExt{1, 1};
    TRect FClip;
    bool FHasClip = false;
    unsigned FTextAlign = TA_LEFT | TA_TOP;
    int FCharExtra = 0;
    bool FDrawsOffscreen = false;
    std::vector<TSavedState> FSaved;
    int FDrawDepth = 0;
    // The run AsciiTextOut fills, kept so that its buffers are reused.
    TTextRun FAsciiRun;
    bool FAsciiRunBusy = false;
};

// The platform's device query on a canvas: LOGPIXELSX/Y, HORZRES/VERTRES (pixels),
// HORZSIZE/VERTSIZE (millimetres), PHYSICALWIDTH/HEIGHT and PHYSICALOFFSETX/Y,
// BITSPIXEL, PLANES; 0 for other indexes or a null canvas.
int GetDeviceCaps(TCanvas* canvas, int index);
// The device query of a surface of Width x Height pixels with the given
// resolution: LOGPIXELSX/Y, HORZRES/VERTRES and PHYSICALWIDTH/HEIGHT (pixels),
// HORZSIZE/VERTSIZE (millimetres, rounded down), BITSPIXEL 32, PLANES 1; 0 for
// other indexes. The canvases of screen-like devices answer with it.
int SurfaceDeviceCaps(int index, int width, int height, int pixelsPerInchX, int pixelsPerInchY);
