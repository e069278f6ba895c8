#pragma once
// The value-independent part of the engines' compilers: the memory of attempts
// of one compile, the driver of a parse level around it (work and depth caps,
// lookup and storing of attempts with the message they left) and the guard of
// a call's arguments. Each engine instantiates it with its node base, its
// compile error and its unknown-name error; what it parses stays its own.
//
// Every attempt (level, substring) is remembered for the length of one compile,
// with its node and the message it left, so that a substring met again costs
// nothing and gives the very same outcome. Without this memory the splitter is
// exponential in the nesting depth.

#include "engine/refnode.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace exprcore {

// An attempt is known by where its text lies (texts are kept alive and never
// share their characters) and by its level.
struct MemoKey {
    const QChar* data;
    qsizetype size;
    int level;
    bool operator==(const MemoKey& o) const { return data == o.data && size == o.size && level == o.level; }
};

struct MemoKeyHash {
    std::size_t operator()(const MemoKey& k) const noexcept
    {
        std::size_t h = std::hash<const void*>()(k.data);
        h ^= std::hash<qsizetype>()(k.size) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h ^ (static_cast<std::size_t>(k.level) << 1);
    }
};

// The memory of one compile.
template <class Node>
struct TCompileMemo {
    struct Entry {
        Node* node = nullptr;    // counted by the memo
        bool ok = false;
        bool raised = false;     // the attempt raised the unknown-name error
        bool wrote = false;      // the attempt wrote the parse message
        QString message;         // what it wrote last
    };
    std::unordered_map<MemoKey, Entry, MemoKeyHash> entries;
    std::deque<QString> texts;   // every text parsed in this compile, kept alive
    int depth = 0;
    char* stackTop = nullptr;
    std::uint64_t calls = 0;     // attempts asked for, remembered or not
    std::uint64_t work = 0;      // characters of the attempts made
    // The expression's parse message and the count of its writes, pointed at
    // by the driver at each level.
    QString* message = nullptr;
    std::uint64_t* writes = nullptr;
    std::vector<const void*> expanding;   // user functions whose bodies are being compiled
    // The state of the linear compile path (engine/fastcompiler.h) while it
    // answers this compile's levels; none while the splitter does.
    void* fast = nullptr;

    TCompileMemo() = default;
    TCompileMemo(const TCompileMemo&) = delete;
    TCompileMemo& operator=(const TCompileMemo&) = delete;

    // A copy with storage of its own: the attempts are remembered by where
    // their text lies, so two texts must never share their characters.
    const QString& keep(const QString& s)
    {
        texts.push_back(QString(s.constData(), s.size()));
        return texts.back();
    }

    // Forgets every attempt; `keepNode` (a result still in use, possibly
    // uncounted) survives.
    void forget(Node* keepNode = nullptr)
    {
        if (keepNode)
            ++keepNode->RefCount;
        for (auto& [k, e] : entries)
            if (e.node)
                ReleaseNodeT(e.node);
        entries.clear();
        if (keepNode)
            --keepNode->RefCount;
    }

    ~TCompileMemo() { forget(); }
};

// The caps of a compile.
struct CompileLimits {
    int maxDepth;                  // nested attempts
    std::uint64_t maxAttempts;     // attempts asked for
    std::uint64_t maxWork;         // characters of the attempts made
    std::ptrdiff_t stackBudget;    // bytes of stack below the compile's start
};

// One parse level with its memory. CompileError ends a compile; UnknownName
// (derived from it) is remembered too, as the implicit-product rules may meet it
// again and again. `message` and `writes` are the expression's parse message
// and the count of its writes.
//
// The splitter recurses through parseLevel, so it carries no state of its own
// and its helpers stay out of line: deep texts must stay far from the end of
// the stack.
template <class Node, class CompileError, class UnknownName>
struct TCompileDriver {
    using Memo = TCompileMemo<Node>;

    // `raw(expr, text, args..., ok)` (or `(expr.*raw)(text, args..., ok)` for a
    // member pointer) parses the text at this level without the memory. (A
    // pointer rather than a closure: a closure would take room in every frame of
    // the recursion.)
    template <class Expr, class Raw, class... Args>
    [[gnu::always_inline]] static inline Node* parseLevel(Memo& memo, QString& message, std::uint64_t& writes,
                                                          const CompileLimits& limits, int level, QStringView text,
                                                          bool& ok, Expr& expr, Raw raw, const Args&... args)
    {
        memo.message = &message;
        memo.writes = &writes;
        // The splitter is cubic at worst (every range of a long text failing at
        // every split); a compile that does that much work ends instead of freezing.
        if (++memo.calls > limits.maxAttempts || memo.work > limits.maxWork)
            throw CompileError(QStringLiteral("Expresión demasiado compleja"));
        Node* hit = nullptr;
        if (lookup(memo, level, text, ok, hit))
            return hit;
        checkDepth(memo, limits);
        memo.work += static_cast<std::uint64_t>(text.size());
        const std::uint64_t writesBefore = writes;
        ok = false;
        Node* node = nullptr;
        {
            // One level deeper while the level parses, however it ends.
            struct Deeper {
                int& depth;
                explicit Deeper(int& d) : depth(d) { ++depth; }
                ~Deeper() { --depth; }
            } deeper(memo.depth);
            try {
                if constexpr (std::is_member_function_pointer_v<Raw>)
                    node = (expr.*raw)(text, args..., ok);
                else
                    node = raw(expr, text, args..., ok);
            } catch (const UnknownName&) {
                store(memo, level, text, nullptr, false, true, writesBefore);
                throw;
            }
        }
        return store(memo, level, text, node, ok, false, writesBefore);
    }

    [[gnu::noinline]] static bool lookup(Memo& memo, int level, QStringView text, bool& ok, Node*& node)
    {
        const auto it = memo.entries.find(MemoKey{text.data(), text.size(), level});
        if (it == memo.entries.end())
            return false;
        const auto& e = it->second;
        if (e.wrote) {
            *memo.message = e.message;
            ++*memo.writes;
        }
        if (e.raised)
            throw UnknownName(*memo.message);
        ok = e.ok;
        node = e.node;
        return true;
    }

    [[gnu::noinline]] static Node* store(Memo& memo, int level, QStringView text, Node* node, bool ok, bool raised,
                                         std::uint64_t writesBefore)
    {
        if (!ok) {
            DiscardT(node);
            node = nullptr;
        }
        typename Memo::Entry entry;
        entry.ok = ok;
        entry.raised = raised;
        entry.node = node;
        entry.wrote = *memo.writes != writesBefore;
        if (entry.wrote)
            entry.message = *memo.message;
        if (node)
            AddRefT<Node, CompileError>(node);
        memo.entries.emplace(MemoKey{text.data(), text.size(), level}, std::move(entry));
        return node;
    }

    [[gnu::noinline]] static void checkDepth(const Memo& memo, const CompileLimits& limits)
    {
        // The depth limit keeps every build alike; the stack measure is a
        // backstop for builds whose frames are larger (sanitizers).
        char here;
        const std::ptrdiff_t used = memo.stackTop ? memo.stackTop - &here : 0;
        if (memo.depth >= limits.maxDepth || used > limits.stackBudget)
            throw CompileError(QStringLiteral("Expresión demasiado compleja: demasiados niveles de anidamiento"));
    }
};

// The local definitions that open a text, "name:expr;" (a named
// sub-expression) or "name:"text";" (a text macro), taken off `text` one by one.
// `parse(def, ok)` compiles a definition (a node, uncounted); `add(name, node)`
// keeps a named one. A definition that does not compile ends the list (its
// message stays). `memoSlot` is the expression's memory of attempts; without
// one, the definitions get a memory of their own.
template <class Memo, class CompileError, class Parse, class Add>
void ParseLocalDefinitionsT(QString& text, Memo*& memoSlot, Parse&& parse, Add&& add)
{
    std::unique_ptr<Memo> own;
    if (!memoSlot) {
        own = std::make_unique<Memo>();
        memoSlot = own.get();
    }
    struct Restore {
        Memo*& slot;
        bool owned;
        ~Restore() { if (owned) slot = nullptr; }
    } restore{memoSlot, own != nullptr};

    // Text macros can make a text grow at every definition; past this length the
    // text is refused rather than left to exhaust memory.
    constexpr qsizetype kMaxText = 65536;
    // What is still to read starts at `start` (the text is cut once at the end,
    // not at every definition).
    qsizetype start = 0;
    while (true) {
        const qsizetype p = text.indexOf(QLatin1Char(';'), start);
        if (p < 0)
            break;
        const qsizetype c = text.indexOf(QLatin1Char(':'), start);
        const QString ident = c > start ? text.mid(start, c - start) : QString();
        if (ident.isEmpty())
            throw CompileError(QStringLiteral("Falta indentificador de expresión"));
        if (c + 1 < text.size() && text[c + 1] == QLatin1Char('"')) {
            const qsizetype n = p - c - 3;
            const QString value = n > 0 ? text.mid(c + 2, n) : QString();
            QString rest = text.mid(p + 1);
            // Measured before replacing: one step may multiply the length.
            const qsizetype grown =
                rest.size() + rest.count(ident, Qt::CaseInsensitive) * (value.size() - ident.size());
            if (grown > kMaxText && grown > rest.size())
                throw CompileError(QStringLiteral("Expresión demasiado larga"));
            rest.replace(ident, value, Qt::CaseInsensitive);
            text = rest;
            start = 0;
            continue;
        }
        const qsizetype n = p - c - 1;
        const QString& def = memoSlot->keep(n > 0 ? text.mid(c + 1, n) : QString());
        bool ok = false;
        auto* tree = parse(def, ok);
        start = p + 1;
        // Attempts remembered so far were made without this name.
        memoSlot->forget(ok ? tree : nullptr);
        if (!ok)
            break;
        MarkNamedT(tree);
        add(ident, tree);
    }
    if (start > 0)
        text = text.mid(start);
}

// Holds the argument nodes of a call while it is built.
template <class Node, class Overflow>
class TArgsGuard {
public:
    TArgsGuard() = default;
    TArgsGuard(const TArgsGuard&) = delete;
    TArgsGuard& operator=(const TArgsGuard&) = delete;
    ~TArgsGuard()
    {
        for (Node* n : m_nodes)
            ReleaseNodeT(n);
    }
    void add(Node* n)
    {
        AddRefT<Node, Overflow>(n);
        m_nodes.push_back(n);
    }
    const std::vector<Node*>& nodes() const { return m_nodes; }
    // Gives the nodes back uncounted by the guard.
    std::vector<Node*> releaseAll()
    {
        std::vector<Node*> out;
        out.swap(m_nodes);
        for (Node* n : out)
            --n->RefCount;
        return out;
    }
    // Lets go of the nodes now; `keep` (a result that may be one of them, or
    // hold them) survives even when nobody else counts it.
    void finish(Node* keep)
    {
        if (keep)
            ++keep->RefCount;
        for (Node* n : m_nodes)
            ReleaseNodeT(n);
        m_nodes.clear();
        if (keep)
            --keep->RefCount;
    }
private:
    std::vector<Node*> m_nodes;
};

} // namespace exprcore
