#pragma once
// A value and its description joined by "_" ("3*2_dos veces tres"), as the
// user definitions, the unit definitions and the saved history lines hold them.
#include <QString>

// The text trimmed at both ends (blanks and control characters), then the part
// before its first "_"; the whole trimmed text when it has none.
QString LeftOfUnderscore(const QString& text);
// The text trimmed, then the part after its first "_"; empty when it has none.
QString RightOfUnderscore(const QString& text);
