#pragma once
// Reference counting of expression-tree nodes, shared by the engines. A node
// type only needs a public 16-bit `RefCount` and a virtual destructor; each
// engine instantiates these with its own node base and its own compile error
// (raised when a count would pass 65535).
//
//   - A node is created with RefCount 0; every parent that takes it adds one.
//   - ReleaseNode (a parent letting go): above 1 the count is decremented,
//     otherwise the node is destroyed (and releases its own children).
//   - Discard frees a node nobody counts (an uncounted root, a failed attempt).
//   - Named sub-expressions carry kNamedMark so that their users never free them;
//     the expression object frees them itself.

#include <QString>

#include <cstdint>

namespace exprcore {

inline constexpr std::uint16_t kNamedMark = 2000;
inline constexpr std::uint16_t kMaxRefCount = 0xFFFF;

template <class Node>
void ReleaseNodeT(Node* node)
{
    if (!node)
        return;
    if (node->RefCount > 1)
        --node->RefCount;
    else
        delete node;
}

template <class Node>
void DiscardT(Node* node)
{
    if (node && node->RefCount == 0)
        delete node;
}

// Adds one to the count; a count that would overflow raises Overflow(message).
template <class Node, class Overflow>
void AddRefT(Node* node)
{
    if (node->RefCount == kMaxRefCount)
        throw Overflow(QStringLiteral("Expresión demasiado compleja"));
    ++node->RefCount;
}

// Marks a named sub-expression so that no parent ever frees it.
template <class Node>
void MarkNamedT(Node* node)
{
    if (node->RefCount < kNamedMark)
        node->RefCount = static_cast<std::uint16_t>(node->RefCount + kNamedMark);
}

// Keeps a node alive for a scope: the guard counts as one holder (it adds one
// and lets go with ReleaseNode), so a node shared with a half-built tree is
// freed exactly once when an exception interrupts the building.
template <class Node, class Overflow>
class TNodeGuard {
public:
    explicit TNodeGuard(Node* node = nullptr) : m_node(node)
    {
        if (m_node)
            AddRefT<Node, Overflow>(m_node);
    }
    TNodeGuard(const TNodeGuard&) = delete;
    TNodeGuard& operator=(const TNodeGuard&) = delete;
    ~TNodeGuard() { ReleaseNodeT(m_node); }
    Node* get() const { return m_node; }
    // Gives the node back uncounted by the guard (possibly with RefCount 0).
    Node* release()
    {
        Node* n = m_node;
        m_node = nullptr;
        if (n)
            --n->RefCount;
        return n;
    }
private:
    Node* m_node;
};

} // namespace exprcore
