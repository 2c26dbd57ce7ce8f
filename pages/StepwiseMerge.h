#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

// Merges a batch of sorted runs into a sorted sequence a step at a time, so that a long merge
// can be spread over the event loop while the sequence stays as it is: first the runs with
// each other, pair by pair, then the batch with the sequence into a new one
// (a bounded number of elements per step). Stable: among equals the sequence's elements come
// first, then the runs' in their order.
template <class T, class Less> class StepwiseMerge {
public:
    explicit StepwiseMerge(Less less) : less_(std::move(less)) {}

    bool active() const { return active_; }
    std::size_t batchSize() const { return batch_.size(); }

    // `runEnds` holds the end of each sorted run of `batch`, the last one its size.
    void start(std::vector<T> batch, std::vector<std::size_t> runEnds) {
        batch_ = std::move(batch);
        runEnds_ = std::move(runEnds);
        merged_.clear();
        fromSequence_ = fromBatch_ = 0;
        nextRun_ = 0;
        active_ = true;
    }

    // One step against `sequence`, which must be the same at every step: at most `budget`
    // elements placed. True once the merge is complete and take() gives the result.
    bool step(const std::vector<T>& sequence, std::size_t budget) {
        if (runEnds_.size() > 1) {
            mergeRuns(budget);
            return false;
        }
        if (merged_.empty())
            merged_.reserve(sequence.size() + batch_.size());
        const std::size_t until = std::min(merged_.size() + budget, merged_.capacity());
        while (merged_.size() < until) {
            const bool batchNext =
                fromBatch_ < batch_.size() && (fromSequence_ == sequence.size() ||
                                               less_(batch_[fromBatch_], sequence[fromSequence_]));
            merged_.push_back(batchNext ? batch_[fromBatch_++] : sequence[fromSequence_++]);
        }
        return merged_.size() == sequence.size() + batch_.size();
    }

    // The merged sequence; the merge is over.
    std::vector<T> take() {
        active_ = false;
        std::vector<T>().swap(batch_);
        std::vector<T>().swap(scratch_);
        runEnds_.clear();
        return std::exchange(merged_, {});
    }

    void cancel() { take(); }

private:
    // Merges the next two runs of the batch, `budget` elements at a time, through a scratch
    // buffer; after the last pair the next round begins.
    void mergeRuns(std::size_t budget) {
        const std::size_t begin = nextRun_ == 0 ? 0 : runEnds_[nextRun_ - 1];
        const std::size_t middle = runEnds_[nextRun_], end = runEnds_[nextRun_ + 1];
        if (scratch_.empty()) {
            scratch_.reserve(end - begin);
            left_ = begin;
            right_ = middle;
        }
        const std::size_t until = std::min(scratch_.size() + budget, end - begin);
        while (scratch_.size() < until) {
            const bool rightNext =
                right_ < end && (left_ == middle || less_(batch_[right_], batch_[left_]));
            scratch_.push_back(rightNext ? batch_[right_++] : batch_[left_++]);
        }
        if (scratch_.size() < end - begin)
            return;
        std::copy(scratch_.begin(), scratch_.end(), batch_.begin() + std::ptrdiff_t(begin));
        scratch_.clear();
        runEnds_.erase(runEnds_.begin() + std::ptrdiff_t(nextRun_));
        ++nextRun_;
        if (nextRun_ + 1 >= runEnds_.size())
            nextRun_ = 0;
    }

    Less less_;
    bool active_ = false;
    std::vector<T> batch_;
    std::vector<std::size_t> runEnds_;
    std::size_t nextRun_ = 0; // the first run of the pair being merged
    std::vector<T> scratch_;
    std::size_t left_ = 0, right_ = 0;
    std::vector<T> merged_;
    std::size_t fromSequence_ = 0, fromBatch_ = 0;
};
