#include "platform/block_prefetch.hpp"

#include <utility>

namespace field {

BlockPrefetch::BlockPrefetch(std::FILE* file, std::size_t front, std::size_t blockSize, Buffers& buffers, Read read)
    : file_(file), front_(front), blockSize_(blockSize), read_(std::move(read)) {
    // Not zero-filled: only bytes read are ever looked at.
    const std::size_t each = front_ + blockSize_;
    if (buffers == nullptr || buffers.get_deleter().bytes < 2 * each) buffers = makeLargeArray<char>(2 * each);
    buffer_[0] = buffers.get();
    buffer_[1] = buffers.get() + each;
    thread_ = std::thread([this] { fill(); });
}

BlockPrefetch::~BlockPrefetch() {
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

// The reading thread: fills the slots in turn, each once it is free, until the
// file ends, a read fails or the caller stops it.
void BlockPrefetch::fill() {
    for (int slot = 0;; slot ^= 1) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [&] { return stop_ || state_[slot] == Slot::Free; });
            if (stop_) return;
        }
        // The slot is this thread's alone until it is marked filled.
        int errorNumber = 0;
        const std::size_t got = read_(file_, buffer_[slot] + front_, blockSize_, errorNumber);
        {
            const std::lock_guard<std::mutex> hold(lock_);
            size_[slot] = got;
            error_[slot] = errorNumber;
            state_[slot] = Slot::Filled;
        }
        changed_.notify_all();
        if (got == 0) return;  // the end, or a failure: nothing more to read
    }
}

BlockPrefetch::Block BlockPrefetch::next() {
    const int slot = nextTaken_;
    Block block;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [&] { return state_[slot] == Slot::Filled; });
        state_[slot] = Slot::Taken;
        block = Block{buffer_[slot], size_[slot], error_[slot]};
    }
    nextTaken_ = slot ^ 1;
    return block;
}

void BlockPrefetch::releasePrevious() {
    // The slot taken before the last one is the one taken next.
    const int previous = nextTaken_;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (state_[previous] != Slot::Taken) return;
        state_[previous] = Slot::Free;
    }
    changed_.notify_all();
}

}  // namespace field
