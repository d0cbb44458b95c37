// A stand-in for a file manager in the end-to-end tests: a small window that
// starts a real drag of a text/uri-list when the mouse is pressed on it.
//
//   kelvor_drag_helper TITLE URI...
//
// The window is titled TITLE so that the test can find it. Once the drag ends
// the program prints "accepted" or "ignored"; it stays a few seconds longer,
// as the target fetches the dragged data from it after the drop, then exits
// (0 when accepted).
#include <QApplication>
#include <QByteArray>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class TDragSource : public QWidget {
public:
    explicit TDragSource(QByteArray UriList) : FUriList(std::move(UriList)) {}

protected:
    void mousePressEvent(QMouseEvent* Event) override
    {
        if (Event->button() != Qt::LeftButton)
            return;
        auto* data = new QMimeData;
        data->setData("text/uri-list", FUriList);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("%s\n", action == Qt::CopyAction ? "accepted" : "ignored");
        std::fflush(stdout);
        const int code = action == Qt::CopyAction ? 0 : 1;
        QTimer::singleShot(5000, [code] { QApplication::exit(code); });
    }

private:
    QByteArray FUriList;
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
