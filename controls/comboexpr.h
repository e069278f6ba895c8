#pragma once
// The expression entry box: an editable drop-down box whose list is the
// expression history (kept in a file beside the program), with a grey
// placeholder while empty and unfocused, two-key shortcuts (** gives ^, ...),
// the autocomplete list opened by typed letters and the on-screen keyboard
// shown when the mouse enters it.
#include "controls/events.h"
#include "controls/frmautocomp.h"

#include <QColor>
#include <QComboBox>
#include <QString>

#include <algorithm>
#include <functional>
#include <memory>

class QLineEdit;

#ifndef SUMBRIX_KEY_EVENTS_DEFINED
#define SUMBRIX_KEY_EVENTS_DEFINED
// A key went down (Key: a Qt::Key; set it to 0 to swallow the key).
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
// A character was typed (set Key to 0 to swallow it, or change it).
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
#endif

// Process-wide switch of the entry boxes.
struct ComboExprGlobals {
    // The main window's "Mostrar Teclado" option: boxes show the on-screen
    // keyboard only while it is on (and their own Teclado is on).
    bool KeyboardEnabled = false;
    void reset();
};
ComboExprGlobals& ComboExpr();

// Where a window of size `size` goes clear of `window` (frame rectangles,
// screen coordinates) on `screen`: under it, above it, right of it or left of
// it, whichever fits first, its left edge first at `preferredX`; `fallback`
// when none fits.
QPoint PlaceClearOf(const QRect& window, const QSize& size, int preferredX, const QRect& screen,
                   const QPoint& fallback);

class TComboExpr : public QComboBox {
    Q_OBJECT
public:
    // The most entries AddExprHistory keeps.
    static constexpr int kMaxHistory = 50;

    explicit TComboExpr(QWidget* parent = nullptr);
    ~TComboExpr() override;

    // ---- published properties ----
    bool Autoagregar() const { return m_autoagregar; }
    void SetAutoagregar(bool on) { m_autoagregar = on; }
    bool Duplicados() const { return m_duplicados; }
    void SetDuplicados(bool on) { m_duplicados = on; }
    const QString& FileName() const { return m_fileName; }
    void SetFileName(const QString& name) { m_fileName = name; }
    const QString& TextEmpty() const { return m_textEmpty; }
    void SetTextEmpty(const QString& s) { m_textEmpty = s; }
    bool Teclado() const { return m_teclado; }
    void SetTeclado(bool on);
    // The keyboard opens clear of the box's window (under it, above it or
    // beside it, where the screen has room) instead of under the box: for a
    // window whose results lie under its box.
    void SetKeyboardClearOfWindow(bool on) { m_keyboardClear = on; }
    const TNotifyEvent& OnCargarLista() const { return m_onCargarLista; }
    void SetOnCargarLista(TNotifyEvent e) { m_onCargarLista = std::move(e); }
    // The framework's own type-ahead completion from the item list.
    bool AutoComplete() const { return m_autoComplete; }
    void SetAutoComplete(bool on);

    // ---- public state ----
    bool IsEmpty() const { return m_isEmpty; }
    bool InAutoComplete() const { return m_inAutoComplete; }
    void SetInAutoComplete(bool on);
    bool AutoCompleteSuppressed() const { return m_autoCompleteSuppressed; }
    void SetAutoCompleteSuppressed(bool on) { m_autoCompleteSuppressed = on; }
    const QColor& SavedFontColor() const { return m_savedFontColor; }

    // The name table of the owner's evaluator (not owned); none: no autocomplete.
    const TAutoCompSource* NameTable() const { return m_nameTable.get(); }
    void SetNameTable(std::shared_ptr<const TAutoCompSource> table) { m_nameTable = std::move(table); }
    template <class Entry>
    void SetNameTable(const exprcore::TNameTable<Entry>* table)
    {
        m_nameTable = MakeNameSource(table);
    }

    // ---- history ----
    // The most lines LoadHistory reads (kMaxHistory unless the owner keeps a
    // longer list itself).
    int MaxItems() const { return m_maxItems; }
    void SetMaxItems(int n) { m_maxItems = std::max(1, n); }
    // Replaces the items by the first MaxItems lines of ExeDir + FileName when
    // that file exists. A file that cannot be read raises EInOutError, and the box then
    // never writes over it.
    void LoadHistory();
    // Writes the items to ExeDir + FileName (nothing without a FileName);
    // EInOutError when it cannot.
    void SaveHistory();
    // The items, newest first.
    QStringList Items() const;

    // ---- text, caret and selection of the edit ----
    QString Text() const;
    void SetText(const QString& s);
    int SelStart() const;
    int SelLength() const;
    void SetSel(int start, int length);
    // Replaces the selection.
    void SetSelText(const QString& s);
    QColor FontColor() const;
    void SetFontColor(const QColor& c);

    // ---- the handlers (the keyboard window calls them too) ----
    // Key-down rules (Enter, Esc, F2, a key in the empty box), then OnKeyDown.
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // OnKeyPress, then the box's rules (Enter adds to the history, shortcuts,
    // letters open the autocomplete list). Key comes back 0 when consumed.
    void KeyPress(QChar& key);
    // Change handling: the empty state and its font colour, then OnChange.
    void Change();

    // ---- events ----
    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    friend void AddExprHistory(TComboExpr* box, const QString& text);
    // Runs an item-list change without letting it touch the edit's text.
    void changeItems(const std::function<void()>& change);
    void openAutoComplete(QChar& key);

    bool m_isEmpty = false;
    bool m_autoagregar = false;
    bool m_duplicados = false;
    QString m_fileName;
    bool m_inAutoComplete = false;
    QString m_textEmpty;
    TNotifyEvent m_onCargarLista;
    QColor m_savedFontColor;
    bool m_teclado = true;
    bool m_keyboardClear = false;
    bool m_autoCompleteSuppressed = false;
    std::shared_ptr<const TAutoCompSource> m_nameTable;
    bool m_autoComplete = true;
    int m_quiet = 0;            // programmatic edits that are not reported as changes
    QString m_unreadableFile;   // the history file that could not be read
    QByteArray m_failedSave;    // the file and text of the last save that failed
    int m_maxItems = kMaxHistory;
};

// Puts the text (at most 255 characters are kept) at the top of the box's
// history: an equal entry (letter case aside) is removed first unless
// Duplicados; at most 50 entries stay.
void AddExprHistory(TComboExpr* box, const QString& text);
