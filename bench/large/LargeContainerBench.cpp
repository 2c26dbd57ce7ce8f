// The browser on a data folder with one very large container (bench/data/large-data.sh):
// loading the directory and opening the page, entering the container (first rows, whole
// listing), how long the window went without handling an event meanwhile, leaving the
// container, and the program's peak memory. Prints one line per figure.
//
//   bash bench/data/large-data.sh 1000000 /tmp/large
//   build/default/bench/large/ostrel_bench_large /tmp/large [Large]
#include "browser/BrowserPage.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "pages/ObjectListModel.h"
#include "pages/Reporter.h"
#include "tests/support/ObjectRows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <sys/resource.h>

namespace {

class CountingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString& text) override {
        ++count;
        std::fprintf(stderr, "page said: %s\n", qPrintable(text));
    }
    int count = 0;
};

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The longest time between two ticks of a 1 ms timer: how long the window went without
// handling an event.
class GapMeter : public QObject {
public:
    GapMeter() {
        ticks_.setInterval(1);
        connect(&ticks_, &QTimer::timeout, this, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start() {
        longest_ = 0;
        clock_.start();
        last_ = 0;
        ticks_.start();
    }
    double stopMs() {
        ticks_.stop();
        longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
        return double(longest_) / 1e6;
    }

private:
    QTimer ticks_;
    QElapsedTimer clock_;
    qint64 last_ = 0, longest_ = 0;
};

// With OSTREL_BENCH_SLOW_EVENTS set, prints every event whose handling took over 20 ms: what
// held the window when the longest gap is too long.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (!reportSlow_)
            return QApplication::notify(receiver, event);
        QElapsedTimer took;
        took.start();
        const int type = int(event->type());
        const bool handled = QApplication::notify(receiver, event);
        if (const qint64 ms = took.elapsed(); ms > 20)
            std::fprintf(stderr, "slow event: type %d to %s: %lld ms\n", type,
                         receiver->metaObject()->className(), static_cast<long long>(ms));
        return handled;
    }

private:
    bool reportSlow_ = !qEnvironmentVariableIsEmpty("OSTREL_BENCH_SLOW_EVENTS");
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QElapsedTimer sinceStart;
    sinceStart.start();
    TimedApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATA-FOLDER [CONTAINER]\n", argv[0]);
        return 2;
    }
    const QString container = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "Large";

    EmbeddedDirectory::Options options;
    options.dataDir = argv[1];
    std::string error;
    auto directory = EmbeddedDirectory::open(options, &error);
    if (!directory) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double loadedMs = double(sinceStart.nsecsElapsed()) / 1e6;
    CountingReporter reporter;
    CBrowserPage page(PageServices{*directory, reporter}, nullptr);
    page.create();
    page.resize(800, 600);
    page.show();
    QCoreApplication::processEvents();
    std::printf("start (load %.0f ms, page shown): %.0f ms\n", loadedMs,
                double(sinceStart.nsecsElapsed()) / 1e6);
    std::printf("peak RSS after start: %.0f MB\n", peakMegabytes());

    QListWidgetItem* entry = page.containerList()->findItems(container, Qt::MatchExactly).value(0);
    if (entry == nullptr) {
        std::fprintf(stderr, "no container %s\n", qPrintable(container));
        return 1;
    }
    GapMeter gaps;
    QElapsedTimer entering;
    entering.start();
    page.moveTo(entry);
    QCoreApplication::processEvents(); // the first rows painted
    const double firstMs = double(entering.nsecsElapsed()) / 1e6;
    const int first = rows::count(rows::top(page.objectTree()));
    gaps.start();
    rows::finishListing(page);
    const double longestGap = gaps.stopMs();
    const double wholeMs = double(entering.nsecsElapsed()) / 1e6;
    const int objects = rows::count(rows::top(page.objectTree()));
    std::printf("first rows (%d) shown: %.0f ms\n", first, firstMs);
    std::printf("whole listing (%d objects): %.0f ms\n", objects, wholeMs);
    std::printf("longest time without handling an event while listing: %.1f ms\n", longestGap);
    std::printf("peak RSS with the container shown: %.0f MB\n", peakMegabytes());

    // Leaving: the page back at the context above, and the next event handled.
    QElapsedTimer leaving;
    leaving.start();
    gaps.start();
    page.moveTo(page.containerList()->item(0));
    QCoreApplication::processEvents();
    const double leftMs = double(leaving.nsecsElapsed()) / 1e6;
    const double leaveGap = gaps.stopMs();
    std::printf("leaving the container, next event handled: %.0f ms (longest gap %.1f ms)\n",
                leftMs, leaveGap);
    std::printf("peak RSS: %.0f MB\n", peakMegabytes());
    return reporter.count == 0 && objects > 0 ? 0 : 1;
}
