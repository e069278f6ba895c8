#include "science/quimica/elementos.h"

#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/format.h"
#include "foundation/core/separatexto.h"
#include "foundation/core/zelini.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kFieldCount = 23;

const char* const kFieldNames[kFieldCount] = {
    "número atómico", "símbolo", "nombre", "tipo de elemento", "masa atómica", "estados de oxidación",
    "electronegatividad", "configuración", "capas", "estructura cristalina", "radio covalente",
    "punto de fusión", "punto de ebullición", "densidad", "periodo", "grupo", "año de descubrimiento",
    "calor de fusión", "calor de vaporización", "isótopos", "isótopos naturales", "radio atómico",
    "conductividad térmica",
};

[[noreturn]] void badField(int field, const QString& text)
{
    throw EConvertError(QStringLiteral("El campo %1 (%2) no es un número válido: \"%3\"")
                            .arg(field + 1)
                            .arg(QString::fromUtf8(kFieldNames[field]), text));
}

// A strict integer within lo..hi.
long long integerField(const QStringList& f, int i, long long lo, long long hi)
{
    long long v = 0;
    if (!TryStrToInt(f[i].trimmed(), v) || v < lo || v > hi)
        badField(i, f[i]);
    return v;
}

// A strict decimal number that a 32-bit float holds.
float floatField(const QStringList& f, int i)
{
    Extended v = 0;
    if (!TryStrToFloat(f[i].trimmed(), v) || std::fabs(v) > std::numeric_limits<float>::max())
        badField(i, f[i]);
    return static_cast<float>(v);
}

// Round to nearest, ties to even, as the system's Round does.
long long roundEven(Extended v) { return static_cast<long long>(std::nearbyintl(v)); }

// A list of numbers separated by ",": each value read leniently (a text that is
// no number gives 0), rounded and kept within lo..hi; at most `out.size()`
// values, the rest ignored.
template <class T, size_t N>
void numberList(const QString& text, std::array<T, N>& out, long long lo, long long hi)
{
    out.fill(0);
    size_t k = 0;
    QString value;
    auto flush = [&] {
        if (k < N) {
            Extended v = 0;
            if (!TryStrToFloat(value.trimmed(), v))
                v = 0;
            out[k] = static_cast<T>(std::clamp(roundEven(std::clamp<Extended>(v, -1e18L, 1e18L)), lo, hi));
        }
        ++k;
        value.clear();
    };
    for (QChar c : text) {
        if (c == QLatin1Char(','))
            flush();
        else
            value += c;
    }
    if (!value.isEmpty())
        flush();
}

} // namespace

TElementoQ::TElementoQ(const QString& line)
{
    QStringList f;
    TSeparaTexto sep;
    sep.SetSeparators(QStringLiteral("\t"));
    sep.SetText(line);
    while (!sep.AtEnd() && f.size() < kFieldCount) {
        QString field;
        sep.Next(field);
        f.append(field);
    }
    if (f.size() < kFieldCount)
        throw EConvertError(QStringLiteral("La línea tiene %1 campos de %2").arg(f.size()).arg(kFieldCount));

    AtomicNumber = static_cast<std::uint8_t>(integerField(f, 0, 0, 255));
    Symbol = f[1].left(3);
    Name = f[2].left(12);
    ElementType = static_cast<std::uint8_t>(integerField(f, 3, 0, 255));
    AtomicMass = floatField(f, 4);
    numberList(f[5], OxidationStates, -128, 127);
    Electronegativity = static_cast<std::uint8_t>(integerField(f, 6, 0, 255));
    Configuration = f[7].left(22);
    numberList(f[8], Shells, 0, 255);
    CrystalStructure = static_cast<std::uint8_t>(integerField(f, 9, 0, 255));
    CovalentRadius = floatField(f, 10);
    MeltingPoint = floatField(f, 11);
    BoilingPoint = floatField(f, 12);
    Density = floatField(f, 13);
    Period = static_cast<std::uint8_t>(integerField(f, 14, 0, 255));
    Group = static_cast<std::uint8_t>(integerField(f, 15, 0, 255));
    DiscoveryYear = static_cast<std::uint16_t>(integerField(f, 16, 0, 65535));
    HeatOfFusion = floatField(f, 17);
    HeatOfVaporization = floatField(f, 18);
    // Pairs of mass number and abundance; an odd last value is no pair.
    const QString iso = f[19].trimmed();
    if (!iso.isEmpty()) {
        const QStringList items = iso.split(QLatin1Char(','));
        size_t k = 0;
        for (qsizetype i = 0; i + 1 < items.size() && k < Isotopes.size(); i += 2, ++k) {
            long long mass = 0;
            Extended abundance = 0;
            if (!TryStrToInt(items[i].trimmed(), mass) || mass < 0 || mass > 65535 ||
                !TryStrToFloat(items[i + 1].trimmed(), abundance) || std::fabs(abundance) > 1e30L)
                badField(19, f[19]);
            Isotopes[k].MassNumber = static_cast<std::uint16_t>(mass);
            Isotopes[k].Abundance = static_cast<float>(abundance);
        }
    }
    NaturalIsotopeCount = static_cast<std::uint8_t>(integerField(f, 20, 0, 255));
    AtomicRadius = floatField(f, 21);
    ThermalConductivity = floatField(f, 22);
}

int TElementoQ::IsotopeCount() const
{
    int n = 0;
    while (n < int(Isotopes.size()) && Isotopes[size_t(n)].MassNumber != 0)
        ++n;
    return n;
}

// ---------------------------------------------------------------------------
// The table

void ElementosGlobals::reset()
{
    for (auto& p : PeriodicElements)
        p.reset();
}

ElementosGlobals& Elementos()
{
    static ElementosGlobals g;
    return g;
}

const TElementoQ* PeriodicElement(int z)
{
    if (z < 1 || z > kElementCount)
        return nullptr;
    return Elementos().PeriodicElements[size_t(z)].get();
}

bool PeriodicTableEmpty()
{
    for (int z = 1; z <= kElementCount; ++z) {
        if (PeriodicElement(z))
            return false;
    }
    return true;
}

QString PeriodicTableFileName() { return ExeDir() + QStringLiteral("tablaper.tab"); }

TTableReport LoadPeriodicTable() { return LoadPeriodicTableFrom(PeriodicTableFileName()); }

TTableReport LoadPeriodicTableFrom(const QString& fileName)
{
    QByteArray bytes;
    bool found = false;
    try {
        found = ReadWholeFile(fileName, bytes);
    } catch (const Exception& e) {
        Elementos().reset();
        TTableReport r;
        r.Problems.append(e.message());
        return r;
    }
    if (!found) {
        Elementos().reset();
        TTableReport r;
        r.Problems.append(QStringLiteral("No se encontró la tabla de elementos \"%1\"").arg(fileName));
        return r;
    }
    TTableReport r = SetPeriodicTableLines(SplitLines(cp1252::decode(bytes)));
    // Not one element read (an empty, cut or garbled file): one message that
    // names the file rather than one per line.
    if (PeriodicTableEmpty())
        r.Problems = QStringList{DamagedDataFileMessage(fileName)};
    return r;
}

TTableReport SetPeriodicTableLines(const QStringList& lines)
{
    ElementosGlobals& g = Elementos();
    g.reset();
    TTableReport r;
    int missing = 0;
    for (int z = 1; z <= kElementCount; ++z) {
        if (z >= lines.size() || lines[z].trimmed().isEmpty()) {
            ++missing;
            continue;
        }
        try {
            g.PeriodicElements[size_t(z)] = std::make_unique<TElementoQ>(lines[z]);
        } catch (const Exception& e) {
            r.Problems.append(QStringLiteral("Línea %1 de la tabla de elementos: %2").arg(z).arg(e.message()));
        }
    }
    if (missing > 0)
        r.Problems.append(QStringLiteral("Faltan %1 de los %2 elementos de la tabla").arg(missing).arg(kElementCount));
    return r;
}

// ---------------------------------------------------------------------------
// Texts

QString GroupName(int group)
{
    static const char* const names[18] = {"I A",    "II A",   "III B",  "IV B", "V B",   "VI B",
                                          "VII B",  "VIII B", "VIII B", "VIII B", "I B", "II B",
                                          "III A",  "IV A",   "V A",    "VI A", "VII A", "VIII A"};
    if (group < 1 || group > 18)
        return QString();
    return Format(QStringLiteral("%d (%s)"), {group, QString::fromLatin1(names[group - 1])});
}

QString GroupText(const TElementoQ& e) { return GroupName(e.Group); }

QString CrystalStructureName(int code)
{
    static const char* const names[8] = {"Hexagonal",   "Cúbica",       "Cúbica Centrada en Cara",
                                         "Cúbica Centrada en Cuerpo", "Tetragonal", "Ortorrómbica",
                                         "Romboédrica", "Monoclínica"};
    if (code < 1 || code > 8)
        return QStringLiteral("No Definida");
    return QString::fromUtf8(names[code - 1]);
}

QString CrystalStructureText(const TElementoQ& e) { return CrystalStructureName(e.CrystalStructure); }

QString ElementTypeName(int code)
{
    static const char* const names[11] = {"No Metal",          "Gas Inerte",          "Metal Alcalino",
                                          "Metal Alcalino Térreo", "No Metal - Metaloide", "No Metal - Halógeno",
                                          "Metal Pobre",       "Metal de Transición", "Lantánido",
                                          "Actínido",          "Superactínido"};
    if (code < 1 || code > 11)
        return QStringLiteral("No Definido");
    return QString::fromUtf8(names[code - 1]);
}

QString ElementTypeText(const TElementoQ& e) { return ElementTypeName(e.ElementType); }

namespace {

template <class T, size_t N>
QString joinUntilZero(const std::array<T, N>& values)
{
    QStringList parts;
    for (T v : values) {
        if (v == 0)
            break;
        parts.append(IntToStr(static_cast<long long>(v)));
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString OxidationStatesText(const TElementoQ& e) { return joinUntilZero(e.OxidationStates); }

QString ShellDistributionText(const TElementoQ& e) { return joinUntilZero(e.Shells); }

QString IsotopeCountText(int count)
{
    if (count <= 0)
        return QStringLiteral("Sin Isótopos Naturales");
    if (count == 1)
        return QStringLiteral("Un Isótopo Natural");
    return Format(QStringLiteral("%d Isótopos Naturales"), {count});
}

QString ElementFloatText(float value) { return FloatToStrF(static_cast<Extended>(value), FloatFormat::General, 6, 0); }

QString PropertyText(float value)
{
    return value == 0 ? QString::fromLatin1(kUnknownPropertyText) : ElementFloatText(value);
}

QList<TElementField> ElementDataFields(int z, const TElementoQ& e)
{
    auto num = [](long long v) { return IntToStr(v); };
    return {
        {QStringLiteral("lbNA"), QStringLiteral("Número Atómico"), num(z)},
        {QStringLiteral("lbSimb"), QStringLiteral("Símbolo"), e.Symbol},
        {QStringLiteral("lbPeso"), QStringLiteral("Masa Atómica (uma)"), PropertyText(e.AtomicMass)},
        {QStringLiteral("lbOx"), QStringLiteral("Estados de Oxidación"), OxidationStatesText(e)},
        {QStringLiteral("lbPeriodo"), QStringLiteral("Periodo"), num(e.Period)},
        {QStringLiteral("lbGrupo"), QStringLiteral("Grupo"), GroupText(e)},
        {QStringLiteral("lbTipo"), QStringLiteral("Serie"), ElementTypeText(e)},
        {QStringLiteral("lbElecNeg"), QStringLiteral("Electronegatividad"),
         PropertyText(static_cast<float>(e.Electronegativity) / 10.0f)},
        {QStringLiteral("lbConfElec"), QStringLiteral("Configuración Electrónica"), e.Configuration},
        {QStringLiteral("lbDistElec"), QStringLiteral("Electrones por Capa"), ShellDistributionText(e)},
        {QStringLiteral("lbEstrucCristal"), QStringLiteral("Estructura Cristalina"), CrystalStructureText(e)},
        {QStringLiteral("lbDensidad"), QStringLiteral("Densidad (g/cm3)"), PropertyText(e.Density)},
        {QStringLiteral("lbPtoEbullicion"), QStringLiteral("Punto de Ebullición (K)"), PropertyText(e.BoilingPoint)},
        {QStringLiteral("lbPtoFucion"), QStringLiteral("Punto de Fusión (K)"), PropertyText(e.MeltingPoint)},
        {QStringLiteral("lbCalorVap"), QStringLiteral("Calor de Vaporización (kJ/mol)"),
         PropertyText(e.HeatOfVaporization)},
        {QStringLiteral("lbCalorFucion"), QStringLiteral("Calor de Fusión (kJ/mol)"), PropertyText(e.HeatOfFusion)},
        {QStringLiteral("lbRadioCov"), QStringLiteral("Radio Covalente (Å)"), PropertyText(e.CovalentRadius)},
        {QStringLiteral("lbRadioAto"), QStringLiteral("Radio Atómico (pm)"), PropertyText(e.AtomicRadius)},
        {QStringLiteral("lbConducTer"), QStringLiteral("Conductividad Térmica (W/m.K)"),
         PropertyText(e.ThermalConductivity)},
        {QStringLiteral("lbAnoDesc"), QStringLiteral("Año de Descubrimiento"),
         e.DiscoveryYear ? num(e.DiscoveryYear) : QString::fromLatin1(kUnknownPropertyText)},
        {QStringLiteral("lbCanIso"), QStringLiteral("Isótopos"), IsotopeCountText(e.IsotopeCount())},
    };
}

QString ElementLine(const QString& symbolOrNumber)
{
    const QString key = symbolOrNumber.trimmed();
    if (PeriodicTableEmpty()) {
        const TTableReport r = LoadPeriodicTable();
        if (PeriodicTableEmpty())
            return r.Text();
    }
    int z = 0;
    long long n = 0;
    if (TryStrToInt(key, n)) {
        z = n >= 1 && n <= kElementCount ? static_cast<int>(n) : 0;
    } else {
        for (int i = 1; i <= kElementCount; ++i) {
            const TElementoQ* e = PeriodicElement(i);
            if (e && e->Symbol == key) {
                z = i;
                break;
            }
        }
    }
    const TElementoQ* e = PeriodicElement(z);
    if (!e)
        return QStringLiteral("Elemento desconocido: ") + key;
    QStringList parts{e->Name};
    for (const TElementField& f : ElementDataFields(z, *e))
        parts.append(f.Caption + QStringLiteral(": ") + f.Text);
    return parts.join(QStringLiteral(" ; "));
}
