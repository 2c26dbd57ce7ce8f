#include "SliceRunner.h"

#include "WaitCursor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
// Objects shown before the page returns to the user: more than a screen holds.
constexpr std::size_t kFirstScreen = 1000;
constexpr qint64 kFirstScreenMs = 400;
// What one slice of the event loop spends on the work.
constexpr qint64 kSliceMs = 15;

QString grouped(std::size_t n) {
    QString digits = QString::number(qulonglong(n));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}
} // namespace

ListingProgress::ListingProgress(const QString& format, QWidget* parent)
    : QWidget(parent), format_(format) {
    setObjectName(QStringLiteral("listingProgress"));
    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("listingCount"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelListingButton"));
    cancelButton_->setAccessibleName(QStringLiteral("Cancel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(countLabel_, 1);
    row->addWidget(cancelButton_);
    hide();
}

void ListingProgress::showCount(std::size_t objects) {
    const QString text = format_.arg(grouped(objects));
    countLabel_->setText(text);
    countLabel_->setAccessibleName(text);
}

SliceRunner::SliceRunner(ListingProgress* progress, QObject* parent)
    : QObject(parent), progress_(progress) {
    slices_.setInterval(0);
    connect(&slices_, &QTimer::timeout, this, &SliceRunner::runSlice);
    if (progress_)
        connect(progress_->cancelButton(), &QPushButton::clicked, this, &SliceRunner::cancel);
}

SliceRunner::~SliceRunner() {
    slices_.stop();
}

void SliceRunner::start(Work work) {
    cancel();
    work_ = std::move(work);
    running_ = passing_ = true;
    since_.start();
    runPasses(kFirstScreen, kFirstScreenMs);
    if (work_.show(true) && !passing_) {
        running_ = false;
        end(false);
        return;
    }
    wait_ = std::make_unique<WaitCursor>();
    slices_.start();
    showProgress();
}

void SliceRunner::runPasses(std::size_t objects, qint64 milliseconds) {
    QElapsedTimer slice;
    slice.start();
    while (passing_) {
        passing_ = work_.pass();
        if (work_.arrived() >= objects || slice.elapsed() >= milliseconds)
            break;
    }
}

void SliceRunner::runSlice() {
    if (!running_)
        return;
    runPasses(std::size_t(-1), kSliceMs);
    if (work_.show(!passing_) && !passing_) {
        running_ = false;
        end(false);
        return;
    }
    showProgress();
}

void SliceRunner::showProgress() {
    if (progress_ && since_.elapsed() >= progressDelayMs_) {
        progress_->showCount(work_.arrived());
        progress_->show();
    }
}

void SliceRunner::cancel() {
    if (!running_)
        return;
    running_ = false;
    if (passing_) {
        passing_ = false;
        work_.cancel();
    }
    while (!work_.show(true)) {
    }
    end(true);
}

void SliceRunner::end(bool cancelled) {
    slices_.stop();
    wait_.reset();
    if (progress_)
        progress_->hide();
    work_ = Work{};
    emit finished(cancelled);
}
