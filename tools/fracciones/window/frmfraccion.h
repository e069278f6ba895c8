#pragma once
// The fractions window: an expression with fractions (1|2+3|4, 1..2, mixed
// numbers 3|1|2, decimals), its exact value as a fraction or mixed number, as
// a decimal, as a whole part with a ruler of the proper part, and its formula.
// The letters w, x, y and z are asked through the input box, "?" is solved
// for. The window owns the program's largest denominator for decimals and the
// mixed display of fractions.
#include "services/exprtoolwindow.h"
#include "tools/fracciones/fraccalc.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class TComboExpr;
class TPaintBox;

class TfmFraccion : public TExprToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmFraccion");
    static constexpr int kHelpContext = 42;
    static constexpr int kMenuHelpContext = 44;

    TfmFraccion(ToolHost& host, QWidget* parent);
    ~TfmFraccion() override;

    void ApplyAppearance() override;

    TFracCalc& Calc() { return m_calc; }

    // Controls by their names.
    TComboExpr* cmbExp = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label2 = nullptr;
    QToolButton* sbEntero = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    QFrame* Shape1 = nullptr;

public slots:
    void sbEnteroClick();

protected:
    // The text of cmbExp calculated (Enter, the largest denominator, 1½).
    void Evaluate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cmbExpChange();
    // Backspace and the digits pass, Enter calculates, other keys do nothing.
    bool ComboBox1Key(QKeyEvent* e);
    void ShowBar();
    void ReadSettings();
    void WriteSettings();

    TFracCalc m_calc;
    // The value whose proper part the bar shows.
    rational::TFrac m_barValue;
    bool m_changing = false;
};
