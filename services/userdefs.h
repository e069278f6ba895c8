#pragma once
// The user's own definitions in real.duf (in ExeDir): constants, functions and
// named expressions, one section each, one line per entry:
//
//     [Constantes]
//     k2=3*2_dos veces tres
//     [Funciones]
//     hip=(?A^2+?B^2)\2_hipotenusa
//
// The definition is the text before the first "_", the description the text
// after it, both trimmed. Files are Windows-1252 with CR LF.
//
// Two users:
// - the main window loads the constants and functions into both evaluators
//   and builds its insert menus from the result (LoadUserDefinitions);
// - the user-definitions dialog edits one section (TUserDefsEditor, the
//   computing class behind TfmUsuario in services/frmusuario.h) and writes it
//   back in place through the profile functions (platform/profile.h).
#include "engine/real/expresion.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace userdefs {

// ExeDir + "real.duf".
QString FileName();

// The sections by mode: 0 "Constantes", 1 "Funciones", 2 "Expresiones".
enum TMode { modeConstants = 0, modeFunctions = 1, modeExpressions = 2 };
QString SectionName(int mode);

// The two parts of a value.
QString DefinitionOf(const QString& value);
QString DescriptionOf(const QString& value);

// ---------------------------------------------------------------------------
// Loading (the main window's registration of the definitions)

// One item of the insert menus: its caption, and the index of its insert text
// in TUserDefsLoad::UserNames (the item's Tag).
struct TUserMenuItem {
    QString Caption;
    int Tag = 0;
    bool operator==(const TUserMenuItem&) const = default;
};

struct TUserDefsLoad {
    // What "insert" puts into the expression box, indexed by the items' Tag:
    // a constant's name, a function's name with its argument places ("hip(,)").
    QStringList UserNames;
    // The items of the "&Constante" submenu (after Pi, Euler and the
    // separator) and of "Función de &usuario".
    QList<TUserMenuItem> Constants;
    QList<TUserMenuItem> Functions;
    // One line per definition that was skipped: "Sección: nombre: motivo".
    QStringList Faults;
};

// Registers the sections "Constantes" and "Funciones" of the file in both
// evaluators: each constant is evaluated once (with the input evaluator's
// names and angle unit) and its value registered in both; each function is
// registered in the main and then in the input evaluator. A definition that
// does not compile or evaluate, or whose name is already taken, is skipped and
// the rest still load; the skipped ones are reported together in one error box
// (through the program's message boxes) unless `report` is false. The file is
// only read.
TUserDefsLoad LoadUserDefinitions(real::TExpresion& main, real::TExpresion& input, const QString& fileName,
                                  bool report = true);

// The insert text of a function: the name, and when it takes arguments "("
// with one "," less than their count and ")".
QString FunctionInsertText(const QString& name, int minArgs);

// ---------------------------------------------------------------------------
// Editing one section (the dialog's computing class)

struct TUserEntry {
    QString Name;
    QString Value;      // definition "_" description
    bool Changed = false;
};

class TUserDefsEditor {
public:
    // The section of `mode` (0..2; other values count as 0) in `fileName`.
    TUserDefsEditor(int mode, const QString& fileName);

    int Mode() const { return m_mode; }
    const QString& Section() const { return m_section; }
    const QString& FileName() const { return m_fileName; }

    // Reads the section's identifiers and values in file order. A file that
    // exists but cannot be read gives false (LoadError says why); the editor
    // then refuses to write it.
    bool Load();
    const QString& LoadError() const { return m_loadError; }

    int Count() const { return int(m_entries.size()); }
    const TUserEntry& Entry(int i) const { return m_entries.at(std::size_t(i)); }
    QStringList Names() const;
    bool Modified() const { return m_modified; }

    // An edit of the selected entry's fields (either field): when both are
    // non-empty its value becomes definition + "_" + description; in any case
    // the entry is marked changed and the editor modified. No selection (-1):
    // nothing.
    void Edit(int index, const QString& definition, const QString& description);

    // A new identifier (trimmed).
    enum class TAddResult { Added, Empty, Invalid, Known };
    // Known: the main evaluator knows the name (a built-in, a registered name,
    // an earlier definition) or the section already lists it. Invalid: not an
    // identifier (a letter, then letters, digits or "_"). Added: appended with
    // the value "_" + name, marked changed.
    TAddResult Add(const QString& name, real::TExpresion* mainEvaluator);
    // The name as Add will take it.
    static QString CleanName(const QString& name);
    static bool IsIdentifier(const QString& name);

    void Delete(int index);

    // Defines each changed entry, last to first, as a user function in the
    // main evaluator (modes functions and expressions; constants compile
    // nothing): a faulty one raises ECompilacion and nothing is written.
    void CheckDefinitions(real::TExpresion* mainEvaluator);
    // Erases the section and writes one line per entry in list order, in
    // place through the profile functions. False when the file could not be
    // written (or was not readable when loaded): the caller keeps the edits.
    bool Write();

private:
    int m_mode = 0;
    QString m_section;
    QString m_fileName;
    std::vector<TUserEntry> m_entries;
    bool m_modified = false;
    bool m_readable = true;
    QString m_loadError;
};

} // namespace userdefs
