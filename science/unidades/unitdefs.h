#pragma once
// The editing of maguni.def behind the unit-definition editor: an in-memory
// copy of the file, one magnitude on display with its fundamental unit and
// its unit rows, and the operations of the dialog's buttons. Nothing reaches
// the file but Save.
#include "foundation/core/zelini.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct TUnitRow {
    QString Name;
    QString ToSide;     // turns U units into fundamental units
    QString FromSide;   // turns U fundamental units into units
    bool IsEmpty() const { return Name.isEmpty() && ToSide.isEmpty() && FromSide.isEmpty(); }
    bool operator==(const TUnitRow&) const = default;
};

class TUnitDefsEditor {
public:
    // Opens the file (the program's maguni.def by default) with the unit key.
    explicit TUnitDefsEditor(const QString& fileName = QString());
    // Whatever was not saved is dropped: the copy is never written from here.
    ~TUnitDefsEditor();
    TUnitDefsEditor(const TUnitDefsEditor&) = delete;
    TUnitDefsEditor& operator=(const TUnitDefsEditor&) = delete;

    // The magnitudes of the copy (and those added here), sorted.
    const QStringList& Magnitudes() const { return m_magnitudes; }
    // The magnitude on display ("" when there is none).
    const QString& Current() const { return m_current; }
    int CurrentIndex() const { return int(m_magnitudes.indexOf(m_current)); }

    // The display: the fundamental unit and the unit rows (without the empty
    // row a grid keeps for a new unit). Changing them is an edit: set Modified.
    QString Fundamental;
    std::vector<TUnitRow> Rows;
    bool Modified = false;

    // Shows the magnitude of that name (case-insensitive; the first one when
    // there is none of that name). A section without "UniFundamental" shows
    // an empty fundamental and all its lines as rows.
    void Show(const QString& name);
    // The display checked and written into the copy under Current: empty, or
    // the message that refuses a name (nothing is stored then).
    QString Store();
    // A new magnitude with its fundamental unit, shown with no rows (written
    // into the copy when it is stored). The message that refuses it, or empty.
    QString Add(const QString& name, const QString& fundamental);
    // Erases the magnitude on display from the copy and shows the one now at
    // its place (or the new last one).
    void Delete();
    // Renames the magnitude on display; the message that refuses the name, or
    // empty. The display is stored under the new name (Modified).
    QString Rename(const QString& newName);
    // Sorts the rows by name.
    void SortRows();
    // Moves row `from` to place `to` (the rows between shift by one); the
    // units keep that order in the file and in the lists built from it.
    void MoveRow(int from, int to);

    // Stores the display when Modified (a refused name raises EConvertError
    // with Store's message), writes the file; raises EInOutError when it
    // cannot be written (the copy stays, a later Save tries again).
    // The caller reloads the definitions.
    void Save();
    // The copy has changes that are not in the file.
    bool Unsaved() const;

private:
    int IndexOf(const QString& name) const;
    std::unique_ptr<TZelIniFile> m_ini;
    QStringList m_magnitudes;
    QString m_current;
};
