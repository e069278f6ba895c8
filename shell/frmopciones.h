#pragma once
// The options dialog: the main window's options on four tabs (General,
// Fuentes, Colores, Ventana), font previews, the colour scheme with its
// swatches and the named schemes of colores.ini, and the transparency.
// Aceptar checks every field first and then hands the values to the main
// window and writes the options it owns to the settings file; Cancelar gives
// back the colours shown at opening.
#include "engine/canvas.h"

#include <QDialog>
#include <QFont>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSpinBox;
class QTabWidget;
class QPushButton;
class QToolButton;
class TfrmCalcu;

// A named colour scheme: 0 light, 1 dark, 2 text, 3 field background.
class T4Colores {
public:
    // From its text form "c0,c1,c2,c3" (decimal, or hexadecimal after "$" or
    // "0x"); a field missing or unreadable gives white for the light and the
    // text colour and black for the dark and the field colour.
    explicit T4Colores(const QString& text);
    // From four colours; the text is "$%X,$%X,$%X,$%X".
    static T4Colores CreateColors(TColor light, TColor dark, TColor text, TColor field);

    std::array<TColor, 4> Colors{};
    QString Text;
};

// The options the dialog reads from the main window when it is shown and
// hands back at Aceptar (the process-wide ones it reads and sets itself).
struct TMainOptions {
    bool AutoComplete = true;
    bool Chemistry = true;
    bool History = true;
    bool Bar = true;
    bool Total = true;
    bool StayOnTop = false;
    bool NoTitle = false;
    bool Magnetic = true;
    QFont ExpressionFont;
    QFont ResultFont;
};

// What the dialog asks of the main window.
class TOptionsHost {
public:
    virtual ~TOptionsHost() = default;
    virtual TMainOptions Options() = 0;
    // The menu checks, the history, bar and total, then the result font and
    // the expression font.
    virtual void SetOptions(const TMainOptions& options) = 0;
    virtual std::array<TColor, 4> Scheme() = 0;
    virtual void SetScheme(const std::array<TColor, 4>& colours) = 0;
    // Layout and colours of the main window and every tool window.
    virtual void ApplySettings() = 0;
};

// The host over the main window.
std::unique_ptr<TOptionsHost> MainWindowOptionsHost(TfrmCalcu& main);

// Switches translucency on or off for every window of the program, from the
// three process-wide transparency values.
void ApplyTransparencyToAllWindows();

// A colour swatch: a click asks for its new colour.
class TColorSwatch : public QWidget {
public:
    explicit TColorSwatch(QWidget* parent);
    TColor Color() const { return m_color; }
    void SetColor(TColor c);
    std::function<void()> OnMouseDown;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TColor m_color = 0;
};

// The scheme's sample: gradients, texts and fields in its colours.
class TSchemePreview : public QWidget {
public:
    explicit TSchemePreview(QWidget* parent);
    std::array<TColor, 4> Colors() const { return m_colors; }
    void SetColors(const std::array<TColor, 4>& c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::array<TColor, 4> m_colors{};
};

class TfmOpciones : public QDialog {
    Q_OBJECT
public:
    TfmOpciones(TOptionsHost& host, QWidget* parent = nullptr);
    ~TfmOpciones() override;

    // Seams for the boxes the dialog opens (tests answer them).
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;
    std::function<bool(TColor& colour)> ChooseColor;
    std::function<void(QWidget* owner)> ShowAbout;

    // The schemes of the list, in the list's order.
    int SchemeCount() const;
    QString SchemeName(int i) const;
    const T4Colores& Scheme(int i) const;
    std::array<TColor, 4> Swatches() const;
    void SetSwatch(int i, TColor c);
    // The colours the preview shows: light, dark, text, field.
    std::array<TColor, 4> PreviewColors() const;

    QTabWidget* PageControl1 = nullptr;
    QCheckBox* chkAutocompletar = nullptr;
    QCheckBox* chkNoAuto = nullptr;
    QCheckBox* chkMMR = nullptr;
    QCheckBox* chkHistorial = nullptr;
    QCheckBox* chkBarra = nullptr;
    QCheckBox* chkTotales = nullptr;
    QLineEdit* edtDif = nullptr;
    QSpinBox* spnRecordar = nullptr;
    QComboBox* cmbFENom = nullptr;
    QComboBox* cmbFEtam = nullptr;
    QToolButton* spbFEneg = nullptr;
    QToolButton* spbFEcur = nullptr;
    QComboBox* cmbFRnom = nullptr;
    QComboBox* cmbFRtam = nullptr;
    QToolButton* spbFRneg = nullptr;
    QToolButton* spbFRcur = nullptr;
    QLabel* MuesFE = nullptr;
    QLabel* MuesFR = nullptr;
    TColorSwatch* Shape1 = nullptr;
    TColorSwatch* Shape2 = nullptr;
    TColorSwatch* Shape3 = nullptr;
    TColorSwatch* Shape4 = nullptr;
    TSchemePreview* Muestra = nullptr;
    QPushButton* btnPredeterminado = nullptr;
    QPushButton* btnAplicar = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QToolButton* btnAdd = nullptr;
    QToolButton* btnDel = nullptr;
    QCheckBox* chkSmpVis = nullptr;
    QCheckBox* chkOcuTit = nullptr;
    QCheckBox* chkMagnetic = nullptr;
    QCheckBox* chkJuntoReloj = nullptr;
    QCheckBox* chkTransparente = nullptr;
    QCheckBox* chkTransInactiva = nullptr;
    QSlider* trbTransVar = nullptr;
    QPushButton* btnAplicar2 = nullptr;
    QPushButton* Button1 = nullptr;   // Aceptar
    QPushButton* Button2 = nullptr;   // Cancelar
    QPushButton* Button3 = nullptr;   // Acerca de...

public slots:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void ShapeMouseDown(int index);
    void btnPredeterminadoClick();
    void btnAplicarClick();
    void ComboBox1Click();
    void btnAddClick();
    void btnDelClick();
    void TransparencyApply();
    void UpdatePreview();
    void UpdateFontPreviews();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void BuildGeneral(QWidget* page);
    void BuildFonts(QWidget* page);
    void BuildColours(QWidget* page);
    void BuildWindow(QWidget* page);
    void LoadSchemes();
    void InsertScheme(const QString& name, const T4Colores& scheme);
    // Every field read and checked; false (the message shown) when one is wrong.
    struct Checked;
    bool CheckFields(Checked& out);
    void ApplyTransparencyControls();

    TOptionsHost& m_host;
    std::vector<std::pair<QString, T4Colores>> m_schemes;
    std::array<TColor, 4> m_shownScheme{};
    bool m_shown = false;
};

// The dialog over the main window, modal; on Aceptar the main window applies
// its settings (Opciones..., Ctrl+O).
void RunOptionsDialog(TfrmCalcu& main);
