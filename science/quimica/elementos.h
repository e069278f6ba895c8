#pragma once
// The element table of the periodic table window: one record per element 1 to
// 121, read from the tab-separated file tablaper.tab beside the program, and
// the texts made from a record's codes and lists.
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

struct TIsotope {
    std::uint16_t MassNumber = 0;   // 0 ends the list
    float Abundance = 0;            // percent
};

// Every numeric property is 0 when it is not known.
class TElementoQ {
public:
    TElementoQ() = default;
    // A record from one line of the file (23 fields separated by TAB); raises
    // EConvertError with a Spanish message naming the field that does not
    // convert.
    explicit TElementoQ(const QString& line);

    std::uint8_t AtomicNumber = 0;
    QString Symbol;                  // at most 3 characters
    QString Name;                    // at most 12 characters
    std::uint8_t ElementType = 0;    // 1 to 11, otherwise not defined
    float AtomicMass = 0;
    std::array<std::int8_t, 7> OxidationStates{};   // the list ends at the first 0
    std::uint8_t Electronegativity = 0;              // tenths: 22 is 2.2
    QString Configuration;           // at most 22 characters
    std::array<std::uint8_t, 7> Shells{};            // the list ends at the first 0
    std::uint8_t CrystalStructure = 0;               // 1 to 8, otherwise not defined
    float CovalentRadius = 0;        // Å
    float MeltingPoint = 0;          // K
    float BoilingPoint = 0;          // K
    float Density = 0;               // g/cm3
    std::uint8_t Period = 0;
    std::uint8_t Group = 0;          // 1 to 18
    std::uint16_t DiscoveryYear = 0;
    float HeatOfFusion = 0;          // kJ/mol
    float HeatOfVaporization = 0;    // kJ/mol
    std::array<TIsotope, 10> Isotopes{};
    std::uint8_t NaturalIsotopeCount = 0;
    float AtomicRadius = 0;          // pm
    float ThermalConductivity = 0;   // W/m.K

    // The isotopes before the first mass number 0.
    int IsotopeCount() const;
};

inline constexpr int kElementCount = 121;

struct ElementosGlobals {
    // Element Z at position Z (1 to 121); position 0 and the slots of lines
    // that could not be read stay empty.
    std::array<std::unique_ptr<TElementoQ>, kElementCount + 1> PeriodicElements;
    void reset();
};
ElementosGlobals& Elementos();

// Element Z, none for an empty slot or a number outside 1 to 121. Every reader
// goes through here.
const TElementoQ* PeriodicElement(int z);
// No element was loaded.
bool PeriodicTableEmpty();

// What loading the file found wrong: one Spanish line per problem (the file,
// or a line that was skipped). Empty when every element was read.
struct TTableReport {
    QStringList Problems;
    bool ok() const { return Problems.isEmpty(); }
    QString Text() const { return Problems.join(QLatin1Char('\n')); }
};

QString PeriodicTableFileName();
// Reads ExeDir + "tablaper.tab" into PeriodicElements: line 0 is a header,
// line i element i. A line that cannot be read is reported and its slot left
// empty; the others are kept.
TTableReport LoadPeriodicTable();
TTableReport LoadPeriodicTableFrom(const QString& fileName);
// The same from the lines of a file already read.
TTableReport SetPeriodicTableLines(const QStringList& lines);

// ---- texts ----
// "1 (I A)" ... "18 (VIII A)"; empty outside 1 to 18.
QString GroupName(int group);
QString GroupText(const TElementoQ& e);
// "Hexagonal" ... "Monoclínica"; "No Definida" for any other code.
QString CrystalStructureName(int code);
QString CrystalStructureText(const TElementoQ& e);
// "No Metal" ... "Superactínido"; "No Definido" for any other code.
QString ElementTypeName(int code);
QString ElementTypeText(const TElementoQ& e);
// The oxidation states up to the first 0, joined by ", " ("-2, 4, 6").
QString OxidationStatesText(const TElementoQ& e);
// The electrons per shell up to the first 0, joined by ", ".
QString ShellDistributionText(const TElementoQ& e);
// "Sin Isótopos Naturales", "Un Isótopo Natural", "N Isótopos Naturales".
QString IsotopeCountText(int count);
// A float as the element window writes it: general format, 6 digits.
QString ElementFloatText(float value);
// The text of a numeric property, which the table stores as 0 when it is not
// known: "desconocido" for 0, the number otherwise.
QString PropertyText(float value);
inline constexpr const char* kUnknownPropertyText = "desconocido";

// The element's data as the element window lists them, in its order: the
// field's caption and its text.
struct TElementField {
    QString Name;    // the label's control name ("lbPeso")
    QString Caption; // what the window writes before it ("Masa Atómica")
    QString Text;
};
QList<TElementField> ElementDataFields(int z, const TElementoQ& e);

// One line of sumbrix-eval "#element SYMBOL-OR-NUMBER": the element's data,
// " ; " between the fields, or a Spanish message.
QString ElementLine(const QString& symbolOrNumber);
