// The other end of a drag for the end-to-end tests: a window with one masked line edit that takes text dropped
// on it and reports the text through a file.
//
//   drop_target [--title TITLE] [--out FILE] [--hover FILE] [--copy] [--at X,Y] [--timeout SECONDS]
//
// SIGTERM keeps its default action: the file is only ever replaced whole, so there is nothing to finish.

#include <QApplication>
#include <QCommandLineParser>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <functional>

namespace {

class TargetEdit : public QLineEdit
{
public:
    TargetEdit(bool copyOnly, QWidget* parent) : QLineEdit(parent), m_copyOnly(copyOnly)
    {
        setEchoMode(QLineEdit::Password);
    }

    std::function<void()> onHover;
    std::function<void(Qt::DropAction, qsizetype)> onDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        QLineEdit::dragEnterEvent(event);
        restrictToCopy(event);
        std::fprintf(stderr, "drop_target: drag entered, %s\n", event->isAccepted() ? "accepted" : "refused");
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        QLineEdit::dragMoveEvent(event);
        restrictToCopy(event);
        if (event->isAccepted() && onHover) {
            onHover();
        }
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        QLineEdit::dragLeaveEvent(event);
        std::fputs("drop_target: drag left\n", stderr);
    }

    void dropEvent(QDropEvent* event) override
    {
        // Each drop replaces the text, so that the file holds exactly what the last drop delivered.
        clear();
        QLineEdit::dropEvent(event);
        restrictToCopy(event);
        if (onDrop) {
            onDrop(event->isAccepted() ? event->dropAction() : Qt::IgnoreAction, text().size());
        }
    }

private:
    // QLineEdit accepts the action the source proposes; the answer set afterwards is the one sent back.
    void restrictToCopy(QDropEvent* event) const
    {
        if (!m_copyOnly || !event->isAccepted()) {
            return;
        }
        if (event->possibleActions() & Qt::CopyAction) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        } else {
            event->ignore();
        }
    }

    bool m_copyOnly;
};

const char* actionName(Qt::DropAction action)
{
    switch (action) {
    case Qt::MoveAction:
        return "move";
    case Qt::CopyAction:
        return "copy";
    case Qt::IgnoreAction:
        return "none";
    default:
        return "other";
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription("Drop target for the end-to-end tests.");
    parser.addHelpOption();
    const QCommandLineOption titleOption("title", "Window title.", "title", "Glyphward drop target");
    const QCommandLineOption outOption("out", "File that receives the field's text after every change and drop.",
                                       "file");
    const QCommandLineOption hoverOption("hover", "File created once the field has accepted a drag over it.", "file");
    const QCommandLineOption copyOption("copy", "Accept drops only as copy.");
    const QCommandLineOption atOption("at", "Position of the window.", "x,y", "700,500");
    const QCommandLineOption timeoutOption("timeout", "Quit after this many seconds.", "seconds", "60");
    parser.addOptions({titleOption, outOption, hoverOption, copyOption, atOption, timeoutOption});
    parser.process(app);

    bool xOk = false;
    bool yOk = false;
    const QStringList at = parser.value(atOption).split(',');
    const int x = at.value(0).toInt(&xOk);
    const int y = at.value(1).toInt(&yOk);
    bool timeoutOk = false;
    const int timeoutSeconds = parser.value(timeoutOption).toInt(&timeoutOk);
    if (at.size() != 2 || !xOk || !yOk || !timeoutOk || timeoutSeconds <= 0) {
        std::fputs("drop_target: --at wants X,Y and --timeout a positive number of seconds\n", stderr);
        return 2;
    }
    const QString outPath = parser.value(outOption);
    const QString hoverPath = parser.value(hoverOption);

    QWidget window;
    window.setWindowTitle(parser.value(titleOption));
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new TargetEdit(parser.isSet(copyOption), &window);
    layout->addWidget(edit);
    window.resize(320, 60);
    window.move(x, y);

    // The files are written from the event loop, which by then has sent its answer to the drag: a test that
    // sees a file can act on the drag's source at once. The source drops only once it has an answer: a
    // release before that cancels the drag.
    QTimer writeTimer;
    writeTimer.setSingleShot(true);
    writeTimer.setInterval(0);
    QObject::connect(&writeTimer, &QTimer::timeout, [&] {
        if (outPath.isEmpty()) {
            return;
        }
        // QSaveFile writes beside the target and renames: a reader never sees half a write.
        QSaveFile file(outPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(edit->text().toUtf8()) < 0 || !file.commit()) {
            std::fprintf(stderr, "drop_target: cannot write %s: %s\n", qPrintable(outPath),
                         qPrintable(file.errorString()));
        }
    });
    QObject::connect(edit, &QLineEdit::textChanged, &writeTimer, qOverload<>(&QTimer::start));
    QTimer hoverTimer;
    hoverTimer.setSingleShot(true);
    hoverTimer.setInterval(0);
    QObject::connect(&hoverTimer, &QTimer::timeout, [&] {
        QFile file(hoverPath);
        if (!hoverPath.isEmpty() && !file.exists() && !file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "drop_target: cannot create %s: %s\n", qPrintable(hoverPath),
                         qPrintable(file.errorString()));
        }
    });
    edit->onHover = [&hoverTimer] { hoverTimer.start(); };
    edit->onDrop = [&writeTimer](Qt::DropAction action, qsizetype length) {
        std::fprintf(stderr, "drop_target: drop taken as %s, field holds %lld characters\n", actionName(action),
                     static_cast<long long>(length));
        writeTimer.start();
    };

    QTimer::singleShot(timeoutSeconds * 1000, &app, &QApplication::quit);
    window.show();
    return QApplication::exec();
}
