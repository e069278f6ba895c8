#pragma once
// The unit conversion engine: every magnitude (a physical quantity or a
// currency) with its units, read from maguni.def, and the conversion of a value
// between two units of one magnitude by way of the magnitude's fundamental
// unit. Each unit holds two small expressions in the variable "U": one gives
// the value in the fundamental unit, the other the value in this unit.
//
// maguni.def: one section per magnitude; "UniFundamental=" names the
// fundamental unit; every other line is "unit=to_from", where "to" turns U
// units into fundamental units and "from" U fundamental units into units. A
// side without U is a factor: "1000" alone means one unit is 1000 fundamental
// units, "_1000" that one fundamental unit is 1000 units.
#include "engine/real/expresion.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A definition that cannot be turned into a unit, a conversion between names
// that are not declared, a conversion tag that names nothing.
class EConvUnid : public Exception {
public:
    using Exception::Exception;
};

// One unit: its definition and its two conversion trees (owned).
class TUnidad {
public:
    // Compiles both sides on the unit evaluator; raises EConvUnid (and lets the
    // evaluator's compile error pass for a name it does not know).
    explicit TUnidad(const QString& definition);
    ~TUnidad();
    TUnidad(const TUnidad&) = delete;
    TUnidad& operator=(const TUnidad&) = delete;

    const QString& Definition() const { return m_definition; }
    // X units in fundamental units, and X fundamental units in units. The
    // engine's arithmetic errors pass to the caller.
    Extended ToFundamental(Extended x);
    Extended FromFundamental(Extended x);

private:
    Extended Run(real::TEval* tree, Extended x);
    QString m_definition;
    real::TEval* m_to = nullptr;
    real::TEval* m_from = nullptr;
};

// One magnitude of MagnitudeList: its name as in the file (it may hold "&")
// and its units in file order; the fundamental unit stands where its
// "UniFundamental" line stands.
struct TMagnitud {
    QString Name;
    QStringList UnitNames;
    std::vector<std::unique_ptr<TUnidad>> Units;
    int Count() const { return int(UnitNames.size()); }
    // The index of the unit of that name (case-insensitive), -1 when none.
    int IndexOf(const QString& unit) const;
};

// What a caller that holds menus or lists built from MagnitudeList is told
// after every load: they are stale and must be rebuilt.
using TUnitReloadHandler = std::function<void()>;

// The engine's process-wide state.
struct UnitEngineState {
    // The private evaluator of the definitions (variable "U", constants "PI",
    // "¶" and "G", the built-in functions); made on first need.
    std::unique_ptr<real::TExpresion> UnitExpression;
    real::TVariable* UnitVariable = nullptr;
    // Sorted once after reading, case-insensitively. Declared after the
    // evaluator: the units' trees go before the variable they read.
    std::vector<TMagnitud> MagnitudeList;
    // One line per definition dropped by the last load:
    // key + " (" + magnitude + "): " + message + "\r\n".
    QString UnitLoadLog;
    // The compile messages of the last load (one per faulty side), kept
    // instead of shown: the load runs before there is a window to show them.
    QStringList UnitLoadNotices;
    // Grows with every load: menus and lists remember the one they were built
    // from.
    std::uint64_t Generation = 0;
    // The load whose problems were shown to the user (ShowUnitLoadNotices).
    std::uint64_t ShownGeneration = 0;
    std::vector<std::pair<int, TUnitReloadHandler>> ReloadHandlers;
    int NextHandler = 1;
    // Frees everything (the units first, then the evaluator).
    void reset();
};
UnitEngineState& unitEngine();

// The key maguni.def is scrambled with.
const QString& UnitDefinitionsKey();
// The file's name in the executable's folder.
QString UnitDefinitionsFile();

// The most magnitudes, and units of one magnitude, that the conversion tags can
// address; the rest are refused at load with a line in the load log.
inline constexpr int kMaxMagnitudes = 256;
inline constexpr int kMaxUnits = 256;

// The unit evaluator, made on first need.
real::TExpresion& UnitExpression();

// Rebuilds MagnitudeList from maguni.def and UnitLoadLog, then tells every
// reload handler. A definition that fails (an EConvUnid, a name the evaluator
// does not know, a side that does not compile) is logged and dropped; nothing
// here raises for the file's contents. A file that cannot be read leaves the
// list empty (its message in UnitLoadNotices).
void LoadUnitDefinitions();
// Frees every unit and magnitude (the list is left empty).
void FreeUnitDefinitions();

// Called after every load until removed (the number given back).
int AddUnitReloadHandler(TUnitReloadHandler handler);
void RemoveUnitReloadHandler(int id);

// The magnitude's index: a name beginning with "moneda" takes the first
// magnitude whose name, without "&", begins so; -1 when none.
int FindMagnitude(const QString& magnitude);
// Value in FromUnit converted to ToUnit of Magnitude. Equal unit names
// (ASCII case aside) give Value unchanged, looked up or not. Raises EConvUnid
// for an undeclared name, the engine's arithmetic errors for a result that is
// not a finite number.
Extended ConvertUnits(const QString& magnitude, const QString& fromUnit, const QString& toUnit, Extended value);

// Conversion tags: to × 65536 + from × 256 + magnitude.
std::int32_t PackConversionTag(int magnitude, int fromUnit, int toUnit);
struct TConversionIndices {
    int Magnitude = 0, From = 0, To = 0;
};
// The three indices of a tag; EConvUnid when the tag does not name a
// conversion of MagnitudeList as it is now.
TConversionIndices UnpackConversionTag(std::int32_t tag);
Extended ConvertByTag(std::int32_t tag, Extended value);
// "%s -> %s (%s)": from-unit, to-unit, magnitude name. EConvUnid for a tag
// that names nothing.
QString ConversionCaption(std::int32_t tag);

// The three names of a caption made by ConversionCaption: the magnitude is the
// text between the first "(" and the last character, the source unit the
// trimmed text before " -> ", the target the trimmed text between " -> " and
// that "(". False when the caption has not that shape.
bool SplitConversionCaption(const QString& caption, QString& fromUnit, QString& toUnit, QString& magnitude);

// The order of magnitude lists: names compared without "&", accents or
// letter case, so that "Ángulo" stands beside "Aceleración", not after "Volumen".
QString MagnitudeSortKey(const QString& name);
void SortMagnitudeNames(QStringList& names);

// A name a magnitude or a unit may have: not empty, no "=", "_", "(" or
// " -> ", no blanks at its ends. The message that refuses it, or empty.
QString CheckUnitName(const QString& name);
