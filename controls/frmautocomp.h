#pragma once
// The autocomplete list: a small borderless window listing the names an
// expression may use, opened modally under an edit control while the user
// types. It rewrites the control's text itself and reports where the caret
// goes. One instance, fmAutoComp, is shared by every entry box and by the
// windows that open it for their own edits and memos.
#include "controls/events.h"
#include "engine/nametable.h"

#include <QListWidget>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QEventLoop;
class QLineEdit;
class QPlainTextEdit;
class QFrame;
class QKeyEvent;
class TImageList;
class TScrollCredits;
class TfmAutoComp;

// ---------------------------------------------------------------------------
// What the list reads of a name table.

// One name with what its entry says of it.
struct TAutoCompName {
    QString Name;
    int Kind = 0;   // 0 constant, 1 variable, 2 value without arguments, 3 one-argument
                    // function, 4 function of several arguments, 5 user function
    int MinArgs = 0;
    int MaxArgs = 0;
    QString Description;
    bool operator==(const TAutoCompName&) const = default;
};

// A name table as the list sees it. Each engine's table is adapted by
// TNameTableSource below; tests may give any list of names.
class TAutoCompSource {
public:
    virtual ~TAutoCompSource() = default;
    // The table this source reads (the list remembers it between runs).
    virtual const void* Table() const = 0;
    // Every name of the table, in the table's order.
    virtual std::vector<TAutoCompName> Names() const = 0;
};

// The adapter of an engine's name table; its entries carry Category, MinArgs,
// MaxArgs and Description. The table is not owned and must outlive the adapter.
template <class Entry>
class TNameTableSource : public TAutoCompSource {
public:
    explicit TNameTableSource(const exprcore::TNameTable<Entry>* table) : m_table(table) {}
    const void* Table() const override { return m_table; }
    std::vector<TAutoCompName> Names() const override
    {
        std::vector<TAutoCompName> out;
        for (const auto& item : m_table->Items()) {
            TAutoCompName n;
            n.Name = item.Name;
            if (item.Make) {
                n.Kind = item.Make->Category;
                n.MinArgs = item.Make->MinArgs;
                n.MaxArgs = item.Make->MaxArgs;
                n.Description = item.Make->Description;
            }
            out.push_back(std::move(n));
        }
        return out;
    }

private:
    const exprcore::TNameTable<Entry>* m_table;
};

// An adapter for a table, none for no table.
template <class Entry>
std::shared_ptr<const TAutoCompSource> MakeNameSource(const exprcore::TNameTable<Entry>* table)
{
    if (!table)
        return nullptr;
    return std::make_shared<TNameTableSource<Entry>>(table);
}

// ---------------------------------------------------------------------------
// The entry texts and the order of the list

// The text of the entry of a name (without the icon); empty for a name that
// begins with "_" (it gets no entry).
QString AutoCompEntryText(const TAutoCompName& name);
// The icon index of a kind (0 to 4).
int AutoCompIconIndex(int kind);
// Compares as the list orders and walks: ASCII letters without regard to
// case, every other character by its code. <0, 0, >0.
int AutoCompCompare(const QString& a, const QString& b);
// The name with its placeholders that accepting an entry inserts: the entry's
// text without blanks, up to its first "-".
QString AutoCompInsertText(const QString& entry);

// The character a key event types: Enter 13, Esc 27, Backspace 8, Tab 9,
// otherwise the event's text; none for keys that type nothing (arrows, F-keys,
// Delete).
// The entry box and the list read their keys alike.
QChar KeyEventChar(const QKeyEvent* e);

// ---------------------------------------------------------------------------
// Process-wide switches of the list

struct AutoCompGlobals {
    // The "Autocompletar" option (the main window sets it); the windows that
    // open the list for their own edits test it.
    bool AutoCompleteOn = false;
    // Set whenever the list closes by Esc or by itself; the main window clears it.
    bool AutoCompleteCancelled = false;
    // Called once the list window shows, before it waits for its keys; the
    // list runs modally, so tests drive it from here. When the list has
    // closed by the time this returns, the list does not wait.
    std::function<void(TfmAutoComp& list)> OnShown;

    void reset();
};
AutoCompGlobals& AutoComp();

// ---------------------------------------------------------------------------
// The list window

// Each item's icon index is kept in this item data role.
inline constexpr int kAutoCompIconRole = Qt::UserRole + 1;
// True for the entries of the name table, false for those the owner adds.
inline constexpr int kAutoCompTableRole = Qt::UserRole + 2;

class TfmAutoComp : public QWidget {
    Q_OBJECT
public:
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

    explicit TfmAutoComp(QWidget* parent = nullptr);
    ~TfmAutoComp() override;

    // Types `key` into the combo box's edit (code 0 only deletes the
    // selection), runs the list, then puts the caret at CaretPos; `key` comes
    // back as 0 (consumed).
    void ShowForCombo(QComboBox* combo, const TAutoCompSource* table, QChar& key);
    // The same for an edit or a memo.
    void ShowForEdit(QWidget* edit, const TAutoCompSource* table, QChar& key);
    // Fills the list when needed, places the window, splits the control's text
    // at the caret, selects by prefix and runs modally.
    void ShowList(QWidget* control, const TAutoCompSource* table);

    // Adds an entry at its sorted place (the owners' OnCargarLista adds its own).
    void AddItem(const QString& text, int icon);
    int Count() const;
    QString ItemText(int i) const;
    int ItemIcon(int i) const;
    // The selected item, -1 for none.
    int Selected() const;

    // The state of a run.
    const QString& Before() const { return m_before; }
    const QString& Prefix() const { return m_prefix; }
    const QString& After() const { return m_after; }
    int IdleCount() const { return m_idleCount; }
    int CaretPos() const { return m_caretPos; }
    const void* CachedTable() const { return m_cachedTable; }
    QWidget* Control() const { return m_control; }
    bool Running() const { return m_running; }
    TModalResult ModalResult() const { return m_modalResult; }

    // The next run fills the list again (the entries its owners add changed).
    void ForgetControl() { m_control = nullptr; }

    // Called with the list as Sender after the list was filled again.
    TNotifyEvent OnCargarLista;
    // F1 on an entry: help for this name, with the icon of its kind (the
    // shell's help integration).
    std::function<void(const QString& name, int icon)> OnHelpRequest;

    QListWidget* lb = nullptr;
    TImageList* ImageList1 = nullptr;
    QFrame* Panel1 = nullptr;
    TScrollCredits* ScrollCredits1 = nullptr;

public slots:
    // The handlers of the list's keys: a character, and a key down (Qt key).
    void lbKeyPress(QChar& key);
    void lbKeyDown(int& key);
    void lbDblClick();
    // One pass of the credits control: counts the idle cycles down.
    void ScrollCredits1AfterLastCredit(QObject* Sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* e) override;

private:
    void fill(const TAutoCompSource* table, QWidget* control);
    void addEntry(const QString& text, int icon, bool fromTable);
    void fitSize();
    static constexpr int kWidth = 298;
    static constexpr int kHeight = 204;
    void place(QWidget* control, int caret);
    void selectByPrefix();
    void rewriteControl();
    void accept(QChar key, bool& consumed);
    void cancel();
    void closeWith(TModalResult result);

    QString m_before;
    QString m_prefix;
    QString m_after;
    int m_idleCount = 0;
    int m_caretPos = 0;
    const void* m_cachedTable = nullptr;
    std::vector<TAutoCompName> m_cachedNames;
    QPointer<QWidget> m_control;
    // The ")" the last accept inserted after a name's "(": a ")" typed just
    // before it steps over it while the text after it is what it was then.
    QPointer<QWidget> m_closeControl;
    QString m_closeSuffix;
    bool stepOverClose(QObject* watched, QEvent* event);
    void forgetClose();
    bool m_running = false;
    TModalResult m_modalResult = mrNone;
    QEventLoop* m_loop = nullptr;
};

// The shared list window; created by the first entry box (or on demand).
TfmAutoComp* fmAutoComp();
// Creates it when it does not exist yet.
TfmAutoComp* EnsureAutoComp();
// Tests: frees the shared window.
void FreeAutoComp();
