#pragma once

#include "directory/Codes.h"
#include "directory/ResultCodes.h"

#include <cstdint>
#include <limits>
#include <map>

// Positions of unfinished multi-pass reads, by the iteration handle given to the caller.
// Handles are never -1 and never reused; a read abandoned half way is forgotten once too
// many others are pending.
template <class State> class IterationTable {
public:
    static constexpr std::size_t kMaxPending = 4096;

    std::int32_t issue(State state) {
        if (pending_.size() >= kMaxPending)
            pending_.erase(pending_.begin());
        while (pending_.count(next_) != 0)
            advance();
        const std::int32_t handle = next_;
        advance();
        pending_.emplace(handle, std::move(state));
        return handle;
    }
    State* find(std::int32_t handle) {
        auto it = pending_.find(handle);
        return it == pending_.end() ? nullptr : &it->second;
    }
    void finish(std::int32_t handle) { pending_.erase(handle); }
    // Forgets the read of `context` under `handle`; false when the context has none there.
    template <class Context> bool close(std::int32_t handle, Context context) {
        auto it = pending_.find(handle);
        if (it == pending_.end() || it->second.context != context)
            return false;
        pending_.erase(it);
        return true;
    }
    // Drops the pending reads `belongs` says are gone (e.g. those of a released context).
    template <class Pred> void forgetIf(Pred belongs) {
        for (auto it = pending_.begin(); it != pending_.end();)
            it = belongs(it->second) ? pending_.erase(it) : std::next(it);
    }
    std::size_t pending() const { return pending_.size(); }

    // The read a handle continues: none for a new read (-1), else a pending one of this kind
    // and context (ERR_INVALID_ITERATION for any other handle).
    template <class Kind, class Context>
    NWDSCCODE claim(std::int32_t handle, Kind kind, Context context, State*& out) {
        out = nullptr;
        if (handle == NO_MORE_ITERATIONS)
            return 0;
        State* p = find(handle);
        if (p == nullptr || p->kind != kind || p->context != context)
            return ERR_INVALID_ITERATION;
        out = p;
        return 0;
    }
    // After a pass: a finished read is forgotten and the handle set to -1; an unfinished new
    // one is kept under a handle given to the caller.
    void finishPass(bool done, State& state, std::int32_t* handle) {
        if (done) {
            if (*handle != NO_MORE_ITERATIONS)
                finish(*handle);
            *handle = NO_MORE_ITERATIONS;
            return;
        }
        if (*handle == NO_MORE_ITERATIONS)
            *handle = issue(std::move(state));
    }

private:
    // Handles count up from 1 and start over after the largest, never reaching -1 or 0.
    void advance() { next_ = next_ == std::numeric_limits<std::int32_t>::max() ? 1 : next_ + 1; }

    std::map<std::int32_t, State> pending_;
    std::int32_t next_ = 1;
};
