#pragma once
// Formula groups: one scrambled settings file per group (group + ".fcm" in
// the program's folder), one section per formula:
//   the law (an equation of the real engine whose names are the symbols),
//   description lines,
//   optionally "<img>" + picture reference ("#name.bmp": an entry of
//   form.img; anything else: a file beside the program),
//   "<def>",
//   one line per element: Simb_Descripción_Valor_Unidad_Base_F_Min_Max
//   (Base is magnitude=base unit; F is "1" for the unknown).
// Each operation opens the file, works and lets it go.
#include "foundation/core/exceptions.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TZelIniFile;

struct TFormulaElement {
    QString Simb, Descripcion, Valor, Unidad, Base, Min, Max;
    bool operator==(const TFormulaElement&) const = default;
};

struct TFormula {
    QString Ley;
    QStringList Desc;
    QString ImageReference;
    std::vector<TFormulaElement> Elements;
    // Index in Elements of the unknown; -1 when no element is marked.
    int Unknown = -1;
    bool operator==(const TFormula&) const = default;
};

// The key every group file is scrambled with (37 characters).
const QString& FormulaGroupKey();
// ExeDir + group + ".fcm".
QString FormulaGroupFile(const QString& group);
// The groups beside the program: every "*.fcm" file without its extension,
// sorted without letter case.
QStringList ListFormulaGroups();

// The element lines' separator and the tags of a section.
inline constexpr QChar kFieldSeparator = QLatin1Char('_');
QString DefTag();   // "<def>"
QString ImgTag();   // "<img>"

// A section's lines as a formula. An empty list is an empty formula; a
// section without "<def>" is a law and a description without elements.
TFormula ParseFormulaLines(const QStringList& lines);
// The lines a formula is written as. Raises Exception with a Spanish message
// when a part cannot be stored as it is: an empty law, a law or an element
// line above 255 characters, a "_" inside a cell, a description line that
// would read back as a tag. Long description lines are wrapped at blanks,
// lines that would read back as a section header get a leading blank, and
// empty description lines are left out.
QStringList FormulaLines(const TFormula& formula);
// What "Nueva Fórmula" writes.
TFormula NewFormulaTemplate();

// The description memo's text as lines ready to be stored (see FormulaLines).
QStringList DescriptionLines(const QStringList& text);
// Empty, or why the text cannot go into one cell of an element line.
QString CheckCellText(const QString& text);
// Empty, or why `name` cannot name a new group (a file name beside the
// program) or a new formula of a group, `existing` holding the names there
// are (compared without letter case).
QString CheckGroupName(const QString& name, const QStringList& existing);
QString CheckFormulaName(const QString& name, const QStringList& existing);

class TFormulaGroup {
public:
    explicit TFormulaGroup(const QString& group);
    const QString& FileName() const { return m_file; }
    // The formulas' names in file order. A file that cannot be used gives
    // none, and `problem` (when given) says why: one far larger than any
    // group, or one that is there but of which not one formula could be read
    // (one that cannot be opened at all is told by the settings engine).
    QStringList Names(QString* problem = nullptr) const;
    bool Exists(const QString& name) const;
    // The section's raw lines (empty when it is missing).
    QStringList Lines(const QString& name) const;
    TFormula Read(const QString& name) const;
    // Replaces (or adds) the section and writes the file; raises the
    // Exception of FormulaLines or EInOutError, the file then unchanged.
    void Write(const QString& name, const TFormula& formula) const;
    void WriteLines(const QString& name, const QStringList& lines) const;
    void Erase(const QString& name) const;
    // The same lines under the new name; the old section goes.
    void Rename(const QString& oldName, const QString& newName) const;

private:
    // The file opened for a change: one that is far too large or could not be
    // read is never written (EInOutError).
    std::unique_ptr<TZelIniFile> openForChange() const;
    QString m_file;
};

// No group holds more: a larger file is refused unread.
inline constexpr qint64 kMaxFormulaGroupBytes = 4 * 1024 * 1024;
