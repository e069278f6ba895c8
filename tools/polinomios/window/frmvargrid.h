#pragma once
// The variable grid: a small modal dialog that asks for the values of a list
// of names, one row each ("Variables" | "Valores"). The polynomial window
// asks through it for the values of the letters of a polynomial and for the
// bounds of a definite integral.
//
//     TfmVarGrid g(this);
//     if (g.Ask(QStringLiteral("a,b,")) == TfmVarGrid::mrOk)
//         use(g.ValueOf(QStringLiteral("a")));
#include <QDialog>

#include <functional>

class QPushButton;
class TStringGridX;

class TfmVarGrid : public QDialog {
    Q_OBJECT
public:
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TfmVarGrid(QWidget* parent = nullptr);

    // One row per comma-separated name, the values empty; 0 without names
    // (nothing shown), else the dialog's result. `exec`, when given, runs the
    // dialog in place of exec() (tests answer it there).
    int Ask(const QString& names, const std::function<int(QDialog&)>& exec = {});
    // The value typed for the name (case-insensitive); empty when none.
    QString ValueOf(const QString& name) const;

    TStringGridX* grid = nullptr;
    QPushButton* Button1 = nullptr;   // "&Aceptar"
    QPushButton* Button2 = nullptr;   // "Cancelar"

    // Colours of the fixed cells' gradient (the main window's scheme).
    unsigned ColorLight = 0xF7F7F7;
    unsigned ColorDark = 0xEDD2AF;

public slots:
    void Button1Click();
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The editor of the first value opens when the dialog shows.
    void showEvent(QShowEvent* e) override;

private:
    void OpenEditor();
};

// The dialog of the question being asked (none between questions), and the
// one the program makes at start-up.
extern TfmVarGrid* fmVarGrid;
