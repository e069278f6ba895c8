#include "controls/frmautocomp.h"

#include "controls/credits.h"
#include "controls/imagelist.h"
#include "controls/sharedwindow.h"
#include "foundation/core/basicos.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

// ---------------------------------------------------------------------------
// Entry texts

namespace {

char16_t foldAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

QString placeholders(const TAutoCompName& n)
{
    QString s = QStringLiteral(" ");
    for (int i = 1; i < n.MinArgs; ++i)
        s += QStringLiteral(", ");
    if (n.MaxArgs != n.MinArgs)
        s += QLatin1Char('{') + QString::number(n.MaxArgs) + QLatin1Char('}');
    return s;
}

} // namespace

QString AutoCompEntryText(const TAutoCompName& n)
{
    if (n.Name.startsWith(QLatin1Char('_')))
        return {};
    QString text;
    switch (n.Kind) {
    case 0:
        text = n.Name + QStringLiteral(" - Const");
        break;
    case 1:
        text = n.Name + QStringLiteral(" - Variable");
        break;
    case 2:
        text = n.Name + QStringLiteral(" - Entorno");
        break;
    case 3:
        text = n.Name + (n.MinArgs > 0 ? QStringLiteral("( )") : QString()) + QStringLiteral(" - Func");
        break;
    case 4:
        text = n.Name + QLatin1Char('(') + placeholders(n) + QStringLiteral(") - Func");
        break;
    default:
        text = n.Name + QLatin1Char('(') + placeholders(n) + QStringLiteral(") - Pers");
        break;
    }
    if (!n.Description.isEmpty())
        text += QStringLiteral(": ") + n.Description;
    return text;
}

int AutoCompIconIndex(int kind)
{
    switch (kind) {
    case 0:
    case 1:
    case 2:
    case 3:
        return kind;
    case 4:
        return 3;
    default:
        return 4;
    }
}

int AutoCompCompare(const QString& a, const QString& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = foldAscii(a[i].unicode());
        const char16_t cb = foldAscii(b[i].unicode());
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

QChar KeyEventChar(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Tab:
        return QChar(9);
    case Qt::Key_Delete:
        // Some window systems give it the text DEL; it types nothing.
        return QChar();
    default:
        break;
    }
    const QString t = e->text();
    return t.isEmpty() ? QChar() : t[0];
}

QString AutoCompInsertText(const QString& entry)
{
    QString s = entry;
    s.remove(QLatin1Char(' '));
    const qsizetype dash = s.indexOf(QLatin1Char('-'));
    return dash >= 0 ? s.left(dash) : s;
}

// ---------------------------------------------------------------------------
// Process-wide switches

void AutoCompGlobals::reset()
{
    *this = AutoCompGlobals{};
}

AutoCompGlobals& AutoComp()
{
    static AutoCompGlobals g;
    return g;
}

// ---------------------------------------------------------------------------
// Reading and writing the controls the list completes

namespace {

// The text, caret and selection of an edit, a combo box's edit or a memo.
struct ControlText {
    QLineEdit* line = nullptr;
    QPlainTextEdit* memo = nullptr;

    explicit ControlText(QWidget* w)
    {
        if (auto* c = qobject_cast<QComboBox*>(w))
            line = c->lineEdit();
        else if (auto* l = qobject_cast<QLineEdit*>(w))
            line = l;
        else
            memo = qobject_cast<QPlainTextEdit*>(w);
    }
    bool valid() const { return line || memo; }

    QString text() const { return line ? line->text() : memo->toPlainText(); }
    int selStart() const
    {
        if (line)
            return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        return memo->textCursor().selectionStart();
    }
    void setText(const QString& s) const
    {
        if (line)
            line->setText(s);
        else
            memo->setPlainText(s);
    }
    void setCaret(int pos) const
    {
        pos = std::clamp(pos, 0, int(text().size()));
        if (line) {
            line->deselect();
            line->setCursorPosition(pos);
        } else {
            QTextCursor c = memo->textCursor();
            c.setPosition(pos);
            memo->setTextCursor(c);
        }
    }
    // Replaces the selection by s (an empty s only deletes the selection).
    void replaceSelection(const QString& s) const
    {
        if (line) {
            if (s.isEmpty()) {
                if (line->hasSelectedText())
                    line->del();
            } else {
                line->insert(s);
            }
        } else {
            memo->textCursor().insertText(s);
        }
    }
};

// The list box draws its entries: the icon of the kind, the name part bold and
// the rest (from the "-") in the normal style.
// A row fits the list's font (13 pixels at the least); an entry is as wide as
// its icon, its bold name and its description.
int AutoCompRowHeight(const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    return std::max(13, QFontMetrics(bold).height() + 1);
}

int AutoCompItemWidth(const QString& text, const QFont& font)
{
    QFont bold = font;
    bold.setBold(true);
    const qsizetype dash = text.indexOf(QStringLiteral(" - "));
    const QString boldPart = dash >= 0 ? text.left(dash + 1) : text;
    const QString rest = dash >= 0 ? text.mid(dash + 1) : QString();
    return 12 + QFontMetrics(bold).horizontalAdvance(boldPart) + QFontMetrics(font).horizontalAdvance(rest) + 6;
}

class TAutoCompDelegate : public QStyledItemDelegate {
public:
    TAutoCompDelegate(TImageList* images, QObject* parent) : QStyledItemDelegate(parent), m_images(images) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QPalette& pal = option.palette;
        p->save();
        p->fillRect(r, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::ToolTipBase));
        const QImage icon = m_images->Image(index.data(kAutoCompIconRole).toInt());
        if (!icon.isNull())
            p->drawImage(QPoint(r.left() + 2, r.top() + 1), icon);
        const QString text = index.data(Qt::DisplayRole).toString();
        const qsizetype dash = text.indexOf(QStringLiteral(" - "));
        const QString boldPart = dash >= 0 ? text.left(dash + 1) : text;
        const QString rest = dash >= 0 ? text.mid(dash + 1) : QString();
        p->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::ToolTipText));
        QFont bold = option.font;
        bold.setBold(true);
        p->setFont(bold);
        const QFontMetrics fmBold(bold);
        p->drawText(QRect(r.left() + 15, r.top(), r.width(), r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                    boldPart);
        p->setFont(option.font);
        p->drawText(QRect(r.left() + 12 + fmBold.horizontalAdvance(boldPart), r.top(), r.width(), r.height()),
                    Qt::AlignLeft | Qt::AlignVCenter, rest);
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(AutoCompItemWidth(index.data(Qt::DisplayRole).toString(), option.font),
                     AutoCompRowHeight(option.font));
    }

private:
    TImageList* m_images;
};

// The icons of the five kinds of entries: constant, variable, environment
// value, function, user function.
QImage kindIcon(int kind)
{
    static const QColor colours[] = {QColor(0, 102, 204), QColor(0, 153, 0), QColor(153, 102, 0),
                                     QColor(153, 0, 153), QColor(204, 0, 0)};
    static const char letters[] = {'C', 'V', 'E', 'F', 'P'};
    QImage img(12, 12, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colours[kind]);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 0.5, 11, 11), 2, 2);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 12, 12), Qt::AlignCenter, QString(QLatin1Char(letters[kind])));
    return img;
}

} // namespace

// ---------------------------------------------------------------------------
// The window

TfmAutoComp::TfmAutoComp(QWidget* parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmAutoComp"));
    setProperty("HelpContext", 21);
    resize(kWidth, kHeight);

    ImageList1 = new TImageList(12, 12, this);
    ImageList1->setObjectName(QStringLiteral("ImageList1"));
    for (int k = 0; k < 5; ++k)
        ImageList1->Add(kindIcon(k));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    lb = new QListWidget(this);
    lb->setObjectName(QStringLiteral("lb"));
    lb->setFrameShape(QFrame::NoFrame);
    lb->setSelectionMode(QAbstractItemView::SingleSelection);
    lb->setUniformItemSizes(true);
    lb->setItemDelegate(new TAutoCompDelegate(ImageList1, lb));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    lb->setFont(f);
    QPalette pal = lb->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    lb->setPalette(pal);
    lb->installEventFilter(this);
    connect(lb, &QListWidget::itemDoubleClicked, this, [this] { lbDblClick(); });
    layout->addWidget(lb);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(21);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    ScrollCredits1 = new TScrollCredits(Panel1);
    ScrollCredits1->setObjectName(QStringLiteral("ScrollCredits1"));
    panelLayout->addWidget(ScrollCredits1);
    layout->addWidget(Panel1);
    Panel1->hide();

    ScrollCredits1->setContinuo(true);
    ScrollCredits1->setInterval(80);
    ScrollCredits1->setStep(1);
    ScrollCredits1->setShowBorder(true);
    ScrollCredits1->setAlignment(taCenter);
    ScrollCredits1->setCreditsFont(QFont(QStringLiteral("Arial")), ScrollCredits1->CreditsFontColor());
    ScrollCredits1->setCredits({QStringLiteral("Para insertar la función seleccionada"),
                                QStringLiteral("introduzca cualquier número, símbolo, o "),
                                QStringLiteral("presione la tecla <INTRO>. "), QString(),
                                QStringLiteral("Presionando <F1> obtiene ayuda sobre la función "), QString(),
                                QStringLiteral("Use <ESC> para  cerrar este cuadro."), QString()});
    ScrollCredits1->AfterLastCredit = [this](QObject* sender) { ScrollCredits1AfterLastCredit(sender); };
    ScrollCredits1->setAnimate(true);
}

TfmAutoComp::~TfmAutoComp()
{
    if (m_loop)
        m_loop->quit();
}

int TfmAutoComp::Count() const
{
    return lb->count();
}

QString TfmAutoComp::ItemText(int i) const
{
    const QListWidgetItem* it = lb->item(i);
    return it ? it->text() : QString();
}

int TfmAutoComp::ItemIcon(int i) const
{
    const QListWidgetItem* it = lb->item(i);
    return it ? it->data(kAutoCompIconRole).toInt() : -1;
}

int TfmAutoComp::Selected() const
{
    const QListWidgetItem* it = lb->currentItem();
    return it && it->isSelected() ? lb->row(it) : -1;
}

void TfmAutoComp::AddItem(const QString& text, int icon)
{
    addEntry(text, icon, false);
}

void TfmAutoComp::addEntry(const QString& text, int icon, bool fromTable)
{
    // Binary search for the place after every entry that sorts before or equal.
    int lo = 0;
    int hi = lb->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (AutoCompCompare(lb->item(mid)->text(), text) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    auto* item = new QListWidgetItem(text);
    item->setData(kAutoCompIconRole, icon);
    item->setData(kAutoCompTableRole, fromTable);
    lb->insertItem(lo, item);
}

void TfmAutoComp::fill(const TAutoCompSource* table, QWidget* control)
{
    std::vector<TAutoCompName> names = table->Names();
    // Besides the table being the one last used with as many names as entries,
    // the names themselves must be the same, or a table that changed its
    // names (or a new table at the same address) would show a stale list.
    const bool reuse = m_control && table->Table() == m_cachedTable && names == m_cachedNames &&
                       lb->count() == int(names.size());
    if (reuse)
        return;
    lb->clear();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const QString text = AutoCompEntryText(*it);
        if (!text.isEmpty())
            addEntry(text, AutoCompIconIndex(it->Kind), true);
    }
    m_cachedTable = table->Table();
    m_cachedNames = std::move(names);
    m_control = control;
    fire(OnCargarLista, static_cast<QObject*>(this));
    fitSize();
}

void TfmAutoComp::fitSize()
{
    // As wide as the widest entry (half the screen at the most), and as high
    // as a whole number of rows.
    int widest = 0;
    for (int i = 0; i < lb->count(); ++i)
        widest = std::max(widest, AutoCompItemWidth(lb->item(i)->text(), lb->font()));
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const int most = std::max(kWidth, s ? s->availableGeometry().width() / 2 : kWidth);
    const int scroll = lb->verticalScrollBar()->sizeHint().width();
    const int row = AutoCompRowHeight(lb->font());
    const int rows = std::max(1, kHeight / row);
    resize(std::clamp(widest + scroll + 2 * lb->frameWidth(), kWidth, most), rows * row + 2 * lb->frameWidth());
}

void TfmAutoComp::place(QWidget* control, int caret)
{
    QScreen* screen = control->screen() ? control->screen() : QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->geometry().height() : 0;
    const QPoint origin = control->mapToGlobal(QPoint(0, 0));
    const int h = height();
    int top = 0;
    int left = origin.x() + 5 * caret;
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        // Under the caret's line, or above it when the list would leave the screen.
        const QRect cr = memo->cursorRect();
        const QPoint c = memo->viewport()->mapToGlobal(cr.topLeft());
        left = c.x();
        top = (c.y() + cr.height() + h > screenHeight) ? c.y() - h : c.y() + cr.height();
    } else {
        top = (origin.y() + h > screenHeight) ? origin.y() - h : origin.y() + control->height();
    }
    move(left, top);
}

void TfmAutoComp::selectByPrefix()
{
    int i = lb->currentRow();
    if (i < 0 || !lb->item(i)->isSelected())
        i = 0;
    const int n = lb->count();
    while (i < n && AutoCompCompare(m_prefix, lb->item(i)->text()) >= 0)
        ++i;
    if (i < n) {
        lb->setCurrentRow(i);
        lb->scrollToItem(lb->item(i), QAbstractItemView::PositionAtTop);
    } else {
        // Past the last entry: none selected.
        lb->setCurrentRow(-1);
        lb->clearSelection();
    }
}

void TfmAutoComp::rewriteControl()
{
    m_caretPos = int(m_before.size() + m_prefix.size());
    ControlText ct(m_control);
    if (!ct.valid())
        return;
    ct.setText(m_before + m_prefix + m_after);
    ct.setCaret(m_caretPos);
}

void TfmAutoComp::ShowList(QWidget* control, const TAutoCompSource* table)
{
    ControlText ct(control);
    if (!table || !ct.valid() || m_running)
        return;
    fill(table, control);
    m_control = control;

    const QString t = ct.text();
    const int s = std::clamp(ct.selStart(), 0, int(t.size()));
    place(control, s);
    // The character before the caret starts the prefix; with the caret at the
    // start of the text there is none, and the prefix starts empty.
    m_prefix = s > 0 ? QString(t[s - 1]) : QString();
    m_before = t.left(std::max(s - 1, 0));
    m_after = t.mid(s);
    m_caretPos = s;
    ct.setCaret(s);

    lb->setCurrentRow(-1);
    lb->clearSelection();
    selectByPrefix();

    m_modalResult = mrNone;
    m_running = true;
    show();
    raise();
    activateWindow();
    lb->setFocus();
    if (AutoComp().OnShown)
        AutoComp().OnShown(*this);
    if (m_running) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
}

void TfmAutoComp::ShowForCombo(QComboBox* combo, const TAutoCompSource* table, QChar& key)
{
    if (!combo || !combo->lineEdit() || !table || m_running)
        return;
    ShowForEdit(combo, table, key);
}

void TfmAutoComp::ShowForEdit(QWidget* edit, const TAutoCompSource* table, QChar& key)
{
    ControlText ct(edit);
    if (!ct.valid() || !table || m_running)
        return;
    m_idleCount = 4;
    ct.replaceSelection(key.unicode() == 0 ? QString() : QString(key));
    QPointer<QWidget> guard(edit);
    ShowList(edit, table);
    if (guard)
        ct.setCaret(m_caretPos);
    key = QChar(0);
}

void TfmAutoComp::closeWith(TModalResult result)
{
    m_modalResult = result;
    m_running = false;
    hide();
    if (m_loop)
        m_loop->quit();
}

void TfmAutoComp::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    // Hidden while running: the user clicked elsewhere. The text stays as
    // typed and the caret after the prefix.
    if (m_running)
        closeWith(mrOk);
}

void TfmAutoComp::cancel()
{
    AutoComp().AutoCompleteCancelled = true;
    m_caretPos = int(m_before.size() + m_prefix.size());
    closeWith(mrCancel);
}

void TfmAutoComp::accept(QChar key, bool& consumed)
{
    const int row = Selected();
    consumed = true;
    // No entry selected (the prefix sorts after every entry, or the list is
    // empty): there is nothing to accept, and the list stays as it is.
    if (row < 0)
        return;
    QString name = AutoCompInsertText(lb->item(row)->text());
    const char16_t c = key.unicode();
    // Enter (a double click too) and the arrows choose the entry; any other
    // key accepts it only because the user went on typing. Those never turn
    // the word typed into another one: unless the entry starts with the word
    // as typed, the list closes and the key goes in as typed. The table's
    // names are read without regard to case ("raiz" and "Raiz" are one
    // name), the entries the owner adds are not ("b" is not the element "B").
    const bool chosen = c == 13 || c == 28 || c == 29;
    const bool fromTable = lb->item(row)->data(kAutoCompTableRole).toBool();
    if (!chosen && !name.startsWith(m_prefix, fromTable ? Qt::CaseInsensitive : Qt::CaseSensitive)) {
        m_prefix += key;
        rewriteControl();
        closeWith(mrOk);
        return;
    }
    const qsizetype paren = name.indexOf(QLatin1Char('('));
    m_caretPos = int(m_before.size() + (paren >= 0 ? paren + 1 : name.size()));
    if (c == 13 || c == 32 || c == 40 || c == 44 || c == 28 || c == 29) {
        m_prefix = name;
        if (c == 44 || c == 29)
            ++m_caretPos;
        else if (c == 28)
            --m_caretPos;
    } else {
        name.insert(paren >= 0 ? paren + 1 : name.size(), key);
        m_prefix = name;
        ++m_caretPos;
    }
    ControlText ct(m_control);
    if (ct.valid())
        ct.setText(m_before + m_prefix + m_after);
    // A call completed with its closing parenthesis: typing the call out to its
    // own ")" must not leave one too many.
    forgetClose();
    if (ct.valid() && paren >= 0 && m_prefix.endsWith(QLatin1Char(')'))) {
        // The keys reach a combo box, or its edit when sent to it.
        m_closeControl = m_control;
        m_closeSuffix = m_after;
        m_closeControl->installEventFilter(this);
        if (ct.line)
            ct.line->installEventFilter(this);
    }
    closeWith(mrOk);
}

void TfmAutoComp::forgetClose()
{
    if (m_closeControl) {
        m_closeControl->removeEventFilter(this);
        if (QLineEdit* line = ControlText(m_closeControl).line)
            line->removeEventFilter(this);
    }
    m_closeControl = nullptr;
}

bool TfmAutoComp::stepOverClose(QObject* watched, QEvent* event)
{
    if (!m_closeControl || event->type() != QEvent::KeyPress ||
        (watched != m_closeControl && watched != ControlText(m_closeControl).line))
        return false;
    if (static_cast<QKeyEvent*>(event)->text() != QStringLiteral(")"))
        return false;
    const ControlText ct(m_closeControl);
    const QString t = ct.text();
    const int at = ct.selStart();
    const bool selection = ct.line ? ct.line->hasSelectedText() : ct.memo->textCursor().hasSelection();
    const bool ours = !selection && at < t.size() && t[at] == QLatin1Char(')') && t.mid(at + 1) == m_closeSuffix;
    if (!ours)
        return false;
    forgetClose();
    ct.setCaret(at + 1);
    return true;
}

void TfmAutoComp::lbKeyPress(QChar& key)
{
    if (!m_running)
        return;
    const char16_t c = key.unicode();
    const bool ignored = (c >= 1 && c <= 7) || (c >= 9 && c <= 12) || (c >= 14 && c <= 26) || c == 30 || c == 31;
    if (IsAsciiLetter(c)) {
        m_prefix += key;
    } else if (c == 8) {
        m_prefix.chop(1);
        if (lb->count() > 0)
            lb->setCurrentRow(0);
    } else if (c == 27) {
        cancel();
    } else if (!ignored) {
        bool consumed = false;
        accept(key, consumed);
        if (consumed)
            key = QChar(0);
        return;
    }
    key = QChar(0);
    selectByPrefix();
    rewriteControl();
}

void TfmAutoComp::lbKeyDown(int& key)
{
    m_idleCount = 3;
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        QChar c(key == Qt::Key_Left ? 28 : 29);
        lbKeyPress(c);
        key = 0;
    } else if (key == Qt::Key_F1) {
        const int row = Selected();
        if (row >= 0 && OnHelpRequest) {
            const QString text = lb->item(row)->text();
            qsizetype end = text.size();
            for (qsizetype i = 1; i < text.size(); ++i) {
                if (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('(')) {
                    end = i;
                    break;
                }
            }
            OnHelpRequest(text.left(end), ItemIcon(row));
        }
        key = 0;
    }
}

void TfmAutoComp::lbDblClick()
{
    QChar enter(13);
    lbKeyPress(enter);
}

void TfmAutoComp::ScrollCredits1AfterLastCredit(QObject*)
{
    if (!isVisible())
        return;
    --m_idleCount;
    if (m_idleCount <= 0) {
        QChar esc(27);
        lbKeyPress(esc);
    }
}

bool TfmAutoComp::eventFilter(QObject* watched, QEvent* event)
{
    if (stepOverClose(watched, event))
        return true;
    if (watched == lb && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        int key = ke->key();
        lbKeyDown(key);
        if (key == 0)
            return true;
        QChar ch = KeyEventChar(ke);
        if (ch.isNull())
            return false;   // Up, Down, Page Up... move through the list
        lbKeyPress(ch);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------

TfmAutoComp* fmAutoComp()
{
    return TSharedWindow<TfmAutoComp>::Get();
}

TfmAutoComp* EnsureAutoComp()
{
    return TSharedWindow<TfmAutoComp>::Ensure();
}

void FreeAutoComp()
{
    TSharedWindow<TfmAutoComp>::Free();
}
