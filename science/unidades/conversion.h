#pragma once
// What the conversion menu and the instant converter compute without a
// window: the number literal around the caret of a text, the list of recent
// conversions with its settings section, and one number written in every base.
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <vector>

class TZelIniFile;

// ---- the number at the caret ----

struct TNumberAtCaret {
    bool Found = false;
    Extended Value = 0;
    int Start = 0;    // 0-based, the sign included when one was taken
    int Length = 0;   // 0 when there is no number
};
// The number literal around the caret (0-based position between characters):
// digits, one ".", an exponent "E"/"e" with its "-", and a "-" in front as
// its sign when nothing but an operator or the start stands before it.
TNumberAtCaret FindNumberAtCaret(const QString& text, int caret);

// The text a conversion writes ("%g") and its preview in the menu ("%8.4g",
// small letters).
QString ConvertedText(Extended value);
QString PreviewText(Extended value);
// The result box's text without blanks, read as a number; false when it is
// not one ("Verdadero", an error text).
bool ReadResultNumber(const QString& text, Extended& value);

// ---- recent conversions ----

class TRecentConversions {
public:
    static constexpr int kMax = 15;
    // Captions made by ConversionCaption, newest first.
    const QStringList& Items() const { return m_items; }
    bool IsEmpty() const { return m_items.isEmpty(); }
    // Puts the caption first; the same caption further down goes; at most
    // kMax stay.
    void Add(const QString& caption);
    // Section "RectConv": every line with a non-empty value, in file order
    // (at most kMax).
    void Read(TZelIniFile& ini);
    // The section rewritten with keys "0" upwards (older keys removed, so no
    // conversion dropped from the list comes back at the next start).
    void Write(TZelIniFile& ini) const;
    void Clear() { m_items.clear(); }

private:
    QStringList m_items;
};

// ---- a number in every base ----

// "Bin", "Oct", "Dec", "Hex" or the base's number.
QString BaseLabel(int base);
// The number written in base b by the display settings: digits and notation,
// " [b]" after it when b is not 10.
QString NumberInBase(int base, Extended x);
struct TBaseRow {
    int Base = 0;
    QString Label;
    QString Text;
};
// X in every base from 2 to 36.
std::vector<TBaseRow> AllBases(Extended x);
// A text in any base ("1010[2]", "hFF", "o17", "12.5"): false with the
// reader's message when it is not a number.
bool ReadNumberWithBase(const QString& text, Extended& value, QString& error);
