#pragma once
// The storage of expression-tree nodes. A long text builds and frees hundreds
// of thousands of small nodes at every compile; taken one by one from the
// general allocator, each costs a search of its bins and, once a large tree is
// freed, the pages handed back and faulted in again at the next compile. Here
// nodes come from blocks kept for the life of the program, one free list per
// size (in steps of 16 bytes), each thread with its own lists.
//
// Builds with the address sanitizer take every node from the general allocator,
// so that a node used after it is freed is still caught (TNodeCells itself is
// built, and tested, in every build).

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define EXPRCORE_NODE_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EXPRCORE_NODE_POOL 0
#endif
#endif
#ifndef EXPRCORE_NODE_POOL
#define EXPRCORE_NODE_POOL 1
#endif

namespace exprcore {

// Cells of up to kLargest bytes, in steps of kStep, aligned as operator new
// aligns; a cell given back is the next one taken of its size. The blocks the
// cells are cut from are never returned (they stay reachable until the program
// ends); a store that goes only leaves its free cells unused.
class TNodeCells {
public:
    static constexpr std::size_t kStep = 16;
    static constexpr std::size_t kLargest = 512;
    static constexpr std::size_t kBlock = 64 * 1024;

    // `size` in 1..kLargest; a cell of the same size class is given back with give.
    void* take(std::size_t size);
    void give(void* p, std::size_t size) noexcept;

private:
    struct FreeCell {
        FreeCell* next;
    };
    static constexpr std::size_t kClasses = kLargest / kStep;
    static std::size_t classOf(std::size_t size) { return (size + kStep - 1) / kStep - 1; }
    FreeCell* m_free[kClasses] = {};
    unsigned char* m_cursor = nullptr;   // the rest of the current block
    unsigned char* m_end = nullptr;
};

// Storage for a node of `size` bytes (aligned as operator new aligns), and its
// return; `size` must be the one it was taken with. Each thread has its store.
void* AllocateNode(std::size_t size);
void FreeNode(void* p, std::size_t size) noexcept;

} // namespace exprcore
