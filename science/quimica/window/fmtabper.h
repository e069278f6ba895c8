#pragma once
// The periodic table window: the elements in their periodic layout, every
// cell coloured by the property chosen in "Mostrar:", the pointed element's
// main data in the header, the legend of the colouring under the table and,
// on a click, the element's whole data in the element window.
#include "science/quimica/coloreo.h"
#include "services/toolwindow.h"

#include <QLabel>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;
class QFrame;
class QLabel;
class QTableWidget;
class QToolButton;
class TAreaFondo;
class TGamma;
class TPaintGrid;
class TRxSpinButton;
class TfaEscala;
class TfaEstado;
class TfaTabPerBase;
class TfaTipo;

// Element numbers by cell, row by row, 0 for an empty cell: cells 0 to 143
// are the main grid (18 x 8), 144 to 179 the lower grid (18 x 2).
extern const std::array<std::uint8_t, 180> kTablaPeriodica;

// The element detail window.
class TfmElemento : public QWidget {
    Q_OBJECT
public:
    explicit TfmElemento(QWidget* parent);
    // Fills and shows the window; nothing for 0 or an empty slot.
    void ShowElement(int z);
    int Current() const { return m_z; }

    QToolButton* btnPrimero = nullptr;    // "<<"
    QToolButton* btnAnterior = nullptr;   // "<"
    QToolButton* btnSiguiente = nullptr;  // ">"
    QToolButton* btnUltimo = nullptr;     // ">>"
    TRxSpinButton* SpinButton1 = nullptr;
    QTableWidget* iso = nullptr;
    QLabel* lbCanIso = nullptr;

public slots:
    // The navigation buttons by their Tag: 0 first, 1 previous, 2 next, 3 last.
    void Navigate(int tag);
    // The spin button: up and down, wrapping around at both ends.
    void SpinUp();
    void SpinDown();

private:
    int m_z = 0;
};

class TfmTabPer : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmTabPer");

    TfmTabPer(ToolHost& host, QWidget* parent = nullptr);
    ~TfmTabPer() override;

    void ApplyAppearance() override;
    void RedrawTable();
    void PaintTable(TPaintGrid* grid);
    void ShowElementInfo(int z);
    TfaTabPerBase* CurrentFrame() const { return m_frame; }
    // The colour a cell of element z has now.
    TColor CellColor(int z) const;
    // The element of a cell of a grid (0 for none).
    int ElementAt(const TPaintGrid* grid, int cell) const;
    TfmElemento* ElementWindow() const { return fmElemento; }

    TPaintGrid* pg1 = nullptr;
    TPaintGrid* pg2 = nullptr;
    QLabel* lbSimb = nullptr;
    QLabel* lbNA = nullptr;
    QLabel* lbNombre = nullptr;
    QLabel* lbGrupo = nullptr;
    QLabel* lbPeriodo = nullptr;
    QLabel* lbMasa = nullptr;
    QLabel* lbTipo = nullptr;
    QLabel* lbValencia = nullptr;
    QFrame* Panel1 = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;
    QComboBox* cmbPintar = nullptr;
    QToolButton* SpeedButton1 = nullptr;   // "<"
    QToolButton* SpeedButton2 = nullptr;   // ">"
    QLabel* Actual = nullptr;
    TfaEstado* faEstado = nullptr;
    TfaTipo* faTipo = nullptr;
    TfaEscala* faEscala = nullptr;
    TfmElemento* fmElemento = nullptr;

public slots:
    void cmbPintarClick();
    void SpeedButton1Click();
    void SpeedButton2Click();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void mouseMoveCell(TPaintGrid* grid, TShiftState shift, int cell);
    void mouseDownCell(TPaintGrid* grid, Qt::MouseButton button, int cell);

    TGamma* m_gamma = nullptr;
    TfaTabPerBase* m_frame = nullptr;
    bool m_reported = false;
};
