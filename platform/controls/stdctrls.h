// Standard controls: TButton (a push button), TCustomEdit with TEdit (one line
// of text) and TMemo (lines of text). Each is a window of its own whose client
// area holds a toolkit widget that the user works with; the control keeps the
// state (caption, text, lines, font, colour) and the widget follows it, and
// what the user types or clicks comes back to the control.
#pragma once

#include <memory>

#include "platform/controls/controls.h"

class TStringList;
struct TStdControlWidget;

// Horizontal alignment of a control's text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The toolkit widget in a standard control's client area (internal).
class TStdWidgetControl : public TWinControl {
public:
    explicit TStdWidgetControl(TComponent* aOwner);
    ~TStdWidgetControl() override;
    const char* ClassName() const override { return "TStdWidgetControl"; }
    void Dispatch(TMessage& message) override;

protected:
    // Makes the widget of this control in the client area just made.
    virtual void CreateWidget() = 0;
    // Hands the control's state to the widget (none yet: nothing).
    virtual void UpdateWidget() = 0;
    void CreateWnd() override;
    void DestroyWnd() override;
    std::unique_ptr<TStdControlWidget> FWidget;
    // Set while the widget's own change is taken into the control, so that it
    // is not handed back to the widget.
    bool FFromWidget = false;
};

// A push button: its caption centred on a raised face. A click on the widget
// is the control's Click (OnClick).
class TButton : public TStdWidgetControl {
public:
    explicit TButton(TComponent* aOwner);
    const char* ClassName() const override { return "TButton"; }
    // A push-button face in the system's colours with the caption centred on
    // it in the control's font ('&' marks a mnemonic, as on the widget).
    void PaintImage(TCanvas* canvas, int x, int y) override;

protected:
    void CreateWidget() override;
    void UpdateWidget() override;
};

// What edit boxes share: the border style (bsSingle: a frame) and the text's
// colour and font.
class TCustomEdit : public TStdWidgetControl {
public:
    explicit TCustomEdit(TComponent* aOwner);
    const char* ClassName() const override { return "TCustomEdit"; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TNotifyEvent OnChange;

protected:
    // The text changed (by the program or the user): OnChange.
    virtual void Change();
    // The face of the control's picture at (X, Y): filled with its colour inside
    // its border (a plain one in the canvas's pen, or a sunken 3-D one); selects
    // the control's font and returns the rectangle for the text, one pixel
    // inside the border. The text is shown as it is ('&' is no mnemonic there).
    TRect PaintImageFace(TCanvas* canvas, int x, int y);

private:
    TBorderStyle FBorderStyle = bsSingle;
};

// One line of text (Text).
class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* aOwner);
    const char* ClassName() const override { return "TEdit"; }
    void Dispatch(TMessage& message) override;
    // The face with the text on one line.
    void PaintImage(TCanvas* canvas, int x, int y) override;

protected:
    void CreateWidget() override;
    void UpdateWidget() override;
};

// Lines of text (Lines, owned), aligned as Alignment says. A line longer
// than the memo is not wrapped: the widget scrolls sideways, as the memo's
// picture cuts it at the border.
class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* aOwner);
    ~TMemo() override;
    const char* ClassName() const override { return "TMemo"; }
    TStringList* Lines() const { return FLines.get(); }
    void SetLines(const TStringList* value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    // The face with the lines, each aligned as Alignment says.
    void PaintImage(TCanvas* canvas, int x, int y) override;

protected:
    void CreateWidget() override;
    void UpdateWidget() override;

private:
    void LinesChanged(TObject* sender);
    std::unique_ptr<TStringList> FLines;
    TAlignment FAlignment = taLeftJustify;
};
