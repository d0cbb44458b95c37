// Controls: the order of mouse events, capture, the wheel, the context menu,
// focus messages, keys, key preview, input method text, a control's canvas and
// scrolled pixels, and Ctl3D taken from the parent. Input comes as the toolkit's own events
// (syntheticinput.h).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/controls_qt.h"
#include "platform/controls/forms.h"
#include "platform/controls/imm.h"
#include "platform/controls/menus.h"
#include "platform/controls/syntheticinput.h"
#include "platform/controls/winapi.h"
#include "platform/core/colors.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixelbuffer.h"
#include "platform/graphics/qtcanvas.h"

namespace {

std::string ButtonName(TMouseButton Button)
{
    return Button == mbLeft ? "L" : Button == mbRight ? "R" : "M";
}

// A control that writes down what reaches it.
class TProbe : public TCustomControl {
public:
    explicit TProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }

    std::vector<std::string> Events;
    std::vector<TMessage> Messages; // focus, size, paint and key messages
    LRESULT DlgCode = 0;
    bool ReadComposition = false;
    WideString Composed;
    int Paints = 0;
    TColor Fill = clRed;

    using TCustomControl::Canvas;

protected:
    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_SIZE:
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_KEYUP:
        case WM_TIMER:
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
        case WM_IME_COMPOSITION:
            Messages.push_back(Message);
            break;
        default:
            break;
        }
        TCustomControl::WndProc(Message);
    }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_GETDLGCODE) {
            Message.Result = DlgCode;
            return;
        }
        if (Message.Msg == WM_IME_COMPOSITION && ReadComposition) {
            // Reads the composed text itself, as an editor does.
            HIMC context = ImmGetContext(Handle());
            const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
            WideString text(bytes > 0 ? static_cast<size_t>(bytes) / 2 : 0, u' ');
            ImmGetCompositionStringW(context, GCS_RESULTSTR, text.data(), static_cast<DWORD>(bytes));
            ImmReleaseContext(Handle(), context);
            Composed += text;
            return;
        }
        TCustomControl::Dispatch(Message);
    }
    void Paint() override
    {
        ++Paints;
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        Events.push_back("MouseDown " + ButtonName(Button) + (Shift.Contains(ssDouble) ? " double" : "") +
                         " " + std::to_string(X) + "," + std::to_string(Y));
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override
    {
        Events.push_back("MouseUp " + ButtonName(Button) + " " + std::to_string(X) + "," + std::to_string(Y));
        TCustomControl::MouseUp(Button, Shift, X, Y);
    }
    void MouseMove(TShiftState Shift, int X, int Y) override
    {
        Events.push_back("MouseMove " + std::to_string(X) + "," + std::to_string(Y) +
                         (Shift.Contains(ssLeft) ? " left" : ""));
        TCustomControl::MouseMove(Shift, X, Y);
    }
    void Click() override
    {
        Events.push_back("Click");
        TCustomControl::Click();
    }
    void DblClick() override
    {
        Events.push_back("DblClick");
        TCustomControl::DblClick();
    }
    void KeyDown(WORD& Key, TShiftState Shift) override
    {
        Events.push_back("KeyDown " + std::to_string(Key));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(char& Key) override
    {
        Events.push_back(std::string("KeyPress ") + Key);
        TCustomControl::KeyPress(Key);
    }
    void KeyUp(WORD& Key, TShiftState Shift) override
    {
        Events.push_back("KeyUp " + std::to_string(Key));
        TCustomControl::KeyUp(Key, Shift);
    }
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = new TForm(nullptr);
        Form->SetBounds(100, 100, 300, 200);
        A = new TProbe(Form);
        A->SetParent(Form);
        A->SetBounds(10, 10, 100, 80);
        B = new TProbe(Form);
        B->SetParent(Form);
        B->SetBounds(150, 10, 100, 80);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }

    static std::vector<TMessage> Only(const std::vector<TMessage>& Messages, UINT Msg)
    {
        std::vector<TMessage> result;
        for (const TMessage& m : Messages)
            if (m.Msg == Msg)
                result.push_back(m);
        return result;
    }

    TForm* Form = nullptr;
    TProbe* A = nullptr;
    TProbe* B = nullptr;
};

} // namespace

TEST_F(ControlsTest, DoubleClickKeepsTheClassLibraryOrder)
{
    int clicks = 0;
    int dblClicks = 0;
    A->OnClick = [&](TObject*) { ++clicks; };
    A->OnDblClick = [&](TObject*) { ++dblClicks; };
    SimulateDoubleClick(A, mbLeft, 7, 8);
    EXPECT_EQ(A->Events, (std::vector<std::string>{"MouseDown L 7,8", "Click", "MouseUp L 7,8", "DblClick",
                                                   "MouseDown L double 7,8", "MouseUp L 7,8"}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dblClicks, 1);
}

TEST_F(ControlsTest, ReleaseOutsideIsNoClickAndTheDragStaysCaptured)
{
    SimulateMouseDown(A, mbLeft, 5, 5);
    EXPECT_EQ(GetCapture(), A->Handle());
    // The pointer moves over B while the button is down: A keeps the input, in its coordinates.
    SimulateMouseMove(B, 10, 10, TShiftState{ssLeft});
    SimulateMouseUp(B, mbLeft, 10, 10);
    EXPECT_EQ(A->Events,
              (std::vector<std::string>{"MouseDown L 5,5", "MouseMove 150,10 left", "MouseUp L 150,10"}));
    EXPECT_TRUE(B->Events.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ControlsTest, RightClickAsksForTheMenuBeforeMouseUpAndTheParentAnswers)
{
    std::vector<std::string> order;
    A->OnContextPopup = [&](TObject*, TPoint Pos, bool&) {
        order.push_back("A menu " + std::to_string(Pos.X) + "," + std::to_string(Pos.Y));
    };
    Form->OnContextPopup = [&](TObject*, TPoint Pos, bool& Handled) {
        order.push_back("form menu " + std::to_string(Pos.X) + "," + std::to_string(Pos.Y));
        Handled = true;
    };
    A->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { order.push_back("A up"); };
    SimulateClick(A, mbRight, 4, 4);
    // The form's point is in its own client coordinates: A sits at (10, 10).
    EXPECT_EQ(order, (std::vector<std::string>{"A menu 4,4", "form menu 14,14", "A up"}));
}

TEST_F(ControlsTest, WheelNotchesAccumulateAndPassToTheParent)
{
    int ups = 0;
    int downs = 0;
    A->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        ++ups;
        Handled = true;
    };
    A->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        ++downs;
        Handled = true;
    };
    SimulateWheel(A, 60, 5, 5);
    EXPECT_EQ(ups, 0);
    SimulateWheel(A, 60, 5, 5);
    EXPECT_EQ(ups, 1);
    SimulateWheel(A, -40, 5, 5);
    SimulateWheel(A, -40, 5, 5);
    EXPECT_EQ(downs, 0);
    SimulateWheel(A, -40, 5, 5);
    EXPECT_EQ(downs, 1);
    SimulateWheel(A, 240, 5, 5);
    EXPECT_EQ(ups, 3);
    // A turn that OnMouseWheel handles adds nothing to the notches.
    A->OnMouseWheel = [](TObject*, TShiftState, int, TPoint, bool& Handled) { Handled = true; };
    SimulateWheel(A, 100, 5, 5);
    A->OnMouseWheel = nullptr;
    SimulateWheel(A, 100, 5, 5);
    EXPECT_EQ(ups, 3);
    // B does not handle the wheel: its form does.
    int formUps = 0;
    Form->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) {
        ++formUps;
        Handled = true;
    };
    SimulateWheel(B, 120, 5, 5);
    EXPECT_EQ(formUps, 1);
}

TEST_F(ControlsTest, FocusMessagesNameTheOtherWindow)
{
    std::vector<std::string> order;
    A->OnExit = [&](TObject*) { order.push_back("A exit"); };
    B->OnEnter = [&](TObject*) { order.push_back("B enter"); };
    A->SetFocus();
    ASSERT_TRUE(A->Focused());
    A->Messages.clear();
    B->SetFocus();
    EXPECT_TRUE(B->Focused());
    EXPECT_FALSE(A->Focused());
    const auto kill = Only(A->Messages, WM_KILLFOCUS);
    const auto set = Only(B->Messages, WM_SETFOCUS);
    ASSERT_EQ(kill.size(), 1u);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(reinterpret_cast<HWND>(kill[0].WParam), B->Handle());
    EXPECT_EQ(reinterpret_cast<HWND>(set[0].WParam), A->Handle());
    EXPECT_EQ(Form->ActiveControl(), B);
    EXPECT_EQ(order, (std::vector<std::string>{"A exit", "B enter"}));
    // Setting the focus where it is sends nothing.
    B->Messages.clear();
    B->SetFocus();
    EXPECT_TRUE(Only(B->Messages, WM_SETFOCUS).empty());
}

TEST_F(ControlsTest, KeysArriveAsKeyDownKeyPressKeyUp)
{
    A->SetFocus();
    SimulateKey(A, 'Q', TShiftState{ssShift});
    EXPECT_EQ(A->Events, (std::vector<std::string>{"KeyDown 81", "KeyPress Q", "KeyUp 81"}));
    const auto chars = Only(A->Messages, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].WParam, static_cast<WPARAM>('Q'));
    EXPECT_LT(GetKeyState(VK_SHIFT), 0) << "the key is still considered down until its release";
    // Text beyond ASCII reaches WM_CHAR as UTF-16, without KeyPress.
    A->Events.clear();
    A->Messages.clear();
    SimulateKeyDown(A, 'E', TShiftState(), u"\u00e9");
    EXPECT_EQ(A->Events, (std::vector<std::string>{"KeyDown 69"}));
    ASSERT_EQ(Only(A->Messages, WM_CHAR).size(), 1u);
    EXPECT_EQ(Only(A->Messages, WM_CHAR)[0].WParam, 0xE9u);
}

TEST_F(ControlsTest, KeyPreviewLetsTheFormTakeKeysFirst)
{
    A->SetFocus();
    Form->SetKeyPreview(true);
    Form->OnKeyDown = [](TObject*, WORD& Key, TShiftState) {
        if (Key == VK_F5)
            Key = 0;
    };
    SimulateKey(A, VK_F5);
    SimulateKey(A, VK_F6);
    EXPECT_EQ(A->Events, (std::vector<std::string>{"KeyUp 116", "KeyDown 117", "KeyUp 117"}));
}

TEST_F(ControlsTest, TheCanvasOfAControlOutlivesResizesAndNewWindows)
{
    TCanvas* canvas = A->Canvas();
    canvas->Font()->SetName("DejaVu Serif");
    A->SetBounds(10, 10, 140, 90);
    EXPECT_EQ(A->Canvas(), canvas);
    EXPECT_EQ(canvas->ClipRect(), Rect(0, 0, 140, 90)) << "the whole new client area";
    A->Update(); // Paint draws on it too
    canvas->Brush()->SetColor(clYellow);
    canvas->FillRect(Rect(120, 70, 140, 90)); // only in the grown part
    TPixelBuffer pixels;
    ASSERT_TRUE(GrabWindow(A, pixels));
    ASSERT_EQ(pixels.Width, 140);
    EXPECT_EQ(pixels.At(130, 80), 0xFFFFFF00u);

    // Paint draws on the same object, and so does the next window.
    A->RecreateWnd();
    EXPECT_EQ(A->Canvas(), canvas);
    EXPECT_EQ(canvas->Font()->Name(), "DejaVu Serif");
    A->Fill = clBlue;
    A->Invalidate();
    A->Update();
    ASSERT_TRUE(GrabWindow(A, pixels));
    EXPECT_EQ(pixels.At(130, 80), 0xFF0000FFu);
    // Without a window it draws nothing, and the control's window comes back on use.
    A->DestroyHandle();
    canvas->FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(A->Canvas(), canvas);
    EXPECT_TRUE(A->HandleAllocated());
}

TEST_F(ControlsTest, ScrollWindowExMovesPixelsAndInvalidatesTheStrip)
{
    TPixelBuffer pixels;
    A->Fill = clRed;
    ASSERT_TRUE(GrabWindow(A, pixels));
    A->Canvas()->Brush()->SetColor(clBlue);
    A->Canvas()->FillRect(Rect(0, 20, 100, 30));
    const int paints = A->Paints;
    TRect update;
    EXPECT_EQ(ScrollWindowEx(A->Handle(), 0, -10, nullptr, nullptr, nullptr, &update, SW_INVALIDATE),
              SIMPLEREGION);
    EXPECT_EQ(update, Rect(0, 70, 100, 80));
    A->Fill = clLime;
    A->Update();
    EXPECT_EQ(A->Paints, paints + 1);
    ASSERT_TRUE(GrabWindow(A, pixels));
    EXPECT_EQ(pixels.At(50, 15), 0xFF0000FFu) << "the blue band moved up by 10";
    EXPECT_EQ(pixels.At(50, 25), 0xFFFF0000u);
    EXPECT_EQ(pixels.At(50, 75), 0xFF00FF00u) << "the uncovered strip was painted";
}

TEST_F(ControlsTest, TextInAWindowShowsThePixelsItHasOnAnImage)
{
    // A window keeps its pixels opaque; smoothed text drawn in it is shown
    // with the very pixels the same drawing gives on an image of its own.
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(A); }, 30000));
    TPixelBuffer image(A->ClientWidth(), A->ClientHeight());
    auto onImage = CreateBufferCanvas(image);
    const auto draw = [](TCanvas* canvas, TColor fill) {
        canvas->Brush()->SetColor(fill);
        canvas->FillRect(Rect(0, 0, 100, 80));
        canvas->Font()->SetName("DejaVu Sans");
        canvas->Font()->SetSize(11);
        canvas->Font()->SetColor(clNavy);
        canvas->Brush()->SetStyle(bsClear);
        canvas->TextOut(3, 4, "Kelvor 0.9 ok");
        canvas->Font()->SetColor(clWhite);
        canvas->TextOut(3, 30, "on red");
    };
    A->Fill = clRed;
    A->Repaint();
    draw(A->Canvas(), clRed);
    draw(onImage.get(), clRed);
    TPixelBuffer shown;
    const auto same = [&] { return GrabShownClient(A, shown) && shown.Pixels == image.Pixels; };
    EXPECT_TRUE(ProcessMessagesUntil(same, 30000));
    int smoothed = 0; // pixels between the text's colour and the fill's
    for (uint32_t pixel : shown.Pixels)
        smoothed += pixel != 0xFFFF0000u && pixel != 0xFF000080u && pixel != 0xFFFFFFFFu;
    EXPECT_GT(smoothed, 0);
}

TEST_F(ControlsTest, ScrolledPixelsShowAsAWholePaintWouldShowThem)
{
    // What the window system is given after a scroll and an update must be
    // what painting the window whole gives, however the pixels were moved.
    struct TCase {
        const char* Name;
        int Dx, Dy;
        TRect Scroll, Clip, Waiting; // empty: none
        bool Caret;
        bool Child = false; // a child window lies on the area (and stays)
    };
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(A); }, 30000));
    const TRect none{};
    const TCase cases[] = {
        {"up by a line", 0, -10, none, none, none, false},
        {"down by a line", 0, 12, none, none, none, false},
        {"sideways", -7, 0, none, none, none, false},
        {"up, with a strip waiting to be painted", 0, -10, none, none, Rect(0, 40, 100, 50), false},
        {"up within a smaller clip", 0, -10, none, Rect(0, 10, 100, 60), none, false},
        {"a part scrolled into a larger clip", 0, -10, Rect(20, 30, 80, 70), Rect(0, 0, 100, 80), none,
         false},
        {"up under a caret", 0, -10, none, none, none, true},
        {"up under a child window that stays", 0, -10, none, none, none, false, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        A->Fill = clRed;
        A->Repaint();
        A->Canvas()->Brush()->SetColor(clBlue);
        A->Canvas()->FillRect(Rect(0, 20, 100, 30));
        A->Canvas()->Brush()->SetColor(clYellow);
        A->Canvas()->FillRect(Rect(40, 0, 45, 80));
        TProbe* child = nullptr;
        if (c.Child) {
            child = new TProbe(Form);
            child->Fill = clBlack;
            child->SetParent(A);
            child->SetBounds(60, 40, 20, 20);
        }
        if (c.Caret) {
            CreateCaret(A->Handle(), nullptr, 2, 12);
            SetCaretPos(30, 50);
            ShowCaret(A->Handle());
        }
        // The toolkit shows all of it before the scroll.
        TPixelBuffer shown;
        TPixelBuffer whole;
        const auto same = [&] {
            return GrabShownClient(A, shown) && GrabWindow(A, whole) && shown.Pixels == whole.Pixels;
        };
        ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
        A->Fill = clLime;
        if (!c.Waiting.IsEmpty())
            InvalidateRect(A->Handle(), &c.Waiting, false);
        ScrollWindowEx(A->Handle(), c.Dx, c.Dy, c.Scroll.IsEmpty() ? nullptr : &c.Scroll,
                       c.Clip.IsEmpty() ? nullptr : &c.Clip, nullptr, nullptr, SW_INVALIDATE);
        A->Update();
        // Shown by the update itself; only what the toolkit could not move
        // itself (under a child window) may wait for the event loop.
        if (!c.Child) {
            EXPECT_TRUE(same());
        }
        EXPECT_TRUE(ProcessMessagesUntil(same, 30000));
        if (c.Scroll.IsEmpty()) {
            EXPECT_NE(shown.At(50, 25 + c.Dy), shown.At(50, 5)) << "the blue band moved";
        }
        if (c.Caret)
            DestroyCaret();
        delete child;
    }
}

TEST_F(ControlsTest, AWholePaintStraightIntoTheShownCopyIsFoundByWhatFollowsIt)
{
    // A window painted whole is painted straight into the toolkit's copy of
    // it; drawing outside a paint, a scroll, a paint of a part and a new copy
    // of the top-level window after it must all find the pixels it painted.
    ASSERT_TRUE(ProcessMessagesUntil([&] { return WindowExposed(A); }, 30000));
    TPixelBuffer shown;
    TPixelBuffer whole;
    const auto same = [&] {
        return GrabShownClient(A, shown) && GrabWindow(A, whole) && shown.Pixels == whole.Pixels;
    };
    const auto paintWhole = [&](TColor fill) {
        A->Fill = fill;
        A->Invalidate();
        A->Update();
        return WindowDataOf(A)->StoreBehind;
    };
    constexpr uint32_t red = 0xFFFF0000u, blue = 0xFF0000FFu, lime = 0xFF00FF00u, yellow = 0xFFFFFF00u;

    // Drawing outside a paint.
    ASSERT_TRUE(paintWhole(clRed)) << "painted straight into the shown copy";
    A->Canvas()->Brush()->SetColor(clBlue);
    A->Canvas()->FillRect(Rect(0, 20, 100, 30));
    EXPECT_FALSE(WindowDataOf(A)->StoreBehind);
    ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
    EXPECT_EQ(shown.At(50, 5), red);
    EXPECT_EQ(shown.At(50, 25), blue);

    // A scroll of the whole window, and a part painted after it.
    ASSERT_TRUE(paintWhole(clLime));
    A->Fill = clYellow;
    ScrollWindowEx(A->Handle(), 0, -10, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    A->Update();
    ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
    EXPECT_EQ(shown.At(50, 5), lime);
    EXPECT_EQ(shown.At(50, 75), yellow) << "the uncovered strip";
    ASSERT_TRUE(paintWhole(clRed));
    A->Fill = clBlue;
    const TRect part = Rect(0, 0, 30, 30);
    InvalidateRect(A->Handle(), &part, false);
    A->Update();
    ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
    EXPECT_EQ(shown.At(10, 10), blue);
    EXPECT_EQ(shown.At(60, 60), red);

    // The top-level window grows: its copy is a new one, and the pixels
    // Store lacked are painted again.
    ASSERT_TRUE(paintWhole(clLime));
    A->Fill = clYellow;
    Form->SetBounds(100, 100, 340, 230);
    ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
    A->Canvas()->Brush()->SetColor(clBlue);
    A->Canvas()->FillRect(Rect(0, 0, 10, 10));
    ASSERT_TRUE(ProcessMessagesUntil(same, 30000));
    EXPECT_EQ(shown.At(5, 5), blue);
    EXPECT_TRUE(shown.At(50, 50) == lime || shown.At(50, 50) == yellow);
}

TEST_F(ControlsTest, ManyScrollsUpAndDownMovePixelsAsOneMoveEachWould)
{
    // Row y is painted in a colour of its own; scrolls of the whole window up
    // and down, far past its height in either direction and back, must leave
    // every row where one move of the pixels would have left it, the
    // uncovered rows keeping the pixels they had (nothing is invalidated),
    // and drawing after them lands where it is drawn.
    TPixelBuffer pixels;
    ASSERT_TRUE(GrabWindow(A, pixels));
    const int height = A->ClientHeight();
    const auto rowColour = [](int row) {
        return TColor(0x010000 * (row % 256) + 0x000100 * (row / 256) + 0x40);
    };
    std::vector<TColor> expected(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        expected[static_cast<size_t>(y)] = rowColour(y);
        A->Canvas()->Brush()->SetColor(rowColour(y));
        A->Canvas()->FillRect(Rect(0, y, A->ClientWidth(), y + 1));
    }
    const int moves[] = {-10, -10, -3, -(height - 1), 12, 7, -5, 1, height - 1, 30, 30, 30, -33, -1};
    int drawn = height;
    for (int round = 0; round < 8; ++round) {
        for (int dy : moves) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", by " << dy);
            ScrollWindowEx(A->Handle(), 0, dy, nullptr, nullptr, nullptr, nullptr, 0);
            std::vector<TColor> before = expected;
            for (int y = 0; y < height; ++y)
                if (y - dy >= 0 && y - dy < height)
                    expected[static_cast<size_t>(y)] = before[static_cast<size_t>(y - dy)];
            // A new row drawn after the scroll, at the end it uncovered.
            const int row = dy < 0 ? height - 1 : 0;
            expected[static_cast<size_t>(row)] = rowColour(drawn);
            A->Canvas()->Brush()->SetColor(rowColour(drawn++));
            A->Canvas()->FillRect(Rect(0, row, A->ClientWidth(), row + 1));
            ASSERT_TRUE(GrabWindow(A, pixels));
            for (int y = 0; y < height; ++y)
                ASSERT_EQ(pixels.At(A->ClientWidth() / 2, y), ColorToPixel(expected[static_cast<size_t>(y)]))
                    << "row " << y;
        }
    }
}

TEST_F(ControlsTest, PointerEnteringAndLeavingIsReported)
{
    A->Messages.clear();
    SimulateMouseEnter(A);
    SimulateMouseLeave(A);
    ASSERT_EQ(A->Messages.size(), 2u);
    EXPECT_EQ(A->Messages[0].Msg, static_cast<UINT>(CM_MOUSEENTER));
    EXPECT_EQ(A->Messages[1].Msg, static_cast<UINT>(CM_MOUSELEAVE));
}

TEST_F(ControlsTest, InputMethodTextArrivesAsCompositionOrCharacters)
{
    A->DlgCode = DLGC_WANTCHARS;
    A->SetFocus();
    A->Messages.clear();
    SimulateInputMethodCommit(A, u"\u65e5\u672c");
    // Left to the default handling, the text comes as characters.
    const auto chars = Only(A->Messages, WM_CHAR);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].WParam, 0x65E5u);
    EXPECT_EQ(chars[1].WParam, 0x672Cu);
    ASSERT_EQ(Only(A->Messages, WM_IME_COMPOSITION).size(), 1u);
    EXPECT_EQ(Only(A->Messages, WM_IME_COMPOSITION)[0].LParam & GCS_RESULTSTR, GCS_RESULTSTR);
    // A window that reads the composition gets the text whole and no characters.
    A->ReadComposition = true;
    A->Messages.clear();
    SimulateInputMethodCommit(A, u"\u00e4b");
    EXPECT_EQ(A->Composed, u"\u00e4b");
    EXPECT_TRUE(Only(A->Messages, WM_CHAR).empty());
    // Outside a composition there is nothing to read.
    HIMC context = ImmGetContext(A->Handle());
    EXPECT_EQ(ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0), IMM_ERROR_NODATA);
    EXPECT_EQ(ImmGetCompositionStringW(context, 0x1234, nullptr, 0), IMM_ERROR_GENERAL);
    EXPECT_EQ(ImmGetContext(nullptr), nullptr);
}

TEST(ParentCtl3D, AControlFollowsItsParentUntilItHasAValueOfItsOwn)
{
    TForm Form(nullptr);
    auto* Panel = new TProbe(&Form);
    Panel->SetParent(&Form);
    auto* Child = new TProbe(&Form);
    Child->SetParent(Panel);
    // Down the chain at once, the followers staying followers.
    Form.SetCtl3D(false);
    EXPECT_FALSE(Panel->Ctl3D());
    EXPECT_FALSE(Child->Ctl3D());
    EXPECT_TRUE(Child->ParentCtl3D());
    // A value of its own detaches it: the parent's changes no longer reach it.
    Child->SetCtl3D(true);
    EXPECT_FALSE(Child->ParentCtl3D());
    Form.SetCtl3D(true);
    Form.SetCtl3D(false);
    EXPECT_FALSE(Panel->Ctl3D());
    EXPECT_TRUE(Child->Ctl3D());
    // Following again takes the parent's value at once.
    Child->SetParentCtl3D(true);
    EXPECT_FALSE(Child->Ctl3D());
    // A control put into a parent takes the parent's value; one of its own keeps it.
    auto* Late = new TProbe(&Form);
    Late->SetParent(Panel);
    EXPECT_FALSE(Late->Ctl3D());
    auto* Own = new TProbe(&Form);
    Own->SetCtl3D(false);
    Own->SetCtl3D(true);
    Own->SetParent(Panel);
    EXPECT_TRUE(Own->Ctl3D());
}
