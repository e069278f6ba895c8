#pragma once
// A compiled real tree flattened into a graph of small steps, each a plain
// function specialised for where its operands come from (a literal or variable
// read in place, a pair of them combined in place, or another step), for the
// re-evaluations that follow TVariable::SetValue (plotting, tables, solving
// loops). Values travel in registers from step to step.
//
// The program computes what EvaluateNode computes on the tree with the same
// operations on the same operands, so the same bits, but without testing every
// intermediate result. A value that is not finite either reaches the end (an
// operator of finite operands that overflows, divides by zero or has no value
// gives infinity or NaN, and +, -, * and / by a finite number keep it so) or is
// caught where something could hide it (a divisor, a function's argument, an
// operand of a power, logarithm, comparison or logical operator). Then, and
// whenever a built-in raises, the tree itself evaluates: it raises the first
// fault in its own order, or gives the value when there was none (an infinite
// variable read as it is). A node reached from several parents (a named
// sub-expression, a parameter of an inlined user function) is computed once per
// run, as the tree's shared nodes keep their value.
//
// Only trees of literals, constants, variables, operators, comparisons, logical
// operators and the built-in functions of one argument (pure functions) are
// flattened. Anything that calls out of the tree (functions of several
// arguments, user functions, functions without arguments, quoted messages) keeps
// the tree's own evaluation, whose rules (evaluation on demand, side effects,
// values never cached) the program does not repeat.

#include "engine/real/tree.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace real {

class TProgram {
public:
    // The program of a tree, or null when the tree holds a node the program does
    // not run. The program reads the tree's literals and variables in place: it
    // must be dropped before the tree or its variables go.
    static std::unique_ptr<TProgram> Build(TEval* root);

    // The tree's value, as EvaluateNode(root) gives it, with the same faults.
    Extended Run();
    // The value when the run meets no fault and nothing that is not finite;
    // otherwise NaN, and the tree must be asked (nothing was changed). Inline:
    // the call is a good part of a short run.
    Extended TryRun()
    {
        if (!m_top)
            return __builtin_nanl("");   // a leaf: the tree reads it, infinite or not
        ++m_run;
        try {
            return m_top->fn(m_top);   // NaN or infinite when something was not finite
        } catch (const NotFinite&) {
            return __builtin_nanl("");
        } catch (const Exception&) {   // a built-in's fault
            return __builtin_nanl("");
        }
    }

    // Raised inside a run where a value that is not finite could be hidden:
    // the tree evaluates instead.
    struct NotFinite {};

    // Number of steps (for tests: a tree of leaves has none).
    std::size_t Size() const { return m_nodes.size(); }
    // Runs that left the value to the tree (for tests).
    std::uint64_t TreeRuns() const { return m_treeRuns; }

    struct Node;
    using Fn = Extended (*)(const Node*);
    // One step: its value from leaf operands (a, b) and steps below (l, r).
    struct Node {
        Fn fn = nullptr;
        const Extended* a = nullptr;
        const Extended* b = nullptr;
        const Node* l = nullptr;
        const Node* r = nullptr;
        Extended (*f1)(std::uint8_t, Extended) = nullptr;   // built-in of one argument
        std::int64_t n = 0;                                  // whole exponent
        std::uint8_t kind = 0;                               // comparison kind
        std::uint8_t pair = 0;                               // +, -, *, / of two leaves: read in place by the parent
        std::uint8_t twin = 0;                               // +, -, *, / of leaves and such pairs: the same
        std::uint8_t twinModes = 0;                          // bit 0: l is a pair, bit 1: r is a pair
        // Leaves that are literals exact in a double are read from da and db
        // (bits 0 and 1): the 80-bit load is slow. Bit 2: b is a's variable
        // (x*x), read once. Bits 3 and 4: a, b is the program's main variable,
        // loaded once by the step that reads this node in place (from xv). a
        // and b stay valid for the readers that ignore these bits.
        std::uint8_t dmask = 0;
        double da = 0;
        double db = 0;
        const Extended* xv = nullptr;                        // the main variable, when this step reads it in place
        const std::uint64_t* run = nullptr;                  // shared steps: the program's run number
        mutable std::uint64_t mark = 0;                      // run in which `cache` was computed
        mutable Extended cache = 0;
        Extended lnHi = 0, lnLo = 0;                         // ln of a constant positive base (a)
    };

private:
    TProgram() = default;
    friend class TProgramBuilder;

    TEval* m_root = nullptr;
    std::deque<Node> m_nodes;
    const Node* m_top = nullptr;            // null: the value is *m_leaf
    const Extended* m_leaf = nullptr;
    std::uint64_t m_run = 0;
    std::uint64_t m_treeRuns = 0;
    Extended TreeValue();
};

// What an expression object holds: the program of its tree, built at the second
// evaluation that has to compute (a text evaluated once never pays for it), or
// the tree's own evaluation when the tree cannot be flattened.
class TProgramCache {
public:
    TProgramCache();
    ~TProgramCache();
    TProgramCache(const TProgramCache&) = delete;
    TProgramCache& operator=(const TProgramCache&) = delete;

    Extended Evaluate(TEval* root)
    {
        if (m_program && root == m_root)
            return m_program->Run();
        return EvaluateSlow(root);
    }
    // Whether Evaluate(root) runs a program; then TryRun may answer for it.
    bool Ready(const TEval* root) const { return m_program && root == m_root; }
    Extended TryRun() { return m_program->TryRun(); }
    // The engine's state (engineState(), without the call), for the angle unit
    // to be set before TryRun.
    EngineState& State() const { return *m_state; }
    // The tree was replaced or its names reloaded: forget the program.
    void Reset();

private:
    Extended EvaluateSlow(TEval* root);
    std::unique_ptr<TProgram> m_program;
    TEval* m_root = nullptr;
    EngineState* m_state = &engineState();
    std::uint8_t m_evaluations = 0;   // of m_root through the tree
};

} // namespace real
