#include "controls/comboexpr.h"

#include "controls/frmteclado.h"
#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/filesafe.h"

#include <QApplication>
#include <QCompleter>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

void ComboExprGlobals::reset()
{
    *this = ComboExprGlobals{};
}

ComboExprGlobals& ComboExpr()
{
    static ComboExprGlobals g;
    return g;
}

namespace {

// The two-key shortcuts: the character before the caret, the typed one, and
// the operator character the pair stands for.
struct Shortcut {
    char16_t before;
    char16_t typed;
    char16_t result;
};
constexpr Shortcut kShortcuts[] = {
    {u'*', u'*', u'^'}, {u'/', u'*', u'('}, {u'*', u'/', u')'},
    {u'/', u'/', u'\\'}, {u'-', u'-', u'%'}, {u'.', u'.', u'|'},
};

// The operator character a pair of typed characters stands for; none when the
// pair is not a shortcut.
QChar shortcutOf(QChar before, QChar typed)
{
    for (const Shortcut& s : kShortcuts)
        if (s.before == before.unicode() && s.typed == typed.unicode())
            return QChar(s.result);
    return {};
}

bool isFrameworkFocusChange(const QFocusEvent* e)
{
    // Another window becoming active, or a popup (the drop-down, the
    // autocomplete list) opening, does not move the focus away from the box
    // inside its window.
    return e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
}

QColor grayText()
{
    return QApplication::palette().color(QPalette::Disabled, QPalette::Text);
}

} // namespace

TComboExpr::TComboExpr(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what is calculated: no completion from the items (a
    // typed "2" must never become an older "2+3*4").
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (m_quiet == 0)
            Change();
    });
    // The box starts in the empty state with the colour it has now.
    Change();
    m_teclado = true;
    EnsureAutoComp();
    EnsureTeclado();
}

TComboExpr::~TComboExpr() = default;

void TComboExpr::SetTeclado(bool on)
{
    m_teclado = on;
    if (!on && fmTeclado())
        fmTeclado()->hide();
}

void TComboExpr::SetAutoComplete(bool on)
{
    if (on == m_autoComplete)
        return;
    m_autoComplete = on;
    if (on) {
        auto* c = new QCompleter(model(), this);
        c->setCaseSensitivity(Qt::CaseInsensitive);
        c->setCompletionMode(QCompleter::InlineCompletion);
        setCompleter(c);
    } else {
        setCompleter(nullptr);
    }
}

void TComboExpr::SetInAutoComplete(bool on)
{
    m_inAutoComplete = on;
    if (on && fmAutoComp())
        fmAutoComp()->OnCargarLista = m_onCargarLista;
    Change();
}

// ---------------------------------------------------------------------------
// Text, caret and colour

QString TComboExpr::Text() const
{
    return lineEdit()->text();
}

void TComboExpr::SetText(const QString& s)
{
    lineEdit()->setText(s);
}

int TComboExpr::SelStart() const
{
    const QLineEdit* e = lineEdit();
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

int TComboExpr::SelLength() const
{
    return int(lineEdit()->selectedText().size());
}

void TComboExpr::SetSel(int start, int length)
{
    QLineEdit* e = lineEdit();
    const int n = int(e->text().size());
    start = std::clamp(start, 0, n);
    length = std::clamp(length, 0, n - start);
    if (length > 0) {
        e->setSelection(start, length);
    } else {
        e->deselect();
        e->setCursorPosition(start);
    }
}

void TComboExpr::SetSelText(const QString& s)
{
    QLineEdit* e = lineEdit();
    if (s.isEmpty()) {
        if (e->hasSelectedText())
            e->del();
    } else {
        e->insert(s);
    }
}

QColor TComboExpr::FontColor() const
{
    return lineEdit()->palette().color(QPalette::Active, QPalette::Text);
}

void TComboExpr::SetFontColor(const QColor& c)
{
    QPalette p = lineEdit()->palette();
    p.setColor(QPalette::Active, QPalette::Text, c);
    p.setColor(QPalette::Inactive, QPalette::Text, c);
    lineEdit()->setPalette(p);
}

// ---------------------------------------------------------------------------
// Change handling and the placeholder

void TComboExpr::Change()
{
    const QString t = Text();
    const bool empty = t.isEmpty() || t == m_textEmpty;
    if (empty != m_isEmpty) {
        if (empty)
            m_savedFontColor = FontColor();
        else
            SetFontColor(m_savedFontColor);
        m_isEmpty = empty;
    }
    fire(OnChange, static_cast<QObject*>(this));
}

void TComboExpr::focusOutEvent(QFocusEvent* e)
{
    QComboBox::focusOutEvent(e);
    if (isFrameworkFocusChange(e))
        return;
    fire(OnExit, static_cast<QObject*>(this));
    if (m_isEmpty) {
        ++m_quiet;
        lineEdit()->setText(m_textEmpty);
        --m_quiet;
        SetFontColor(grayText());
    }
}

void TComboExpr::focusInEvent(QFocusEvent* e)
{
    const bool own = !isFrameworkFocusChange(e);
    if (own && m_isEmpty) {
        ++m_quiet;
        lineEdit()->setText(QString());
        --m_quiet;
        SetFontColor(m_savedFontColor);
    }
    QComboBox::focusInEvent(e);
    if (own)
        fire(OnEnter, static_cast<QObject*>(this));
}

// ---------------------------------------------------------------------------
// Keys

void TComboExpr::openAutoComplete(QChar& key)
{
    SetInAutoComplete(true);
    EnsureAutoComp()->ShowForCombo(this, m_nameTable.get(), key);
    SetInAutoComplete(false);
}

void TComboExpr::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_autoCompleteSuppressed = false;
    } else if (key == Qt::Key_Escape) {
        m_autoCompleteSuppressed = true;
    } else if (key == Qt::Key_F2) {
        m_autoCompleteSuppressed = false;
        if (m_nameTable) {
            if (fmTeclado())
                fmTeclado()->hide();
            QChar none(0);
            openAutoComplete(none);
        }
    } else if (Text().isEmpty()) {
        m_autoCompleteSuppressed = false;
    }
    fire(OnKeyDown, static_cast<QObject*>(this), key, TShiftState{shift, QApplication::mouseButtons()});
}

void TComboExpr::KeyPress(QChar& key)
{
    fire(OnKeyPress, static_cast<QObject*>(this), key);
    const char16_t c = key.unicode();
    if (c == 0)
        return;
    if (c == 13) {
        if (m_autoagregar)
            AddExprHistory(this, Text().left(255));
        return;
    }
    const QString t = Text();
    const int s = SelStart();
    // The first character of the text takes part like any other: with the
    // caret after it, it is the character before the caret.
    if (s >= 1 && s <= t.size()) {
        const QChar result = shortcutOf(t[s - 1], key);
        if (!result.isNull()) {
            QLineEdit* e = lineEdit();
            e->setSelection(s - 1, 1);
            e->insert(QString(result));
            e->setCursorPosition(s);
            key = QChar(0);
            return;
        }
    }
    if (IsAsciiLetter(c) && !m_autoCompleteSuppressed && m_nameTable) {
        const bool atEnd = s >= t.size();
        const bool afterNonLetter = s <= 0 || !IsAsciiLetter(t[s - 1].unicode());
        int depth = 0;
        for (int i = 0; i < s && i < t.size(); ++i) {
            if (t[i] == QLatin1Char('{'))
                ++depth;
            else if (t[i] == QLatin1Char('}'))
                --depth;
        }
        if ((atEnd || afterNonLetter) && depth <= 0)
            openAutoComplete(key);
    }
}

void TComboExpr::keyPressEvent(QKeyEvent* e)
{
    int key = e->key();
    KeyDown(key, e->modifiers());
    if (key == 0) {
        e->accept();
        return;
    }
    QChar ch = KeyEventChar(e);
    if (ch.isNull()) {
        QComboBox::keyPressEvent(e);
        return;
    }
    const QChar typed = ch;
    KeyPress(ch);
    if (ch.unicode() == 0) {
        e->accept();
        return;
    }
    if (ch.unicode() == 13) {
        // Enter types nothing; the window (a dialog's default button) sees it.
        e->ignore();
        return;
    }
    if (ch != typed && ch.unicode() >= 32) {
        // The owner changed the character: typed as if it had been the key.
        lineEdit()->insert(QString(ch));
        e->accept();
        return;
    }
    QComboBox::keyPressEvent(e);
}

// ---------------------------------------------------------------------------
// The on-screen keyboard

void TComboExpr::enterEvent(QEnterEvent* e)
{
    QComboBox::enterEvent(e);
    if (!m_teclado || !ComboExpr().KeyboardEnabled)
        return;
    TfmTeclado* k = EnsureTeclado();
    const QPoint bottomLeft = mapToGlobal(QPoint(0, height()));
    QPoint at(bottomLeft.x() + (width() - k->width()) / 2, bottomLeft.y());
    if (m_keyboardClear && screen())
        at = PlaceClearOf(window()->frameGeometry(), k->frameGeometry().size(), at.x(), screen()->availableGeometry(),
                          at);
    k->move(at);
    k->ShowFor(this);
}

QPoint PlaceClearOf(const QRect& window, const QSize& size, int preferredX, const QRect& screen, const QPoint& fallback)
{
    const auto fitX = [&](int x) {
        return std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    };
    const auto fitY = [&](int y) {
        return std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    };
    const QPoint candidates[] = {
        {fitX(preferredX), window.bottom() + 1},
        {fitX(preferredX), window.top() - size.height()},
        {window.right() + 1, fitY(window.top())},
        {window.left() - size.width(), fitY(window.top())},
    };
    for (const QPoint& c : candidates) {
        if (screen.contains(QRect(c, size)))
            return c;
    }
    return fallback;
}

void TComboExpr::leaveEvent(QEvent* e)
{
    QComboBox::leaveEvent(e);
    TfmTeclado* k = fmTeclado();
    if (k && k->isVisible() && !k->PointerKeepsKeyboard(QCursor::pos()))
        k->hide();
}

// ---------------------------------------------------------------------------
// History

QStringList TComboExpr::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void TComboExpr::changeItems(const std::function<void()>& change)
{
    // The framework puts an item into the edit when the current item changes;
    // the box's text is the user's and stays as it is.
    const QString text = Text();
    const int start = SelStart();
    const int length = SelLength();
    ++m_quiet;
    change();
    setCurrentIndex(-1);
    if (Text() != text)
        lineEdit()->setText(text);
    SetSel(start, length);
    --m_quiet;
}

void TComboExpr::LoadHistory()
{
    if (m_fileName.isEmpty())
        return;
    const QString path = ExeDir() + m_fileName;
    // Only the lines the box keeps are read: a huge file neither slows the
    // start nor fills the memory.
    QStringList lines;
    try {
        if (!ReadFirstLines(path, m_maxItems, lines))
            return;
    } catch (const EInOutError&) {
        m_unreadableFile = path;
        throw EInOutError(QStringLiteral("No se puede leer el archivo de historial \"%1\".").arg(path));
    }
    m_unreadableFile.clear();
    changeItems([&] {
        clear();
        addItems(lines);
    });
}

void TComboExpr::SaveHistory()
{
    if (m_fileName.isEmpty())
        return;
    const QString path = ExeDir() + m_fileName;
    // A history that could not be read is left as it is on disk.
    if (path == m_unreadableFile)
        return;
    QByteArray out;
    for (int i = 0; i < count(); ++i) {
        out += cp1252::encode(itemText(i));
        out += "\r\n";
    }
    try {
        WriteWholeFile(path, out);
        m_failedSave.clear();
    } catch (const EInOutError&) {
        // The same list failing again (the save on the way out) is not
        // reported a second time.
        const QByteArray attempt = path.toUtf8() + '\0' + out;
        if (attempt == m_failedSave)
            return;
        m_failedSave = attempt;
        throw EInOutError(QStringLiteral("No se puede escribir el archivo de historial \"%1\".").arg(path));
    }
}

void AddExprHistory(TComboExpr* box, const QString& text)
{
    if (!box)
        return;
    const QString t = text.left(255);
    box->changeItems([&] {
        if (!box->m_duplicados) {
            const int i = box->findText(t, Qt::MatchFixedString);
            if (i >= 0)
                box->removeItem(i);
        }
        box->insertItem(0, t);
        if (box->count() > TComboExpr::kMaxHistory)
            box->removeItem(TComboExpr::kMaxHistory);
    });
}
