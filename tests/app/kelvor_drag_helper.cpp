// A stand-in for a file manager in the end-to-end tests: a small window that
// starts a real drag of a text/uri-list when the mouse is pressed on it.
//
//   kelvor_drag_helper TITLE URI...
//
// The window is titled TITLE so that the test can find it. The program says
// on its standard output, one line each, what a test must wait for before its
// next step:
//   "shown"            the window is painted: a press on it starts the drag
//   "drag begun"       the drag runs: the pointer's moves and its release
//                      are the drag's
//   "target accepts"   a window answered the drag's position with an action,
//                      where before none was offered: a release now drops
//                      ("target refuses": the answer came back to none)
//   "accepted" / "ignored"   how the drag ended.
// The program then stays, as the target fetches the dragged data from it
// after the drop, until it is ended (or its X server is).
//
// The toolkit tells the source of a target's answer only through the
// action's change signal; its target signal names windows of this program
// alone, so another program's window is told by the action.
#include <QApplication>
#include <QByteArray>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

void Say(const char* words)
{
    std::printf("%s\n", words);
    std::fflush(stdout);
}

class TDragSource : public QWidget {
public:
    explicit TDragSource(QByteArray UriList) : FUriList(std::move(UriList)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!FShown) {
            FShown = true;
            // Said once this paint is on the screen: after the event loop
            // has flushed it.
            QTimer::singleShot(0, this, [] { Say("shown"); });
        }
    }

    void mousePressEvent(QMouseEvent* Event) override
    {
        if (Event->button() != Qt::LeftButton || FDragging)
            return;
        FDragging = true;
        auto* data = new QMimeData;
        data->setData("text/uri-list", FUriList);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // The toolkit answers a target's status with this signal only when
        // the action changes; the drag starts with none.
        connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            Say(action == Qt::IgnoreAction ? "target refuses" : "target accepts");
        });
        // The first turn of the drag's own event loop: the drag has taken the
        // pointer.
        QTimer::singleShot(0, this, [] { Say("drag begun"); });
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        Say(action == Qt::CopyAction ? "accepted" : "ignored");
    }

private:
    QByteArray FUriList;
    bool FShown = false;
    bool FDragging = false;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE URI...\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    // RFC 2483: one URI a line, each line ended by CR LF.
    QByteArray uriList;
    for (int i = 2; i < argc; ++i)
        uriList += QByteArray(argv[i]) + "\r\n";
    TDragSource source(uriList);
    source.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    source.setGeometry(0, 0, 120, 80);
    source.show();
    return app.exec();
}
