#pragma once
// The input box: the one modal dialog through which the main window and the
// tool windows ask the user for a value. Its entry is an expression box with
// autocomplete from the caller's name table; the caller evaluates the answer.
#include "controls/comboexpr.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

class TfmInput : public QDialog {
    Q_OBJECT
public:
    // The dialog's results (what exec() returns).
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TfmInput(QWidget* parent = nullptr);
    ~TfmInput() override;

    // Keeps the table (not owned) and gives it to the entry box; none
    // switches the autocomplete off.
    void SetNameTable(std::shared_ptr<const TAutoCompSource> table);
    template <class Entry>
    void SetNameTable(const exprcore::TNameTable<Entry>* table)
    {
        SetNameTable(MakeNameSource(table));
    }
    const TAutoCompSource* NameTable() const { return m_nameTable.get(); }

    int HelpContext() const { return 20; }

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    TComboExpr* Texto = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

public slots:
    void FormActivate();
    // Enter in the entry box closes the dialog with OK.
    void TextoKeyPress(QObject* Sender, QChar& Key);
    // Esc and the window's close box answer Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    std::shared_ptr<const TAutoCompSource> m_nameTable;
};

// The one input box, made at start-up (the program's start-up sets it).
extern TfmInput* fmInput;
