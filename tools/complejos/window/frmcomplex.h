#pragma once
// The complex-number window: an expression in complex numbers, its value z,
// its modulus |z|, its argument arg(z) in the main window's angle unit, and
// its formula. It knows the user's constants and functions of real.duf, asks
// the letters w, x, y and z through the input box and solves for "?". The
// main window hands it a text when a real calculation fails with an invalid
// operation (OfferComplexCalculation), and it calculates again when the
// angle unit changes.
#include "services/exprtoolwindow.h"
#include "tools/complejos/complexcalc.h"

class QLabel;
class QLineEdit;
class TComboExpr;

class TfmComplex : public TExprToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmComplex");
    static constexpr int kHelpContext = 43;
    static constexpr int kMenuHelpContext = 44;

    TfmComplex(ToolHost& host, QWidget* parent);
    ~TfmComplex() override;

    void ApplyAppearance() override;

    TComplexCalc& Calc() { return m_calc; }
    // Puts a text into the entry (the main window's offer).
    void SetExpression(const QString& text);

    // Controls by their names.
    TComboExpr* ComboBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;

protected:
    // Evaluates the text of ComboBox1 into z, |z| and arg(z).
    void Evaluate() override;

private:
    void ComboBox1Change();
    void ShowOutcome(const TComplexCalc::TOutcome& out);

    TComplexCalc m_calc;
};

// The main window's offer after a real calculation failed with an invalid
// operation: asks whether to evaluate `text` with the complex-number window;
// on Yes `open` shows the window (the main window's toggle, so that its menu
// item and button follow; none: the window is shown here), the text goes into
// its entry and is calculated. True when the user accepted.
bool OfferComplexCalculation(ToolHost& host, QWidget* owner, const QString& text,
                             const std::function<void()>& open = {});
