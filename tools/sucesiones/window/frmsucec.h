#pragma once
// The sequences window: a recurrence S(n) of the earlier terms, of n and of
// three functions f, g, h, computed until a stop condition holds, term by
// term ("Detallado") or in batches that the Esc key stops; definitions kept
// in suce.ini under a name, and the window's own state under "_".
#include "services/toolwindow.h"
#include "tools/sucesiones/sucesion.h"

#include <array>
#include <functional>
#include <memory>

class FormulaPicture;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class TAreaFondo;
class TComboExpr;
class TPaintBox;
class TTransMemo;

class TfmSucec : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmSucec");
    static constexpr int kHelpContext = 46;

    TfmSucec(ToolHost& host, QWidget* parent);
    ~TfmSucec() override;

    void ApplyAppearance() override;

    TSucesion& Sucesion() { return m_suc; }
    // The formula shown: 1 f, 2 g, 3 h, 0 the recurrence.
    int PictureSelector() const { return m_selector; }
    const FormulaPicture* Picture() const { return m_picture.get(); }

    // The standard input dialog (tests answer it); false: Cancel.
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;
    // Shows the help topic (the main window's help); none: nothing.
    std::function<void(int context)> OnHelp;

    // Controls by their names.
    TComboExpr* cmbF = nullptr;
    TComboExpr* cmbG = nullptr;
    TComboExpr* cmbH = nullptr;
    TComboExpr* cmbS = nullptr;
    TComboExpr* cmbP = nullptr;
    QToolButton* btnSn = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    TPaintBox* pbMeta = nullptr;
    QCheckBox* chkDetallado = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QComboBox* cmbGrup = nullptr;
    TTransMemo* TransMemo1 = nullptr;
    std::array<TAreaFondo*, 4> AreaFondo{};

public slots:
    void Button1Click();   // Iniciar
    void Button2Click();   // Continuar
    void btnSnClick();
    void EvaluateFunction(int which);   // "f(x)=", "g(x)=", "h(x)=" (0, 1, 2)
    void SelectPicture(int tag);
    void SpeedButton5Click();   // save under a name
    void SpeedButton6Click();   // delete the chosen definition
    void cmbGrupChange(int index);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TSucesion::TTexts Texts() const;
    void CompileAll();
    void UpdatePicture();
    void Start();
    void Continue();
    // Fills the boxes from a definition; the shift's conversion error comes
    // after the five boxes are filled.
    void LoadDefinition(const QString& name);
    // False when the user cancelled overwriting.
    bool SaveDefinition(const QString& name);
    void SaveState();
    void SetShift(int shift);
    void AppendLines(const QStringList& lines);

    TSucesion m_suc;
    std::unique_ptr<FormulaPicture> m_picture;
    int m_selector = 0;
    std::array<QString, 10> m_answers;
    QString m_lastX;
    bool m_stateSaved = false;
};
