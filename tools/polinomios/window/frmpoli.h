#pragma once
// The polynomial window: two polynomials P and Q typed in two entry boxes,
// and the operations on them (sum, difference, product, quotient with the
// simplified fraction, power, evaluation or substitution of letters) and on
// the selected one when it is a polynomial in x (derivative, antiderivative,
// definite integral, Ruffini's rule, roots), plus the polynomial made from a
// list of roots. Results are text in a read-only memo, the operation named
// in a label above it.
//
// Long products and powers show their progress in the label and stop at Esc.
#include "services/toolwindow.h"
#include "tools/polinomios/poliactions.h"

#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QLabel;
class QPlainTextEdit;
class QToolButton;
class TAreaFondo;
class TComboExpr;
class TfmVarGrid;

namespace complex {
class TExpresion;
}

class TfmPoli : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmPoli");

    TfmPoli(ToolHost& host, QWidget* parent);
    ~TfmPoli() override;

    void ApplyAppearance() override;
    int HelpContext() const { return 52; }

    // The desktop's text question (power, roots): false when cancelled.
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;
    // Runs a modal dialog (the variable grid, the input box) and gives its
    // result; exec() unless replaced.
    std::function<int(QDialog& dialog)> ExecDialog;
    // Help by context number (F1 and the help button).
    std::function<void(int context)> OnHelp;

    TAreaFondo* AreaFondo1 = nullptr;
    TAreaFondo* af1 = nullptr;
    TComboExpr* Edit1 = nullptr;   // P
    TComboExpr* Edit2 = nullptr;   // Q
    QLabel* Label1 = nullptr;      // "P(x):"
    QLabel* Label2 = nullptr;      // "Q(x):"
    QLabel* Label3 = nullptr;      // the operation
    QPlainTextEdit* Memo1 = nullptr;
    QToolButton* btnSuma = nullptr;
    QToolButton* btnResta = nullptr;
    QToolButton* btnProducto = nullptr;
    QToolButton* btnCociente = nullptr;
    QToolButton* btnEvaluar = nullptr;
    QToolButton* btnDerivar = nullptr;
    QToolButton* btnIntegIndef = nullptr;
    QToolButton* btnIntegralDef = nullptr;
    QToolButton* btnRuffini = nullptr;
    QToolButton* btnRaices = nullptr;
    QToolButton* btnGenerar = nullptr;
    QToolButton* btnPotencia = nullptr;
    QToolButton* SpeedButton11 = nullptr;   // help
    QToolButton* SpeedButton12 = nullptr;   // exchange P and Q

    // The box whose polynomial the one-polynomial actions use; none while
    // the memo has the focus.
    TComboExpr* SelectedEdit() const { return m_selected; }

public slots:
    void btnSumaClick();
    void btnRestaClick();
    void btnProductoClick();
    void btnCocienteClick();
    void btnEvaluarClick();
    void btnDerivarClick();
    void btnIntegIndefClick();
    void btnIntegralDefClick();
    void btnRuffiniClick();
    void btnRaicesClick();
    void btnGenerarClick();
    void btnPotenciaClick();
    void SpeedButton11Click();
    void SpeedButton12Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Reads the box as a polynomial in several letters (or in x), writes its
    // text back and puts it first in the box's history; clears the memo and
    // the label.
    TPoliN ParsePolyN(TComboExpr* box);
    TPoli ParsePoli(TComboExpr* box);
    // The buttons of the polynomials in x, and the label of the control's
    // polynomial, by the control's text.
    void UpdateForText(QWidget* control);
    void Show(const TPoliAction& a);
    // An action of a button: a second one never starts while one runs; what
    // it raises ends in the application's error box (the cancellation
    // silently); long products report to the label and stop at Esc.
    void Run(const std::function<void()>& action);
    // An operation on the selected box's polynomial in x; nothing without one.
    void OnSelectedPoli(TPoliAction (*operation)(const TPoli&));
    // A new variable grid placed beside the buttons.
    std::unique_ptr<TfmVarGrid> NewVarGrid(const QString& hint);
    int AskGrid(TfmVarGrid& grid, const QString& names);
    void TypingKey(TComboExpr* box, QChar& key);
    bool CtrlKey(int key);

    TComboExpr* m_selected = nullptr;
    std::unique_ptr<complex::TExpresion> m_complex;
    bool m_busy = false;
};
