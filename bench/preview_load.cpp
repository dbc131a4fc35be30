// The preview's load time: LoadBookmark to the browser control's OnAfterNavigate in the
// preview window, against the floor, QWebEngineView::load to loadFinished in a plain view of
// the same size with the default profile and settings. Both windows live in one process and
// take turns, so that a busy machine slows both alike; each has loaded the file once before
// (engine start-up, warm caches). One "vantrelle_ms=" and one "floor_ms=" line per turn.
//
//   vbench-preview-load FILE REPETITIONS [--plain-control] [--floor-in-window]
//
// --plain-control gives the preview window a browser control that is a plain QWebEngineView
// (default profile and settings), to tell the window's cost from the locked-down engine's.

#include "EngineModule.h"
#include "PreviewHost.h"
#include "preview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

// Runs `start` and the event loop until `finished` is signalled; milliseconds, or -1 after
// two minutes.
double timeLoad(const std::function<void()> &start, QEventLoop &loop)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    guard.start(120000);
    QElapsedTimer t;
    t.start();
    start();
    const int failed = loop.exec();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    return failed ? -1 : ms;
}

// A browser control with nothing of the preview's lock-down.
class PlainControl final : public TBrowserControl {
public:
    explicit PlainControl(QWidget *parent)
        : m_view(new QWebEngineView(parent))
    {
        QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, [this] {
            if (deliverEvent)
                deliverEvent(DISPID_NAVIGATECOMPLETE);
        });
    }
    ~PlainControl() override { delete m_view; }
    QWidget *view() override { return m_view; }
    bool Navigate(const QString &url, const QVariant &, const QVariant &, const QVariant &,
        const QVariant &) override
    {
        m_view->load(QUrl::fromLocalFile(url));
        return true;
    }
    std::optional<bool> Busy() override { return false; }

private:
    QWebEngineView *m_view;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: vbench-preview-load FILE REPETITIONS [--plain-control] [--floor-in-window]\n");
        return 2;
    }
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int reps = QByteArray(argv[2]).toInt();

    QEventLoop loop;
    TPreviewHost host;
    host.PreviewFile = file;
    BrowserFactory factory = EngineFactory(QStringLiteral(VANTRELLE_ENGINE_DIR));
    if (argc > 3 && QByteArray(argv[3]) == "--plain-control")
        factory = [](QWidget *parent) { return std::make_unique<PlainControl>(parent); };
    TPreviewForm form(&host, factory);
    form.SetBounds(500, 98, 280, 330);
    form.show();
    form.Preview1->OnAfterNavigate = [&loop](QObject *) { loop.exit(0); };
    std::function<void()> vantrelle = [&form] { form.LoadBookmark(); };

    // --floor-in-window: the floor's view sits in a window of the preview's size above a
    // 45-pixel panel, as the preview's does, instead of being a window itself.
    const bool floorInWindow = argc > 3 && QByteArray(argv[argc - 1]) == "--floor-in-window";
    QWidget floorWindow;
    QWebEngineView view(floorInWindow ? &floorWindow : nullptr);
    if (floorInWindow) {
        floorWindow.setGeometry(800, 98, 280, 330);
        view.setGeometry(0, 0, 280, 285);
        floorWindow.show();
    } else {
        view.setGeometry(800, 98, 280, 285);
        view.show();
    }
    QObject::connect(
        &view, &QWebEngineView::loadFinished, &loop, [&loop](bool ok) { loop.exit(ok ? 0 : 1); });
    const QUrl url = QUrl::fromLocalFile(file);
    const std::function<void()> bare = [&view, url] { view.load(url); };

    // --two-floors: a second bare view in the preview window's place stands in for the
    // preview, to see what the benchmark's own arrangement costs.
    std::unique_ptr<QWebEngineView> second;
    if (argc > 3 && QByteArray(argv[3]) == "--two-floors") {
        form.hide();
        second = std::make_unique<QWebEngineView>();
        second->setGeometry(500, 98, 280, 285);
        second->show();
        QObject::connect(second.get(), &QWebEngineView::loadFinished, &loop,
            [&loop](bool ok) { loop.exit(ok ? 0 : 1); });
        vantrelle = [&second, url = QUrl::fromLocalFile(file)] { second->load(url); };
    }
    std::printf("warmup_vantrelle_ms=%.1f\n", timeLoad(vantrelle, loop));
    std::printf("warmup_floor_ms=%.1f\n", timeLoad(bare, loop));
    for (int i = 0; i < reps; ++i) {
        double v = 0;
        double f = 0;
        if (i % 2 == 0) {
            v = timeLoad(vantrelle, loop);
            f = timeLoad(bare, loop);
        } else {
            f = timeLoad(bare, loop);
            v = timeLoad(vantrelle, loop);
        }
        std::printf("vantrelle_ms=%.1f\nfloor_ms=%.1f\n", v, f);
        std::fflush(stdout);
    }
    return 0;
}
