// Dropped files: decoding the file manager's URI list, the event filter that
// takes drops on a window's client area, and the WM_DROPFILES it posts.
#include "platform/controls/dragdrop.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <memory>

#include "platform/controls/controls_qt.h"
#include "platform/controls/winapi.h"
#include "platform/core/sysutils.h"

namespace {

const char* const kUriListMime = "text/uri-list";

bool StartsWithNoCase(const AnsiString& s, size_t at, const char* prefix)
{
    size_t n = std::strlen(prefix);
    if (s.size() - at < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = s[at + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool SameHostNoCase(const AnsiString& a, const AnsiString& b)
{
    return a.size() == b.size() && StartsWithNoCase(a, 0, b.c_str());
}

bool IsLocalHost(const AnsiString& host)
{
    if (host.empty() || SameHostNoCase(host, "localhost"))
        return true;
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof(name) - 1) != 0)
        return false;
    AnsiString own = name;
    for (char& c : own)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return SameHostNoCase(host, own);
}

// The local path of one URI, or empty.
AnsiString DecodeFileUri(const AnsiString& uri)
{
    if (!StartsWithNoCase(uri, 0, "file:"))
        return AnsiString();
    size_t at = 5;
    if (uri.compare(at, 2, "//") == 0) {
        size_t slash = uri.find('/', at + 2);
        if (slash == AnsiString::npos || !IsLocalHost(uri.substr(at + 2, slash - at - 2)))
            return AnsiString();
        at = slash;
    } else if (uri.compare(at, 1, "/") != 0) {
        return AnsiString();
    }
    size_t end = uri.find_first_of("?#", at);
    if (end == AnsiString::npos)
        end = uri.size();
    AnsiString path;
    for (size_t i = at; i < end; ++i) {
        char c = uri[i];
        if (c == '%' && i + 2 < end && HexDigitValue(uri[i + 1]) >= 0 && HexDigitValue(uri[i + 2]) >= 0) {
            c = static_cast<char>(HexDigitValue(uri[i + 1]) * 16 + HexDigitValue(uri[i + 2]));
            i += 2;
        }
        if (c == '\0')
            return AnsiString();
        path += c;
    }
    return path;
}

// The local files a drag carries, from its URI list (or, where the toolkit
// offers only its own URL list, from that).
std::vector<AnsiString> DroppedFiles(const QMimeData* data)
{
    if (!data)
        return {};
    if (data->hasFormat(kUriListMime)) {
        QByteArray bytes = data->data(kUriListMime);
        return DecodeUriList(AnsiString(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    std::vector<AnsiString> files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) {
            QByteArray name = QFile::encodeName(url.toLocalFile());
            if (!name.isEmpty())
                files.emplace_back(name.constData(), static_cast<size_t>(name.size()));
        }
    return files;
}

// Takes drags of files on a client widget (its parent, which it dies with).
class TDropFilter : public QObject {
public:
    explicit TDropFilter(QWidget* client) : QObject(client) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A drag between the program's controls is the client area's own.
        const QEvent::Type type = event->type();
        if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
            IsControlDrag(static_cast<QDropEvent*>(event)->mimeData()))
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (DroppedFiles(drag->mimeData()).empty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop:
            Drop(static_cast<QWidget*>(watched), static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
        }
    }

private:
    static void Drop(QWidget* client, QDropEvent* event)
    {
        auto drop = std::make_unique<TDropFiles>();
        drop->Files = DroppedFiles(event->mimeData());
        TWinControl* control = ControlOfWidget(client);
        if (drop->Files.empty() || !control || !control->HandleAllocated()) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        QPoint point = event->position().toPoint();
        drop->Point = Point(point.x(), point.y());
        drop->InClient = client->rect().contains(point);
        // Posted, as the platform posts it: the file manager is not kept
        // waiting while the window opens the files.
        PostMessage(control->Handle(), WM_DROPFILES, std::move(drop), 0);
    }
};

TDropFilter* FilterOf(QWidget* client)
{
    for (QObject* child : client->children())
        if (auto* filter = dynamic_cast<TDropFilter*>(child))
            return filter;
    return nullptr;
}

QWidget* ClientOfHandle(HWND wnd)
{
    TWinControl* control = FindControl(wnd);
    return control ? ClientWidgetOf(control) : nullptr;
}

} // namespace

std::vector<AnsiString> DecodeUriList(const AnsiString& uriList)
{
    std::vector<AnsiString> files;
    size_t start = 0;
    while (start < uriList.size()) {
        size_t end = uriList.find('\n', start);
        if (end == AnsiString::npos)
            end = uriList.size();
        AnsiString line = uriList.substr(start, end - start);
        start = end + 1;
        // Lines end in CR LF; stray blanks around a URI are no part of it.
        size_t first = line.find_first_not_of(" \t\r");
        if (first == AnsiString::npos || line[first] == '#')
            continue;
        size_t last = line.find_last_not_of(" \t\r");
        AnsiString path = DecodeFileUri(line.substr(first, last - first + 1));
        if (!path.empty())
            files.push_back(path);
    }
    return files;
}

void DragAcceptFiles(HWND wnd, bool accept)
{
    TWinControl* control = FindControl(wnd);
    QWidget* client = control ? ClientWidgetOf(control) : nullptr;
    if (!client)
        return;
    TWindowAdapter::SetAcceptsFiles(control, accept);
    TDropFilter* filter = FilterOf(client);
    if (accept && !filter)
        client->installEventFilter(new TDropFilter(client));
    else if (!accept && filter)
        delete filter; // removes itself from the widget's filters
    client->setAcceptDrops(accept);
    SetWindowLong(wnd, GWL_EXSTYLE,
                  accept ? GetWindowLong(wnd, GWL_EXSTYLE) | static_cast<LONG>(WS_EX_ACCEPTFILES)
                         : GetWindowLong(wnd, GWL_EXSTYLE) & ~static_cast<LONG>(WS_EX_ACCEPTFILES));
}

UINT DragQueryFileCount(HDROP drop)
{
    return drop ? static_cast<UINT>(drop->Files.size()) : 0;
}

AnsiString DragQueryFile(HDROP drop, UINT index)
{
    if (!drop || index >= drop->Files.size())
        return AnsiString();
    return drop->Files[index];
}

bool DragQueryPoint(HDROP drop, TPoint& point)
{
    if (!drop)
        return false;
    point = drop->Point;
    return drop->InClient;
}

void DragFinish(HDROP drop)
{
    (void)drop;
}

bool SimulateFileDrop(HWND wnd, const AnsiString& uriList, const TPoint& clientPoint)
{
    QWidget* client = ClientOfHandle(wnd);
    if (!client)
        return false;
    QMimeData data;
    data.setData(kUriListMime, QByteArray(uriList.data(), static_cast<qsizetype>(uriList.size())));
    QPoint point(clientPoint.X, clientPoint.Y);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(client, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(client, &move);
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(client, &drop);
    return drop.isAccepted();
}
