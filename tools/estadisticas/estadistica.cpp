#include "tools/estadisticas/estadistica.h"

#include "engine/bases.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"

#include <cmath>
#include <limits>

namespace {

double ParseValue(const QString& text)
{
    Extended v = 0;
    // Values are kept as doubles: a value beyond their range is no value.
    if (!TryStrToFloat(text, v) || !std::isfinite(static_cast<double>(v)))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor decimal válido"), {text}));
    return static_cast<double>(v);
}

std::int32_t ParseFrequency(const QString& text)
{
    long long f = 0;
    if (!TryStrToInt(text, f) || f < std::numeric_limits<std::int32_t>::min() ||
        f > std::numeric_limits<std::int32_t>::max())
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor entero válido"), {text}));
    return static_cast<std::int32_t>(f);
}

// A result as the grid shows it: the program's result format, "N/D" when it
// has no value.
QString ResultText(Extended x) { return std::isfinite(x) ? FloatToStrDefBase(x) : kNoValue; }

// A root of a variance: a variance is never below 0, so a tiny negative left
// by rounding (equal values) counts as 0.
Extended NonNegative(Extended v) { return v < 0 ? 0 : v; }

} // namespace

TStatEntry ParseEntry(const QString& text)
{
    TStatEntry e;
    int p = static_cast<int>(text.indexOf(QLatin1Char('*'))) + 1;
    if (p == 0) {
        p = static_cast<int>(text.indexOf(QLatin1Char('\t'))) + 1;
        if (p == 1)
            throw Exception(QStringLiteral("Formato desconocido. No se puede pegar."));
    }
    if (p == 0) {
        e.Value = ParseValue(text);
        return e;
    }
    if (p == 1)
        throw Exception(QStringLiteral("\"*\" no puede estar al principio"));
    if (p == text.size())
        throw Exception(QStringLiteral("\"*\" no puede estar al final"));
    e.Value = ParseValue(text.left(p - 1));
    e.Frequency = ParseFrequency(text.mid(p));
    return e;
}

void TStatData::AddEntry(const QString& text) { Add(ParseEntry(text)); }

int TStatData::Find(double value)
{
    if (!m_indexValid) {
        m_index.clear();
        for (int i = 0; i < SampleCount(); ++i)
            m_index.emplace(m_samples[static_cast<size_t>(i)].Value, i);
        m_indexValid = true;
    }
    // 0 and -0 are the same value (and hash alike).
    const auto it = m_index.find(value);
    return it == m_index.end() ? -1 : it->second;
}

void TStatData::Add(const TStatEntry& entry)
{
    const long long total = static_cast<long long>(m_count) + entry.Frequency;
    if (total < 0)
        throw Exception(QStringLiteral("n no puede ser menor que cero"));
    if (total > std::numeric_limits<std::int32_t>::max())
        throw Exception(QStringLiteral("Demasiados datos: n no puede pasar de 2147483647"));
    const int i = Find(entry.Value);
    if (i >= 0) {
        TPuntoMuestral& s = m_samples[static_cast<size_t>(i)];
        if (static_cast<long long>(s.Frequency) + entry.Frequency < 0)
            throw Exception(QStringLiteral("Ninguna frecuencia puede ser menor que cero"));
        s.Frequency += entry.Frequency;
    } else {
        if (entry.Frequency < 0)
            throw Exception(QStringLiteral("Ninguna frecuencia puede ser menor que cero"));
        m_samples.push_back({entry.Value, entry.Frequency});
        m_index.emplace(entry.Value, SampleCount() - 1);
    }
    UpdateTotals(entry.Value, entry.Frequency);
}

void TStatData::UpdateTotals(double value, std::int32_t frequency)
{
    m_count += frequency;
    const Extended fx = static_cast<Extended>(frequency) * value;
    m_sumX = static_cast<double>(m_sumX + fx);
    m_sumX2 = static_cast<double>(m_sumX2 + fx * value);
    if (m_count == 0) {
        // Nothing left: no rounding residue either.
        m_sumX = 0;
        m_sumX2 = 0;
    }
}

void TStatData::DeletePoint(int i)
{
    if (i < 0 || i >= SampleCount())
        return;
    TPuntoMuestral& s = m_samples[static_cast<size_t>(i)];
    UpdateTotals(s.Value, -s.Frequency);
    s.Frequency = 0;
    CompactSamples();
}

void TStatData::CompactSamples()
{
    TMuestra kept;
    kept.reserve(m_samples.size());
    for (const TPuntoMuestral& s : m_samples)
        if (s.Frequency != 0)
            kept.push_back(s);
    m_samples.swap(kept);
    m_indexValid = false;
}

void TStatData::Clear()
{
    m_samples.clear();
    m_index.clear();
    m_indexValid = true;
    m_count = 0;
    m_sumX = 0;
    m_sumX2 = 0;
}

void TStatData::Sort(bool byValue)
{
    const int dir = StatSortDirection;
    QuickSortIndexed(
        0, SampleCount() - 1,
        [this, byValue, dir](int a, int b) {
            const TPuntoMuestral& x = m_samples[static_cast<size_t>(a)];
            const TPuntoMuestral& y = m_samples[static_cast<size_t>(b)];
            int c = 0;
            if (byValue)
                c = x.Value < y.Value ? -1 : (x.Value > y.Value ? 1 : 0);
            else
                c = x.Frequency < y.Frequency ? -1 : (x.Frequency > y.Frequency ? 1 : 0);
            return c * dir;
        },
        [this](int a, int b) { std::swap(m_samples[static_cast<size_t>(a)], m_samples[static_cast<size_t>(b)]); });
    m_indexValid = false;
}

void TStatData::SortByColumn(int column) { Sort(column == 0); }

QString TStatData::CountText() const { return m_samples.empty() ? QString() : IntToStr(m_count); }

QString TStatData::SumText() const { return m_samples.empty() ? QString() : ResultText(m_sumX); }

QString TStatData::MeanText() const
{
    if (m_samples.empty())
        return QString();
    return m_count == 0 ? kNoValue : ResultText(static_cast<Extended>(m_sumX) / m_count);
}

QString TStatData::RelativeText(int i) const
{
    if (m_count == 0)
        return kNoValue;
    return Format(QStringLiteral("%8.6f"),
                  {static_cast<Extended>(m_samples[static_cast<size_t>(i)].Frequency) / m_count});
}

QString TStatData::TableText() const
{
    QString out = QStringLiteral("Dato\tFrecuencia\tF.Relativa\r\n");
    for (int i = 0; i < SampleCount(); ++i) {
        const TPuntoMuestral& s = m_samples[static_cast<size_t>(i)];
        out += Format(QStringLiteral("%g\t%d\t"), {s.Value, s.Frequency}) + RelativeText(i) +
               QStringLiteral("\r\n");
    }
    return out;
}

QStringList TStatData::PasteLines(const QString& clipboard)
{
    QStringList lines;
    SplitByChar(clipboard, QLatin1Char('\r'), lines);
    QStringList out;
    for (const QString& line : lines) {
        QString kept;
        for (QChar c : line) {
            if (c == QLatin1Char(','))
                c = QLatin1Char('.');
            if (c == QLatin1Char('\t') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
                (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
                kept += c;
        }
        // Greater than "-": not empty, not "-" alone, not starting with a TAB.
        if (kept > QStringLiteral("-"))
            out << kept;
    }
    return out;
}

bool TStatData::MinMax(double& minimum, double& maximum) const
{
    bool any = false;
    for (const TPuntoMuestral& s : m_samples) {
        if (s.Frequency == 0)
            continue;
        if (!any) {
            minimum = maximum = s.Value;
            any = true;
        } else if (s.Value > maximum) {
            maximum = s.Value;
        } else if (s.Value < minimum) {
            minimum = s.Value;
        }
    }
    return any;
}

QString TStatData::ModeText(int& modeFrequency)
{
    modeFrequency = 0;
    for (const TPuntoMuestral& s : m_samples)
        modeFrequency = std::max(modeFrequency, static_cast<int>(s.Frequency));
    if (SampleCount() < 2)
        return kNoValue;
    StatSortDirection = -1;
    Sort(false);
    modeFrequency = m_samples[0].Frequency;
    if (m_samples[1].Frequency != m_samples[0].Frequency)
        return ResultText(m_samples[0].Value);
    return kNoValue;
}

double TStatData::NextValueWithPoints(int i) const
{
    for (int j = i + 1; j < SampleCount(); ++j)
        if (m_samples[static_cast<size_t>(j)].Frequency != 0)
            return m_samples[static_cast<size_t>(j)].Value;
    // Past the last sample with points: the boundary is that last value.
    return m_samples[static_cast<size_t>(i)].Value;
}

Extended TStatData::Median()
{
    StatSortDirection = 1;
    Sort(true);
    long long c = 0;
    for (int i = 0; i < SampleCount(); ++i) {
        const TPuntoMuestral& s = m_samples[static_cast<size_t>(i)];
        if (s.Frequency == 0)
            continue;
        c += s.Frequency;
        if (m_count - c < c)
            return s.Value;
        if (m_count - c == c)
            return (static_cast<Extended>(s.Value) + NextValueWithPoints(i)) / 2;
    }
    return 0;
}

Extended TStatData::Quantile(int percent)
{
    // P·n / 100 rounded to the nearest integer, halves to even.
    const long long pn = static_cast<long long>(percent) * m_count;
    long long k = pn / 100;
    const long long rest = pn % 100;
    if (rest > 50 || (rest == 50 && (k & 1)))
        ++k;
    long long c = 0;
    for (int i = 0; i < SampleCount(); ++i) {
        const TPuntoMuestral& s = m_samples[static_cast<size_t>(i)];
        if (s.Frequency == 0)
            continue;
        c += s.Frequency;
        if (k < c)
            return s.Value;
        if (k == c)
            return (static_cast<Extended>(s.Value) + NextValueWithPoints(i)) / 2;
    }
    return 0;
}

QString TStatData::HarmonicMeanText() const
{
    Extended sum = 0;
    for (const TPuntoMuestral& s : m_samples) {
        if (s.Frequency == 0)
            continue;
        if (s.Value == 0)
            return kNoValue;
        sum += s.Frequency / static_cast<Extended>(s.Value);
    }
    if (sum == 0)
        return kNoValue;
    return ResultText(m_count / sum);
}

QString TStatData::GeometricMeanText() const
{
    // The product of the x^f, then its n-th root; a product beyond the
    // extended range goes through logarithms. A negative product has no real
    // root.
    Extended product = 1;
    Extended logSum = 0;
    long long negatives = 0;
    bool zero = false;
    for (const TPuntoMuestral& s : m_samples) {
        if (s.Frequency == 0)
            continue;
        if (s.Value == 0)
            zero = true;
        else
            logSum += s.Frequency * std::log(std::fabs(static_cast<Extended>(s.Value)));
        if (s.Value < 0 && (s.Frequency & 1))
            ++negatives;
        product *= std::pow(static_cast<Extended>(s.Value), static_cast<int>(s.Frequency));
    }
    if (zero)
        return ResultText(0);
    if (negatives & 1)
        return kNoValue;
    if (std::isfinite(product) && std::isnormal(product))
        return ResultText(std::pow(std::fabs(product), 1 / static_cast<Extended>(m_count)));
    return ResultText(std::exp(logSum / m_count));
}

TStatResults TStatData::ComputeResults()
{
    if (m_count <= 0)
        throw Exception(QStringLiteral("No hay datos"));
    TStatResults r;
    const Extended n = m_count;
    const Extended sx = m_sumX;
    const Extended sx2 = m_sumX2;
    MinMax(r.Minimum, r.Maximum);
    const Extended mean = sx / n;
    r.Mean = static_cast<double>(mean);
    auto add = [&r](const char* label, const QString& value) { r.Rows.emplace_back(QString::fromUtf8(label), value); };

    add("n", IntToStr(m_count));
    add("Puntos muestrales", IntToStr(SampleCount()));
    add("Suma", ResultText(sx));
    add("Suma cuadrados", ResultText(sx2));
    add("Media", ResultText(r.Mean));
    add("Moda", ModeText(r.ModeFrequency));
    r.Median = static_cast<double>(Median());
    add("   Mínimo", ResultText(r.Minimum));
    r.Quartile1 = static_cast<double>(Quantile(25));
    add("   Cuartil 1 (25%)", ResultText(r.Quartile1));
    add("   Mediana   (50%)", ResultText(r.Median));
    r.Quartile3 = static_cast<double>(Quantile(75));
    add("   Cuartil 3 (75%)", ResultText(r.Quartile3));
    add("   Máximo", ResultText(r.Maximum));
    add("Rango", ResultText(std::fabs(static_cast<Extended>(r.Maximum) - r.Minimum)));

    // n·(n − 1) and n·n in extended: no 32-bit wrap for a large n.
    const Extended spread = n * sx2 - sx * sx;
    r.HasVariance = m_count > 1;
    if (r.HasVariance) {
        r.Variance = static_cast<double>(NonNegative(spread / (n * (n - 1))));
        r.HasVariance = std::isfinite(r.Variance);
    }
    add("Varianza", r.HasVariance ? ResultText(r.Variance) : kNoValue);
    add(" Desv. Estandar", r.HasVariance ? ResultText(static_cast<double>(std::sqrt(static_cast<Extended>(r.Variance))))
                                        : kNoValue);
    const Extended population = NonNegative(sx2 / n - mean * mean);
    add("Varianza Población", ResultText(population));
    add(" Desv. Estandar Población", ResultText(std::sqrt(NonNegative(spread / (n * n)))));
    add("Coeficiente de Variación", mean == 0 ? kNoValue : ResultText(std::sqrt(population) / mean));
    Extended deviation = 0;
    for (const TPuntoMuestral& s : m_samples)
        deviation += s.Frequency * std::fabs(s.Value - mean);
    add("Desviación media", ResultText(deviation / n));
    add("RMC", ResultText(std::sqrt(NonNegative(sx2 / n))));
    add("Media Armónica", HarmonicMeanText());
    add("Media Geométrica", GeometricMeanText());
    return r;
}
