#pragma once
// A sequence defined by a recurrence, kept apart from its window: the five
// real expressions (f, g, h, the recurrence S and the stop condition P, which
// shares S's names), the history of the last terms, the index of the newest
// term, the number of initial terms the recurrence needs (lag) and the form
// it is written in (shift 0: "Sn=", shift 1: "Sn+1=").
//
// A run as the window makes it:
//     TSucesion s;
//     s.CompileAll({"", "", "", "S1+S2", "n>=10"});
//     s.ProbeLag();                    // 2: S(1) and S(2) are asked
//     s.SetInitial(1, 1); s.SetInitial(2, 1);
//     QStringList lines;
//     s.RunDetailed(lines);            // "S(3)=\t2" ... "S(10)=\t55"
//     lines += s.ClosingLines(true);
//
// The definitions saved in suce.ini (TSuceFile) are the comment lines, then
// f, g, h, the recurrence, the stop condition and the shift ("0" or "1").
#include "engine/real/expresion.h"
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class TSucesion {
public:
    // Terms kept: the newest and ten before it, so that "S9" of the form
    // "Sn+1=" (the term ten steps back) has its place.
    static constexpr int kHistory = 11;
    // Terms a batch computes between two looks at the keyboard.
    static constexpr int kBatch = 321;
    // Terms a detailed run lists at most.
    static constexpr int kDetailedSteps = 1000;

    // The indices of the five texts.
    enum { kF, kG, kH, kS, kP, kTexts };
    using TTexts = std::array<QString, kTexts>;

    // Makes the expressions; the real engine's equality tolerance becomes 0
    // (exact comparisons).
    TSucesion();
    TSucesion(const TSucesion&) = delete;
    TSucesion& operator=(const TSucesion&) = delete;

    real::TExpresion F, G, H;
    real::TExpresion S;
    real::TExpresion P;   // its parent is S

    // 0 "Sn=", 1 "Sn+1=".
    int Shift = 0;
    int Lag = 0;
    std::uint32_t N = 0;
    bool Probing = false;
    std::array<Extended, kHistory> History{};

    // Gives the five expressions their texts (the recurrence and the stop
    // condition are compiled again in every case, so that they see new
    // definitions of f, g and h). A stop condition that does not compile
    // becomes "-1". An unknown name raises the compiler's error; the texts
    // set before it stay. Returns which texts compiled without error.
    std::array<bool, kTexts> CompileAll(const TTexts& texts);

    // Evaluates S once with random terms: the lag (the largest k + shift of
    // the terms reached, at least the shift); N becomes the lag.
    int ProbeLag();
    // S(i) of the initial terms (1 <= i <= lag).
    void SetInitial(int i, Extended value);

    // The next term: N + 1, the history moved one place, S evaluated. False
    // when S reported an error (ErrorMessage()).
    bool NextTerm();
    // The stop condition holds (its value is above 0). False also when it
    // could not be evaluated (StopFailed()).
    bool StopNow();
    // The last evaluation of the stop condition reported an error.
    bool StopFailed() const { return P.HasError; }

    // Failed: the recurrence reported an error; StopFailed: the stop
    // condition did (an overflow), which ends the run rather than counting
    // as false.
    enum class TRunEnd { Limit, Stopped, Failed, StopFailed, Cancelled };
    // Up to 1000 - lag terms when N is below 10, else up to 1000; each step
    // asks the stop condition first. Every term is appended as a line.
    TRunEnd RunDetailed(QStringList& lines);
    // Batches of kBatch terms, each followed by the stop condition; after
    // each batch without a stop `cancel` is asked (the progress and the Esc
    // key); true ends the run. Without a callback the run goes on until the
    // stop condition or an error.
    TRunEnd RunBatch(const std::function<bool()>& cancel);
    // The lines that close a run: in batch mode the last terms (up to 9 -
    // lag) and S(N); after an error of the recurrence S(N) with its message,
    // after one of the stop condition "Condición de parada en n=%d:" with
    // its message.
    QStringList ClosingLines(bool detailed, TRunEnd end) const;

    // "S(%d)=\t%g".
    static QString TermLine(std::uint32_t index, Extended value);
    QString ErrorMessage() const { return S.ErrorMessage; }
    // The variable x of f (0), g (1) or h (2).
    real::TVariable* X(int i) const { return m_x[i]; }

private:
    void RegisterEntries();
    Extended Term(int k);   // "Sn" (k = 0) and "S1" .. "S9"

    real::TVariable* m_x[3] = {};
};

// A typed real number (an initial term, a point of f, g or h); a text that
// is not one raises the conversion error.
Extended ReadNumber(const QString& text);

// A saved definition.
struct TDefinicion {
    QStringList Comments;
    TSucesion::TTexts Texts;
    QString ShiftText = QStringLiteral("0");
};

// "0" or "1" of a saved definition: 1 is "Sn+1=", any other integer "Sn=";
// a text that is not an integer raises the conversion error.
int ParseShift(const QString& text);

// suce.ini in ExeDir: one section per definition, a numbered list each; the
// section "_" is the window's state at its last closing.
class TSuceFile {
public:
    static QString FileName();
    static inline const QString kState = QStringLiteral("_");

    // The definitions' names (without "_"), in file order.
    static QStringList Names();
    static bool Exists(const QString& name);
    // Raises an Exception when the section has fewer than six lines.
    static TDefinicion Load(const QString& name);
    // Replaces the section and writes the file (EInOutError when it cannot).
    static void Save(const QString& name, const TDefinicion& definition);
    static void Erase(const QString& name);
};
