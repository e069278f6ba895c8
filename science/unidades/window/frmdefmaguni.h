#pragma once
// The unit-definition editor ("Magnitudes y unidades"): a modal dialog over
// TUnitDefsEditor in which the user adds, renames and deletes magnitudes and
// edits the units of each one with their two conversion expressions.
// "Guardar" writes maguni.def and reloads the definitions (every menu and
// list built from them is rebuilt by its owner's reload handler); "Cancelar",
// Esc and the close box never write.
//
//     TfmDefMagUni editor(window);
//     if (editor.EditMagnitude(QStringLiteral("Longitud"))) ...   // saved
#include "science/unidades/unitdefs.h"
#include "services/toolhost.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class TAreaFondo;
class TStringGridX;

// "Nueva Magnitud": the name and the fundamental unit of a new magnitude.
class TfrmNuevoTipo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNuevoTipo(QWidget* parent = nullptr);
    // The background in the scheme's light and dark colours, the boxes in
    // its field colour.
    void SetScheme(const TAppearance& scheme);
    TAreaFondo* AreaFondo1 = nullptr;
    QLineEdit* edtTipo = nullptr;
    QLineEdit* edtFundamental = nullptr;
    QPushButton* btnAceptar = nullptr;
    QPushButton* btnCancelar = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateAccept();
};

class TfmDefMagUni : public QDialog {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmDefMagUni");
    static constexpr int kHelpContext = 16;

    // `fileName`: the definitions file (the program's maguni.def when empty).
    // The dialog takes the colour scheme of the window that owns it.
    explicit TfmDefMagUni(QWidget* parent = nullptr, const QString& fileName = QString());
    ~TfmDefMagUni() override;

    // Shows the magnitude (the first one when there is none of that name) and
    // runs the dialog; true when it ended with "Guardar".
    bool EditMagnitude(const QString& name);
    // Fills the list's selection, the fundamental unit and the grid.
    void ShowMagnitude(const QString& name);

    const TUnitDefsEditor& Editor() const { return *m_editor; }
    const TAppearance& Scheme() const { return m_scheme; }
    // Backgrounds, grid and boxes in these colours.
    void SetScheme(const TAppearance& scheme);
    // Moves unit row `from` to row `to` (grid rows, 1 to the last unit; the
    // header and the empty last row never move), as dragging its first cell
    // does.
    void MoveRow(int from, int to);
    bool Modified() const { return m_editor->Modified; }

    // Runs the dialog modally (tests replace it to drive it without blocking).
    std::function<int(QDialog& dialog)> RunDialog;
    // Asks the new magnitude's name and fundamental unit ("+").
    std::function<bool(QString& name, QString& fundamental)> AskNewMagnitude;
    // Asks a text: caption, prompt, the text in and out; false on Cancel ("N").
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;

    QWidget* Panel1 = nullptr;            // the magnitude, its fundamental unit
    TAreaFondo* AreaFondo1 = nullptr;
    QWidget* Panel2 = nullptr;            // the buttons
    TAreaFondo* AreaFondo2 = nullptr;
    QComboBox* cmbMag = nullptr;
    QLineEdit* txtUniFund = nullptr;
    TStringGridX* gri = nullptr;
    QToolButton* SpeedButton8 = nullptr;   // "+"
    QToolButton* SpeedButton1 = nullptr;   // "-"
    QToolButton* SpeedButton4 = nullptr;   // "N"
    QToolButton* SpeedButton5 = nullptr;   // sort
    QToolButton* SpeedButton2 = nullptr;   // "Guardar"
    QToolButton* SpeedButton3 = nullptr;   // "Cancelar"
    QToolButton* SpeedButton9 = nullptr;   // help

public slots:
    void cmbMagClick();
    void SpeedButton8Click();
    void SpeedButton1Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton9Click();
    // Esc and the close box: as "Cancelar".
    void reject() override;
    // Every end: the cell being typed in is kept, the placement written.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    // The grid's rows into the editor, and back.
    void ReadGrid();
    void FillGrid();
    void WriteHeader();
    void FillMagnitudes();
    // Stores the display; false (with a box) when a name is refused.
    bool StoreShown();
    void AskDeleteRow(int row);
    bool RowIsEmpty(int row) const;
    // Closes the cell editor of the grid, keeping its text.
    void CommitCellEditor();
    // The unit row a drag over that point of the grid ends on.
    int DropRow(const QPoint& viewportPos) const;

    std::unique_ptr<TUnitDefsEditor> m_editor;
    TAppearance m_scheme;
    bool m_filling = false;
    bool m_placed = false;
    int m_dragRow = -1;   // the row being dragged, -1 for none
};
