// The toolkit's UI services: message and input boxes, file and colour dialogs,
// beeps, tray icons, window hints and the desktop's clipboard.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QSystemTrayIcon>

#include <map>

#include "platform/controls/clipbrd.h"
#include "platform/controls/controls_qt.h"
#include "platform/controls/dialogs.h"
#include "platform/controls/forms.h"
#include "platform/controls/trayicon.h"
#include "platform/controls/uiservices.h"
#include "platform/core/codepages.h"
#include "platform/graphics/pixelbuffer_qt.h"
#include "platform/graphics/qtcolor_qt.h"
#include "platform/graphics/qtsupport.h"

namespace {

QString ToQString(const AnsiString& text)
{
    WideString wide = AnsiToWide(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

AnsiString FromQString(const QString& text)
{
    return WideToAnsi(
        WideString(reinterpret_cast<const WideChar*>(text.utf16()), static_cast<size_t>(text.size())));
}

// File names are the file system's bytes, not text of a code page.
QString ToQPath(const AnsiString& path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

AnsiString FromQPath(const QString& path)
{
    QByteArray bytes = QFile::encodeName(path);
    return AnsiString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

AnsiString FromBytes(const QByteArray& bytes)
{
    return AnsiString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QMessageBox::StandardButton ButtonOfID(int id)
{
    switch (id) {
    case IDCANCEL:
        return QMessageBox::Cancel;
    case IDABORT:
        return QMessageBox::Abort;
    case IDRETRY:
        return QMessageBox::Retry;
    case IDIGNORE:
        return QMessageBox::Ignore;
    case IDYES:
        return QMessageBox::Yes;
    case IDNO:
        return QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOfFlags(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// "Log Files (*.log)|*.log|All Files (*.*)|*.*" in the toolkit's form. The
// patterns are shown as given, except that "*.*" (every file on the platform
// the format comes from) becomes "*", which also matches names without a dot.
QStringList NameFilters(const AnsiString& filter)
{
    QStringList parts = ToQString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // The toolkit reads the patterns from the parentheses of the description.
        int open = description.lastIndexOf('(');
        if (open > 0 && description.endsWith(')'))
            description = description.left(open).trimmed();
        QStringList patterns;
        for (QString pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            patterns << (pattern == "*.*" ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        filters << description + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

QPixmap PixmapOf(const TPixelBuffer& pixels)
{
    return QPixmap::fromImage(ImageOfPixels(pixels));
}

unsigned ButtonDownMessage(QSystemTrayIcon::ActivationReason reason, unsigned& up)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        up = WM_LBUTTONUP;
        return WM_LBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
        up = 0;
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        up = WM_RBUTTONUP;
        return WM_RBUTTONDOWN;
    case QSystemTrayIcon::MiddleClick:
        up = WM_MBUTTONUP;
        return WM_MBUTTONDOWN;
    default:
        up = 0;
        return 0;
    }
}

// The window a box or dialog belongs to, which the desktop keeps it above: the
// box or dialog open now, else the main form's window while it is on the
// screen (a box of no window of the program's would go under a main window
// kept above all others), else the active window.
QWidget* BoxOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    QWidget* window = main && main->HandleAllocated() ? FrameWidgetOf(main) : nullptr;
    if (window)
        window = window->window();
    if (window && window->isVisible() && !(window->windowState() & Qt::WindowMinimized))
        return window;
    return QApplication::activeWindow();
}

class TQtUIServices : public TUIServices {
public:
    ~TQtUIServices() override
    {
        for (auto& entry : FTrayIcons)
            delete entry.second;
    }

    int MessageBox(const AnsiString& text, const AnsiString& caption, unsigned flags) override
    {
        EnsureQtApplication();
        QMessageBox box(IconOfFlags(flags), ToQString(caption.empty() ? DefaultBoxCaption() : caption),
                        ToQString(text), QMessageBox::NoButton, BoxOwner());
        // Texts are shown as they stand: a file name with '<' is no markup.
        box.setTextFormat(Qt::PlainText);
        std::vector<int> ids = MessageBoxButtons(flags);
        std::vector<QAbstractButton*> buttons;
        for (int id : ids)
            buttons.push_back(box.addButton(ButtonOfID(id)));
        size_t defaultIndex = (flags & MB_DEFMASK) >> 8;
        box.setDefaultButton(
            static_cast<QPushButton*>(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]));
        int cancel = MessageBoxCancelAnswer(flags);
        for (size_t i = 0; i < ids.size(); ++i)
            if (ids[i] == cancel)
                box.setEscapeButton(buttons[i]);
        box.exec();
        for (size_t i = 0; i < ids.size(); ++i)
            if (box.clickedButton() == buttons[i])
                return ids[i];
        return cancel;
    }

    bool InputQuery(const AnsiString& caption, const AnsiString& prompt, AnsiString& value) override
    {
        EnsureQtApplication();
        QInputDialog dialog(BoxOwner());
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(ToQString(caption));
        dialog.setLabelText(ToQString(prompt));
        dialog.setTextValue(ToQString(value));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        value = FromQString(dialog.textValue());
        return true;
    }

    bool FileDialog(const TFileDialogRequest& request, TFileDialogResult& result) override
    {
        EnsureQtApplication();
        QFileDialog dialog(BoxOwner(), ToQString(request.Title), ToQPath(request.InitialDir));
        dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (request.Save)
            dialog.setFileMode(QFileDialog::AnyFile);
        else if (request.AllowMultiSelect)
            dialog.setFileMode(QFileDialog::ExistingFiles);
        else
            dialog.setFileMode(request.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);
        QStringList filters = NameFilters(request.Filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            int index = request.FilterIndex - 1;
            dialog.selectNameFilter(filters[index >= 0 && index < filters.size() ? index : 0]);
        }
        if (!request.DefaultExt.empty())
            dialog.setDefaultSuffix(ToQString(request.DefaultExt));
        if (!request.FileName.empty())
            dialog.selectFile(ToQPath(request.FileName));
        if (dialog.exec() != QDialog::Accepted)
            return false;
        result.Files.clear();
        for (const QString& file : dialog.selectedFiles())
            result.Files.push_back(FromQPath(file));
        result.FilterIndex = filters.indexOf(dialog.selectedNameFilter()) + 1;
        if (result.FilterIndex <= 0)
            result.FilterIndex = request.FilterIndex;
        return !result.Files.empty();
    }

    bool ColorDialog(TColor& color) override
    {
        EnsureQtApplication();
        QColor chosen = QColorDialog::getColor(ToQColor(color), BoxOwner());
        if (!chosen.isValid())
            return false;
        color = RGB(chosen.red(), chosen.green(), chosen.blue());
        return true;
    }

    // The desktop offers the bell, which does not block; it has no pitch or length.
    void Beep(unsigned frequency, unsigned duration) override
    {
        (void)frequency;
        (void)duration;
        EnsureQtApplication();
        QApplication::beep();
    }

    void MessageBeep(unsigned type) override
    {
        (void)type;
        EnsureQtApplication();
        QApplication::beep();
    }

    bool TrayIconAvailable() override
    {
        EnsureQtApplication();
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    bool ShowTrayIcon(const TTrayIconKey& key, const TPixelBuffer& icon, const AnsiString& tip) override
    {
        if (!TrayIconAvailable())
            return false;
        QSystemTrayIcon*& trayIcon = FTrayIcons[key];
        if (!trayIcon) {
            trayIcon = new QSystemTrayIcon();
            // The key names the trayIcon only; the tray table checks it is still shown.
            QObject::connect(trayIcon, &QSystemTrayIcon::activated,
                             [key](QSystemTrayIcon::ActivationReason reason) {
                                 unsigned up = 0;
                                 unsigned down = ButtonDownMessage(reason, up);
                                 if (down != 0)
                                     TrayIconNotify(key.Window, key.ID, down);
                                 if (up != 0)
                                     TrayIconNotify(key.Window, key.ID, up);
                             });
        }
        trayIcon->setIcon(icon.Empty() ? QIcon() : QIcon(PixmapOf(icon)));
        trayIcon->setToolTip(ToQString(tip));
        trayIcon->show();
        return true;
    }

    bool HideTrayIcon(const TTrayIconKey& key) override
    {
        auto found = FTrayIcons.find(key);
        if (found == FTrayIcons.end())
            return false;
        found->second->hide();
        // Deleted later: the removal may come from the trayIcon's own click.
        found->second->deleteLater();
        FTrayIcons.erase(found);
        return true;
    }

    void SetStayOnTop(HWND window, bool on) override
    {
        SetTopLevelFlag(window, Qt::WindowStaysOnTopHint, on);
    }

    void SetSkipTaskbar(HWND window, bool on) override
    {
        TWinControl* control = FindControl(window);
        QWidget* frame = control ? FrameWidgetOf(control) : nullptr;
        if (frame)
            SetSkipTaskbarHint(frame->window(), on);
    }

    void BringToFront(HWND window) override
    {
        TWinControl* control = FindControl(window);
        QWidget* frame = control ? FrameWidgetOf(control) : nullptr;
        if (QWidget* widget = frame ? frame->window() : nullptr) {
            widget->raise();
            widget->activateWindow();
        }
    }

    void SetClipboard(const std::vector<TClipboardItem>& items) override
    {
        EnsureQtApplication();
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (items.empty()) {
            clipboard->clear();
            return;
        }
        auto* data = new QMimeData;
        for (const TClipboardItem& item : items) {
            QByteArray bytes(item.Data.data(), static_cast<qsizetype>(item.Data.size()));
            if (item.Mime == "text/plain")
                data->setText(QString::fromUtf8(bytes));
            else
                data->setData(QString::fromLatin1(item.Mime.c_str()), bytes);
        }
        clipboard->setMimeData(data);
    }

    std::vector<AnsiString> ClipboardFormats() override
    {
        EnsureQtApplication();
        std::vector<AnsiString> formats;
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data)
            return formats;
        QStringList mimes = data->formats();
        for (const QString& mime : mimes)
            formats.push_back(FromBytes(mime.toLatin1()));
        // Text, pictures and metafiles may come in other forms; ours are read
        // from any of them.
        if (data->hasText() && !mimes.contains("text/plain"))
            formats.push_back("text/plain");
        if (data->hasImage() && !mimes.contains("image/png"))
            formats.push_back("image/png");
        for (int kind : {1, 2}) {
            const char* mime = kind == 1 ? "image/x-emf" : "image/x-wmf";
            if (!mimes.contains(mime) && !MetafileForm(*data, kind).isEmpty())
                formats.push_back(mime);
        }
        return formats;
    }

    bool GetClipboard(const AnsiString& mime, AnsiString& data) override
    {
        EnsureQtApplication();
        const QMimeData* mimeData = QGuiApplication::clipboard()->mimeData();
        if (!mimeData)
            return false;
        QString mimeName = QString::fromLatin1(mime.c_str());
        if (mime == "text/plain") {
            if (!mimeData->hasText())
                return false;
            data = FromBytes(mimeData->text().toUtf8());
            return true;
        }
        if (mimeData->hasFormat(mimeName)) {
            data = FromBytes(mimeData->data(mimeName));
            return true;
        }
        const int kind = mime == "image/x-emf" ? 1 : mime == "image/x-wmf" ? 2 : 0;
        if (kind != 0) {
            const QString form = MetafileForm(*mimeData, kind);
            if (form.isEmpty())
                return false;
            data = FromBytes(mimeData->data(form));
            return true;
        }
        if (mime == "image/png" && mimeData->hasImage()) {
            QImage image = qvariant_cast<QImage>(mimeData->imageData());
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (image.isNull() || !image.save(&buffer, "PNG"))
                return false;
            data = FromBytes(bytes);
            return true;
        }
        return false;
    }

private:
    // The first form of an enhanced (1) or old-format (2) metafile on the
    // clipboard; empty for none.
    static QString MetafileForm(const QMimeData& data, int kind)
    {
        for (const QString& mime : data.formats())
            if (MetafileMimeKind(FromBytes(mime.toLatin1())) == kind)
                return mime;
        return QString();
    }

    struct TKeyLess {
        bool operator()(const TTrayIconKey& a, const TTrayIconKey& b) const
        {
            return a.Window != b.Window ? std::less<HWND>()(a.Window, b.Window) : a.ID < b.ID;
        }
    };

    // Changing a window's flags takes it off the screen; a shown window comes back.
    static void SetTopLevelFlag(HWND window, Qt::WindowType flag, bool on)
    {
        TWinControl* control = FindControl(window);
        QWidget* frame = control ? FrameWidgetOf(control) : nullptr;
        QWidget* widget = frame ? frame->window() : nullptr;
        if (!widget || widget->windowFlags().testFlag(flag) == on)
            return;
        bool visible = widget->isVisible();
        widget->setWindowFlag(flag, on);
        if (visible)
            widget->show();
    }

    std::map<TTrayIconKey, QSystemTrayIcon*, TKeyLess> FTrayIcons;
};

} // namespace

AnsiString DefaultBoxCaption()
{
    // The title is not made the toolkit's display name: that would be added to
    // the title of every window ("Open - Kelvor").
    if (Application && !Application->Title().empty())
        return Application->Title();
    EnsureQtApplication();
    return FromQString(QApplication::applicationDisplayName());
}

TUIServices& QtUIServices()
{
    static TQtUIServices* services = new TQtUIServices;
    return *services;
}
