// TButton, TEdit and TMemo over the toolkit's push button, line edit and text
// edit: each widget fills its control's client area and follows its state.
#include "platform/controls/stdctrls.h"

#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <cstdlib>

#include "platform/controls/controls_qt.h"
#include "platform/core/codepages.h"
#include "platform/core/colors.h"
#include "platform/core/stringlist.h"
#include "platform/graphics/gdiobjects.h"
#include "platform/graphics/qtcanvas.h"
#include "platform/graphics/qtcolor_qt.h"

struct TStdControlWidget {
    QPointer<QWidget> Widget;
};

namespace {

QString ToQString(const AnsiString& text)
{
    const WideString wide = AnsiToWide(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

AnsiString FromQString(const QString& text)
{
    return WideToAnsi(
        WideString(reinterpret_cast<const WideChar*>(text.utf16()), static_cast<size_t>(text.size())));
}

// The widget shows the control's font and colours: Face is the palette role
// its background takes, Ink that of its text.
void ApplyLooks(QWidget* widget, TControl* control, QPalette::ColorRole face, QPalette::ColorRole ink)
{
    const TFont* f = control->Font();
    QFont font(QString::fromStdString(ResolveFontFace(f->Name(), f->Pitch())));
    const int height = f->Height();
    font.setPixelSize(height != 0 ? std::min(std::abs(height), 2000) : 12);
    font.setBold(f->Style().Contains(fsBold));
    font.setItalic(f->Style().Contains(fsItalic));
    font.setUnderline(f->Style().Contains(fsUnderline));
    font.setStrikeOut(f->Style().Contains(fsStrikeOut));
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(face, ToQColor(control->Color()));
    palette.setColor(ink, ToQColor(f->Color()));
    widget->setPalette(palette);
}

// The lines as the text edit holds them.
QString JoinedLines(const TStringList& lines)
{
    QStringList texts;
    for (int i = 0; i < lines.Count(); ++i)
        texts.append(ToQString(lines.Get(i)));
    return texts.join(QLatin1Char('\n'));
}

} // namespace

// ---------------------------------------------------------------------------

TStdWidgetControl::TStdWidgetControl(TComponent* aOwner) : TWinControl(aOwner), FWidget(new TStdControlWidget)
{
    SetTabStop(true);
}

TStdWidgetControl::~TStdWidgetControl()
{
    // The widget goes with the client area; it must no longer call back.
    if (FWidget->Widget)
        QObject::disconnect(FWidget->Widget, nullptr, nullptr, nullptr);
}

void TStdWidgetControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!ClientWidgetOf(this))
        return;
    CreateWidget();
    if (FWidget->Widget) {
        const TRect r = ClientRect();
        FWidget->Widget->setGeometry(0, 0, r.Width(), r.Height());
        FWidget->Widget->show();
        UpdateWidget();
    }
}

void TStdWidgetControl::DestroyWnd()
{
    if (FWidget->Widget) {
        QObject::disconnect(FWidget->Widget, nullptr, nullptr, nullptr);
        FWidget->Widget = nullptr;
    }
    TWinControl::DestroyWnd();
}

void TStdWidgetControl::Dispatch(TMessage& message)
{
    TWinControl::Dispatch(message);
    switch (message.Msg) {
    case WM_SIZE:
        if (FWidget->Widget) {
            const TRect r = ClientRect();
            FWidget->Widget->setGeometry(0, 0, r.Width(), r.Height());
        }
        break;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
        if (FWidget->Widget && !FFromWidget)
            UpdateWidget();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------

TButton::TButton(TComponent* aOwner) : TStdWidgetControl(aOwner)
{
    SetBounds(0, 0, 75, 25);
    SetColor(clBtnFace);
}

void TButton::CreateWidget()
{
    auto* button = new QPushButton(ClientWidgetOf(this));
    FWidget->Widget = button;
    QObject::connect(button, &QPushButton::clicked, [this] { RunGuarded(this, [this] { Click(); }); });
}

void TButton::UpdateWidget()
{
    auto* button = static_cast<QPushButton*>(FWidget->Widget.data());
    // The toolkit marks its mnemonic with '&' as the platform does.
    button->setText(ToQString(Caption()));
    ApplyLooks(button, this, QPalette::Button, QPalette::ButtonText);
}

// ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* aOwner) : TStdWidgetControl(aOwner)
{
    SetColor(clWindow);
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    value = value == bsNone ? bsNone : bsSingle;
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    if (FWidget->Widget)
        UpdateWidget();
    Invalidate();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------

TEdit::TEdit(TComponent* aOwner) : TCustomEdit(aOwner)
{
    SetBounds(0, 0, 121, 21);
}

void TEdit::Dispatch(TMessage& message)
{
    TCustomEdit::Dispatch(message);
    if (message.Msg == CM_TEXTCHANGED)
        Change();
}

void TEdit::CreateWidget()
{
    auto* edit = new QLineEdit(ClientWidgetOf(this));
    FWidget->Widget = edit;
    QObject::connect(edit, &QLineEdit::textChanged, [this](const QString& text) {
        RunGuarded(this, [&] {
            FFromWidget = true;
            try {
                SetText(FromQString(text));
            } catch (...) {
                FFromWidget = false;
                throw;
            }
            FFromWidget = false;
        });
    });
}

void TEdit::UpdateWidget()
{
    auto* edit = static_cast<QLineEdit*>(FWidget->Widget.data());
    const QString text = ToQString(Text());
    if (edit->text() != text)
        edit->setText(text);
    edit->setFrame(BorderStyle() == bsSingle);
    ApplyLooks(edit, this, QPalette::Base, QPalette::Text);
}

// ---------------------------------------------------------------------------

TMemo::TMemo(TComponent* aOwner) : TCustomEdit(aOwner), FLines(new TStringList)
{
    SetBounds(0, 0, 185, 89);
    FLines->OnChange = [this](TObject* sender) { LinesChanged(sender); };
}

TMemo::~TMemo()
{
    FLines->OnChange = nullptr;
}

void TMemo::SetLines(const TStringList* value)
{
    FLines->Assign(value);
}

void TMemo::SetAlignment(TAlignment value)
{
    if (FAlignment == value)
        return;
    FAlignment = value;
    if (FWidget->Widget)
        UpdateWidget();
    Invalidate();
}

void TMemo::LinesChanged(TObject*)
{
    if (FWidget->Widget && !FFromWidget)
        UpdateWidget();
    Invalidate();
    Change();
}

void TMemo::CreateWidget()
{
    auto* memo = new QTextEdit(ClientWidgetOf(this));
    memo->setAcceptRichText(false);
    memo->setLineWrapMode(QTextEdit::NoWrap);
    FWidget->Widget = memo;
    QObject::connect(memo, &QTextEdit::textChanged, [this, memo] {
        RunGuarded(this, [&] {
            if (memo->toPlainText() == JoinedLines(*FLines))
                return;
            FFromWidget = true;
            try {
                FLines->SetText(FromQString(memo->toPlainText()));
            } catch (...) {
                FFromWidget = false;
                throw;
            }
            FFromWidget = false;
        });
    });
}

void TMemo::UpdateWidget()
{
    auto* memo = static_cast<QTextEdit*>(FWidget->Widget.data());
    const QString text = JoinedLines(*FLines);
    const QSignalBlocker blocker(memo);
    if (memo->toPlainText() != text)
        memo->setPlainText(text);
    const Qt::Alignment align = FAlignment == taRightJustify ? Qt::AlignRight
                                : FAlignment == taCenter     ? Qt::AlignHCenter
                                                             : Qt::AlignLeft;
    QTextCursor cursor(memo->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(align);
    cursor.mergeBlockFormat(format);
    memo->setFrameShape(BorderStyle() == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    ApplyLooks(memo, this, QPalette::Base, QPalette::Text);
}
