#pragma once
// Reading a file's next blocks on a second thread while the current one is
// parsed: a ring of buffers, filled in turn ahead of the caller, so that a
// reading thread kept off the processor for a while (by the run's other
// threads) does not hold the caller up. The hand-over happens once per block,
// never per line. Each buffer keeps
// room in front of its block, so the caller can put the unfinished line of
// the previous block right before the new bytes without moving the block.

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/large_allocation.hpp"

namespace field {

class BlockPrefetch {
public:
    /// Reads up to `size` bytes; 0 at the end, 0 with `errorNumber` set when the read failed.
    using Read = std::function<std::size_t(std::FILE* file, char* into, std::size_t size, int& errorNumber)>;

    /// A filled buffer handed to the caller: the block's bytes are [data + front, data + front + size).
    struct Block {
        char* data = nullptr;
        std::size_t size = 0;  // 0: the file ended (or failed, see errorNumber)
        int errorNumber = 0;
    };

    /// Buffers in the ring: the caller holds two (the block it parses and the one before, whose
    /// unfinished line it moves), the reading thread fills the others ahead of it.
    static constexpr int kSlots = 16;

    /// The ring's buffers, `front + blockSize` bytes each, in one allocation; kept by the owner
    /// from file to file, so their pages are mapped once, not once per file.
    using Buffers = LargeArray<char>;

    /// Starts reading `file` into `buffers` in blocks of `blockSize` with `front` bytes of room
    /// before each; throws std::system_error when no thread can be started.
    BlockPrefetch(std::FILE* file, std::size_t front, std::size_t blockSize, Buffers& buffers, Read read);
    /// Stops the reading thread (waiting for a read under way).
    ~BlockPrefetch();
    BlockPrefetch(const BlockPrefetch&) = delete;
    BlockPrefetch& operator=(const BlockPrefetch&) = delete;

    /// Waits for the next block and hands its buffer over. The buffer handed over before
    /// stays the caller's until releasePrevious().
    Block next();
    /// Gives the buffer handed over before the last next() back to be filled again.
    void releasePrevious();
    /// Stops the reading thread (waiting for a read under way) and hands over every block it
    /// has read ahead, in file order, up to and with the first of size 0: the file position
    /// then follows the last of them. The buffers stay valid as long as the owner's Buffers.
    std::vector<Block> stop();
    /// Room in front of each block.
    std::size_t front() const { return front_; }

private:
    enum class Slot { Free, Filled, Taken };
    void fill();

    std::FILE* file_;
    std::size_t front_;
    std::size_t blockSize_;
    Read read_;
    char* buffer_[kSlots] = {};
    Slot state_[kSlots] = {};
    std::size_t size_[kSlots] = {};
    int error_[kSlots] = {};
    int nextTaken_ = 0;  // the slot the caller takes next
    bool stop_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread thread_;  // last: started once everything above is set
};

}  // namespace field
