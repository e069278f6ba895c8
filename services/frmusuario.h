#pragma once
// The user-definitions dialog: edits one section of real.duf (constants,
// functions or named expressions) over TUserDefsEditor (services/userdefs.h).
//
// How the main window opens it (Constantes1Click, mode = the menu item's Tag):
//
//     TfmUsuario dlg(mode, MainEvaluator(), InputEvaluator, this);
//     dlg.SetSchemeColors(ClLuz, ClSombra, ClFondo, ClTexto);
//     if (dlg.exec() == TfmUsuario::mrOk) {
//         calcfuncs::ReloadCalcTables(*main, *input);
//         RegisterNames();      // registers the names and the definitions again
//     }
//
// Modal boxes go through the program's message boxes (Basicos().Messages);
// the new-identifier prompt through InputQuery, which tests replace.
#include "engine/canvas.h"
#include "services/userdefs.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TAreaFondo;

namespace real {
class TExpresion;
}

class TfmUsuario : public QDialog {
    Q_OBJECT
public:
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    // `mode`: 0 constants, 1 functions, 2 expressions. The main evaluator
    // checks new names and function definitions; the input evaluator's names
    // feed the autocomplete of the definition field. Neither is owned.
    TfmUsuario(int mode, real::TExpresion* mainEvaluator, real::TExpresion* inputEvaluator,
               QWidget* parent = nullptr, const QString& fileName = userdefs::FileName());
    ~TfmUsuario() override;

    int Mode() const { return m_editor.Mode(); }
    const QString& SectionName() const { return m_editor.Section(); }
    int HelpContext() const { return Mode() == userdefs::modeConstants ? 18 : 19; }
    const userdefs::TUserDefsEditor& Editor() const { return m_editor; }
    bool Modified() const { return m_editor.Modified(); }
    // The selected list row, -1 for none.
    int Selected() const;

    // The scheme's light and dark colours (the background gradient), and the
    // field and text colours of the list and the two fields.
    void SetSchemeColors(TColor light, TColor dark, TColor field, TColor text);

    // Asks for a text: caption, prompt, the text in and out; false on Cancel.
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;

    TAreaFondo* AreaFondo1 = nullptr;
    QLabel* Label1 = nullptr;   // heading: the section name
    QLabel* Label2 = nullptr;   // "Breve descripción:"
    QLabel* Label3 = nullptr;   // "Definición:"
    QListWidget* lbox = nullptr;
    QLineEdit* desc = nullptr;
    QPlainTextEdit* Def = nullptr;
    QPushButton* Button1 = nullptr;   // &Nueva
    QPushButton* cmdElim = nullptr;   // &Eliminar
    QPushButton* Button2 = nullptr;   // &Aceptar
    QPushButton* Button4 = nullptr;   // &Cancelar

public slots:
    void FormShow();
    void FormHide();
    void lboxClick();
    void descChange(QObject* Sender);
    void Button1Click();
    void cmdElimClick();
    void Button2Click();
    void Button4Click();
    void DefKeyPress(QChar& Key);
    // Esc and the window's close box: as Cancelar.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearFields();

    userdefs::TUserDefsEditor m_editor;
    real::TExpresion* m_main = nullptr;
    real::TExpresion* m_input = nullptr;
    bool m_loading = false;
    bool m_shown = false;
};
