#pragma once
// The base of the expression tool windows (fractions, complex numbers): an
// entry box where Esc empties the text (or closes the window when it is
// already empty) and Enter calculates, one calculation at a time; a formula
// view that copies and exports its picture and shows the main window's while
// it has none of its own; the letters of an expression asked through the
// shared input box; the typed text drawn while typing; the help button and F1;
// snapping to the edges as the main window's option says when activated.
//
// A window builds its panels with MakePanel, its entry with MakeEntry, its
// help button with MakeHelpButton and the formula view with MakeFormulaView,
// and calculates in Evaluate.
#include "engine/canvas.h"
#include "services/toolwindow.h"

#include <functional>
#include <memory>

class FormulaPicture;
class QToolButton;
class TAreaFondo;
class TAutoCompSource;
class TComboExpr;
class TFormulaView;

class TExprToolWindow : public TToolWindow {
    Q_OBJECT
public:
    // `helpContext` is the topic of the help button and F1.
    TExprToolWindow(ToolHost& host, const QString& name, int helpContext, QWidget* parent);

    void ApplyAppearance() override;

    // The window's own formula picture, or none.
    const FormulaPicture* Picture() const;

    // Asks a letter's value (tests answer it); none: the shared input box.
    std::function<bool(const QString& caption, QString& text)> AskLetter;
    // Shows the help topic (the main window's help); none: nothing.
    std::function<void(int context)> OnHelp;

    TFormulaView* PMeta = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;
    TAreaFondo* AreaFondo2 = nullptr;

public slots:
    // The text of the entry calculated; a calculation asks letters in a modal
    // box, so none starts while another runs.
    void Calculate();

protected:
    // The window's own calculation (run guarded: an exception is reported).
    virtual void Evaluate() = 0;

    // A panel named `name` with its gradient background `area` (named
    // "AreaFondo" and the panel's last character), kept at the panel's size.
    QWidget* MakePanel(const char* name, TAreaFondo*& area);
    // The help button SpeedButton9 in `parent`; it and F1 show the help topic.
    QToolButton* MakeHelpButton(QWidget* parent);
    // The formula view PMeta at least `minHeight` high.
    TFormulaView* MakeFormulaView(int minHeight);
    // The expression entry `name` in `parent`, its history kept in
    // `historyFile` (only calculated texts, no duplicates): Esc and Enter as
    // above; `otherKey` sees the other characters typed (it may change or
    // swallow them).
    TComboExpr* MakeEntry(QWidget* parent, const char* name, const QString& historyFile,
                          std::function<void(QChar& key)> otherKey = {});
    TComboExpr* Entry() const { return m_entry; }
    // The entry's text, empty while it shows its hint.
    QString EntryText() const;

    // The letter prompt of an expression whose names `names` gives.
    std::function<bool(const QString& caption, QString& text)>
    LetterPrompt(std::function<std::shared_ptr<const TAutoCompSource>()> names);

    // After a calculation of `text`: into the history when `toTop` (and not
    // empty), and the entry all selected.
    void Calculated(const QString& text, bool toTop);

    // Draws `text` while typing when the main window's option says so and no
    // autocomplete list is open: `draw(text)` gives the picture or the error
    // (members Picture and Error).
    template <class Draw>
    void DrawWhileTyping(const QString& text, Draw&& draw)
    {
        if (!DrawsWhileTyping())
            return;
        auto drawn = draw(text);
        ShowDrawing(text, std::move(drawn.Picture), drawn.Error);
    }

    // Base and window colours of a control.
    static void PaintControl(QWidget* w, TColor color);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool DrawsWhileTyping() const;
    void ShowDrawing(const QString& text, std::unique_ptr<FormulaPicture> picture, const QString& error);
    bool PaintMainPicture();

    int m_helpContext;
    TComboExpr* m_entry = nullptr;
    bool m_calculating = false;
};
