#pragma once
// What the fractions and complex-number windows share beyond their engines:
// the letters w, x, y and z that an expression asks for through the input box
// (each at most once per calculation, asked again until the answer
// evaluates), the typed digraphs of the fraction entry, the rule that puts a
// calculated text at the top of an entry's history, and the live drawing of a
// typed text.
#include "engine/formulapicture.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

namespace exprtool {

// The letters the tools ask for, in the order they are registered.
inline constexpr int kLetterCount = 4;
QChar LetterAt(int index);

// Shows the prompt of a letter: `caption` is the letter, `text` the answer
// proposed (all selected) and, on return, the answer typed. Whatever button
// closed the box, the answer counts: the prompt comes back only while the
// answer does not evaluate. The result tells whether OK closed it.
using TLetterPrompt = std::function<bool(const QString& caption, QString& text)>;

// The letters of one window: asked once per calculation, the last answer
// offered again the next time, the value kept until the calculation ends.
template <class Value>
class TLetters {
public:
    struct Item {
        bool Asked = false;
        QString Text;
        Value Val{};
    };

    // A new calculation: every letter will be asked again.
    void ClearAsked()
    {
        for (Item& i : m_items)
            i.Asked = false;
    }

    const Item& operator[](int index) const { return m_items.at(std::size_t(index)); }

    // The value of the letter: the stored one when it was asked in this
    // calculation, otherwise the answer to `prompt`, asked until `evaluate`
    // accepts it (true, with the value). Without a prompt the stored value.
    Value Ask(int index, const TLetterPrompt& prompt, const std::function<bool(const QString&, Value&)>& evaluate)
    {
        Item& item = m_items.at(std::size_t(index));
        if (item.Asked || !prompt)
            return item.Val;
        for (;;) {
            QString text = item.Text;
            prompt(QString(LetterAt(index)), text);
            item.Text = text;
            Value v{};
            if (evaluate(text, v)) {
                item.Val = v;
                break;
            }
        }
        item.Asked = true;
        return item.Val;
    }

private:
    std::array<Item, kLetterCount> m_items;
};

// The typed digraphs of the fraction entry, the first occurrence of each in
// this order: ".." and "//" become "|", "**" becomes "^". True when the text
// changed; the caret then goes one position back (never before the start).
bool ReplaceDigraphs(QString& text, int& caret);

// A calculated text goes to the top of the history unless it is already the
// first entry.
bool BelongsAtTop(const QStringList& history, const QString& text);

// The live picture of a typed text: the picture, or the compile error.
struct TDrawing {
    std::unique_ptr<FormulaPicture> Picture;
    QString Error;
};

// Compiles `text` into `e` silently (silent again as before, however it ends)
// and draws it: an empty text has neither picture nor error. A failure on the
// way leaves nothing drawn.
template <class Expr>
TDrawing DrawSilently(Expr& e, const QString& text)
{
    TDrawing out;
    if (text.isEmpty())
        return out;
    struct Quiet {
        bool& silent;
        const bool was = silent;
        explicit Quiet(bool& s) : silent(s) { silent = true; }
        ~Quiet() { silent = was; }
    } quiet(e.Silent);
    try {
        e.SetText(text);
        if (e.HasError)
            out.Error = e.ErrorMessage;
        else
            out.Picture = e.DrawToMetafile();
    } catch (...) {
        out = TDrawing{};
    }
    return out;
}

} // namespace exprtool
