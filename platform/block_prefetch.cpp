#include "platform/block_prefetch.hpp"

#include <utility>

namespace field {

BlockPrefetch::BlockPrefetch(std::FILE* file, std::size_t front, std::size_t blockSize, Buffers& buffers, Read read)
    : file_(file), front_(front), blockSize_(blockSize), read_(std::move(read)) {
    // Not zero-filled: only bytes read are ever looked at.
    const std::size_t each = front_ + blockSize_;
    if (buffers == nullptr || buffers.get_deleter().bytes < std::size_t{kSlots} * each)
        buffers = makeLargeArray<char>(std::size_t{kSlots} * each);
    for (int slot = 0; slot < kSlots; ++slot) buffer_[slot] = buffers.get() + static_cast<std::size_t>(slot) * each;
    thread_ = std::thread([this] { fill(); });
}

BlockPrefetch::~BlockPrefetch() { stop(); }

std::vector<BlockPrefetch::Block> BlockPrefetch::stop() {
    if (!thread_.joinable()) return {};
    {
        const std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    // The thread fills the slots in turn from the one taken next: the filled ones follow it.
    std::vector<Block> ahead;
    for (int k = 0, slot = nextTaken_; k < kSlots && state_[slot] == Slot::Filled; ++k, slot = (slot + 1) % kSlots) {
        state_[slot] = Slot::Taken;
        ahead.push_back(Block{buffer_[slot], size_[slot], error_[slot]});
        if (size_[slot] == 0) break;
    }
    return ahead;
}

// The reading thread: fills the slots in turn, each once it is free, until the
// file ends, a read fails or the caller stops it.
void BlockPrefetch::fill() {
    for (int slot = 0;; slot = (slot + 1) % kSlots) {
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
    nextTaken_ = (slot + 1) % kSlots;
    return block;
}

void BlockPrefetch::releasePrevious() {
    // The slot taken before the last one.
    const int previous = (nextTaken_ + kSlots - 2) % kSlots;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        if (state_[previous] != Slot::Taken) return;
        state_[previous] = Slot::Free;
    }
    changed_.notify_all();
}

}  // namespace field
