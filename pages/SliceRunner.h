#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class WaitCursor;

// The line a page shows below a long listing or search: how many objects have arrived, and
// Cancel.
class ListingProgress : public QWidget {
    Q_OBJECT
public:
    // `format` holds %1 for the count ("Listing: %1 objects so far").
    ListingProgress(const QString& format, QWidget* parent);
    void showCount(std::size_t objects);
    QPushButton* cancelButton() const { return cancelButton_; }
    QLabel* countLabel() const { return countLabel_; }

private:
    QString format_;
    QLabel* countLabel_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// Runs work that arrives in passes (a listing, a search) a slice of the event loop at a time:
// the first screen of objects at once, the rest in slices of a few milliseconds while the
// window answers input. The wait cursor stays until the work ends; after half a second the
// progress line shows how far it got and offers Cancel.
class SliceRunner : public QObject {
    Q_OBJECT
public:
    struct Work {
        std::function<bool()> pass;           // runs one pass; false once the work is over
        std::function<std::size_t()> arrived; // objects so far
        // Puts what arrived on screen, or a step of it; `all` for the first screen and once
        // the work is over (else it may wait for more). True once all that arrived is shown.
        std::function<bool(bool all)> show;
        std::function<void()> cancel; // stops the work where it stands
    };

    explicit SliceRunner(ListingProgress* progress, QObject* parent = nullptr);
    ~SliceRunner() override;

    // Runs passes until the first screen of objects has arrived (or the work is over), shows
    // them, and leaves the rest to the event loop.
    void start(Work work);
    // Stops the work under way; what arrived stays.
    void cancel();
    bool isRunning() const { return running_; }
    // How long work runs before its progress line shows (half a second to start with).
    void setProgressDelay(qint64 milliseconds) { progressDelayMs_ = milliseconds; }

signals:
    // The work is over: done, failed, or cancelled.
    void finished(bool cancelled);

private:
    void runSlice();
    // Runs passes until the work is over, `objects` have arrived or `milliseconds` passed.
    void runPasses(std::size_t objects, qint64 milliseconds);
    void end(bool cancelled);
    void showProgress();

    ListingProgress* progress_;
    Work work_;
    bool running_ = false; // until what arrived is on screen
    bool passing_ = false; // while passes remain
    std::unique_ptr<WaitCursor> wait_;
    QTimer slices_;
    QElapsedTimer since_;
    qint64 progressDelayMs_ = 500;
};
