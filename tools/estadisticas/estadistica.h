#pragma once
// The sample of the statistics window, kept apart from the window: distinct
// real values with integer frequencies in table order, the running count and
// sums, the entry rules ("dato*frecuencia"), sorting, deleting a point, the
// table as text, the lines a paste adds, and the 21 results of the results
// page with what the chart needs.
//
//     TStatData d;
//     d.AddEntry("5*3");           // value 5, frequency 3
//     d.AddEntry("6");             // frequency 1
//     TStatResults r = d.ComputeResults();   // reorders the samples by value
//
// Results that have no value (a division by zero, the root of a negative
// product, a single point's sample variance) are "N/D".
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

// One distinct value of the sample and how many times it was entered.
struct TPuntoMuestral {
    double Value = 0;
    std::int32_t Frequency = 0;
};
using TMuestra = std::vector<TPuntoMuestral>;

// A parsed entry: value and frequency.
struct TStatEntry {
    double Value = 0;
    std::int32_t Frequency = 1;
};

// "dato", "dato*frecuencia" or "dato<TAB>frecuencia". Raises the entry's
// Spanish message, or the conversion error of a value or frequency that is
// not a number.
TStatEntry ParseEntry(const QString& text);

// The text shown for a result that has no value.
inline const QString kNoValue = QStringLiteral("N/D");

// The results page.
struct TStatResults {
    // Label (as the grid's first column shows it, without " =") and value text.
    std::vector<std::pair<QString, QString>> Rows;
    double Minimum = 0;
    double Maximum = 0;
    double Mean = 0;
    double Median = 0;
    double Quartile1 = 0;
    double Quartile3 = 0;
    // The sample variance, and whether it has a value (n > 1).
    double Variance = 0;
    bool HasVariance = false;
    // The largest frequency.
    int ModeFrequency = 0;
};

class TStatData {
public:
    const TMuestra& Samples() const { return m_samples; }
    int SampleCount() const { return static_cast<int>(m_samples.size()); }
    // n: the sum of the frequencies.
    std::int32_t Count() const { return m_count; }
    double SumX() const { return m_sumX; }
    double SumX2() const { return m_sumX2; }

    // +1 ascending, -1 descending: the sign of the next header sort.
    int StatSortDirection = 1;

    // Parses and adds an entry; a failed entry leaves the sample unchanged.
    void AddEntry(const QString& text);
    // Adds a parsed entry (a negative frequency takes points away).
    void Add(const TStatEntry& entry);
    // Removes the sample at index i (0-based) and every sample whose
    // frequency is 0.
    void DeletePoint(int i);
    // Removes every sample whose frequency is 0.
    void CompactSamples();
    void Clear();

    // Sorts by the column (0 the value, 1 and 2 the frequency) in the
    // direction StatSortDirection.
    void SortByColumn(int column);

    // The three totals labels: n, the sum and the mean (texts of the program's
    // result format; all empty when the sample is empty).
    QString CountText() const;
    QString SumText() const;
    QString MeanText() const;
    // F.Relativa of a sample: frequency / n as "%8.6f".
    QString RelativeText(int i) const;

    // The table as the clipboard gets it: a header line and one line per
    // sample, each ended by CR LF.
    QString TableText() const;

    // The 21 results; raises an Exception when n is 0.
    // Sorts the samples (by frequency for the mode, then by value).
    TStatResults ComputeResults();

    // The lines of a pasted text that are added, each already reduced to its
    // kept characters.
    static QStringList PasteLines(const QString& clipboard);

    // The mode: "N/D" with fewer than two samples or a tie at the top.
    QString ModeText(int& modeFrequency);
    // On the order left by Median's sort.
    Extended Median();
    Extended Quantile(int percent);
    QString HarmonicMeanText() const;
    QString GeometricMeanText() const;
    // Minimum and maximum over the samples that have points; false when none has.
    bool MinMax(double& minimum, double& maximum) const;

private:
    void UpdateTotals(double value, std::int32_t frequency);
    // The index of the sample of exactly that value, or -1.
    int Find(double value);
    void Sort(bool byValue);
    // The value of the next sample after i that has points (the last value
    // with points when there is none).
    double NextValueWithPoints(int i) const;

    TMuestra m_samples;
    std::int32_t m_count = 0;
    double m_sumX = 0;
    double m_sumX2 = 0;
    // Value -> index, valid while m_indexValid.
    std::unordered_map<double, int> m_index;
    bool m_indexValid = true;
};
