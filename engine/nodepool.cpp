#include "engine/nodepool.h"

#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace exprcore {

static_assert(TNodeCells::kStep % alignof(std::max_align_t) == 0);
static_assert(TNodeCells::kBlock % TNodeCells::kStep == 0);

namespace {

// Every block ever taken, reachable until the program ends.
struct Blocks {
    std::mutex lock;
    std::vector<std::unique_ptr<unsigned char[]>> all;
    unsigned char* take()
    {
        std::unique_ptr<unsigned char[]> block(new unsigned char[TNodeCells::kBlock]);
        unsigned char* p = block.get();
        const std::lock_guard<std::mutex> hold(lock);
        all.push_back(std::move(block));
        return p;
    }
};

Blocks& blocks()
{
    static Blocks* b = new Blocks;   // never destroyed: nodes may be freed during exit
    return *b;
}

} // namespace

void* TNodeCells::take(std::size_t size)
{
    const std::size_t c = classOf(size);
    if (FreeCell* cell = m_free[c]) {
        m_free[c] = cell->next;
        return cell;
    }
    const std::size_t bytes = (c + 1) * kStep;
    if (static_cast<std::size_t>(m_end - m_cursor) < bytes) {
        // What is left of the block goes to the free list of its size.
        const std::size_t left = static_cast<std::size_t>(m_end - m_cursor);
        if (left >= kStep)
            give(m_cursor, left);
        m_cursor = blocks().take();
        m_end = m_cursor + kBlock;
    }
    void* p = m_cursor;
    m_cursor += bytes;
    return p;
}

void TNodeCells::give(void* p, std::size_t size) noexcept
{
    const std::size_t c = classOf(size);
    auto* cell = static_cast<FreeCell*>(p);
    cell->next = m_free[c];
    m_free[c] = cell;
}

#if EXPRCORE_NODE_POOL

namespace {
thread_local TNodeCells t_cells;
} // namespace

void* AllocateNode(std::size_t size)
{
    if (size == 0 || size > TNodeCells::kLargest)
        return ::operator new(size);
    return t_cells.take(size);
}

void FreeNode(void* p, std::size_t size) noexcept
{
    if (!p)
        return;
    if (size == 0 || size > TNodeCells::kLargest) {
        ::operator delete(p);
        return;
    }
    t_cells.give(p, size);
}

#else

void* AllocateNode(std::size_t size) { return ::operator new(size); }
void FreeNode(void* p, std::size_t) noexcept { ::operator delete(p); }

#endif

} // namespace exprcore
