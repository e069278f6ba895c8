#include "screen/screencheck.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>

namespace screencheck {

namespace {

std::string str(const QString& s) { return s.toStdString(); }

QString nameOf(const QWidget* w)
{
    const QString n = w->objectName();
    return QStringLiteral("%1 (%2)").arg(n.isEmpty() ? QStringLiteral("?") : n,
                                         QLatin1String(w->metaObject()->className()));
}

// The part of w the window shows: its rectangle clipped by every ancestor's,
// in w's coordinates.
QRect shownRect(const QWidget* w)
{
    QRect r = w->rect();
    const QWidget* child = w;
    QPoint offset(0, 0);
    for (const QWidget* p = w->parentWidget(); p && !child->isWindow(); child = p, p = p->parentWidget()) {
        offset += child->pos();
        r &= p->rect().translated(-offset);
    }
    return r;
}

// A text of width tw laid in `room` with `align`: its horizontal extent.
QRect placeText(const QRect& room, int tw, int th, Qt::Alignment align)
{
    int x = room.left();
    if (align & Qt::AlignRight)
        x = room.right() + 1 - tw;
    else if (align & Qt::AlignHCenter)
        x = room.left() + (room.width() - tw) / 2;
    int y = room.top();
    if (align & Qt::AlignBottom)
        y = room.bottom() + 1 - th;
    else if (align & Qt::AlignVCenter)
        y = room.top() + (room.height() - th) / 2;
    return QRect(x, y, tw, th);
}

QString plain(QString text)
{
    // "&x" shows as an underlined x, "&&" as "&".
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

void report(Faults& out, const QWidget* w, const QString& what, const QString& text, const QRect& needs,
            const QRect& has)
{
    out.push_back(str(QStringLiteral("%1%2: \"%3\" needs %4x%5 at (%6,%7), has %8x%9 at (%10,%11)")
                          .arg(nameOf(w), what, text)
                          .arg(needs.width())
                          .arg(needs.height())
                          .arg(needs.x())
                          .arg(needs.y())
                          .arg(has.width())
                          .arg(has.height())
                          .arg(has.x())
                          .arg(has.y())));
}

// The text fits when its box lies in the room and in what the window shows of
// the widget.
void checkText(Faults& out, const QWidget* w, const QString& what, const QString& text, const QRect& room,
               const QFont& font, Qt::Alignment align, bool wrap = false)
{
    if (text.trimmed().isEmpty())
        return;
    const QFontMetrics fm(font);
    QRect box;
    if (wrap) {
        const QRect br = fm.boundingRect(QRect(room.left(), room.top(), room.width(), 100000),
                                         int(Qt::TextWordWrap | (align & Qt::AlignHorizontal_Mask)), text);
        box = placeText(room, std::max(br.width(), 0), br.height(), align);
        box.setLeft(std::max(box.left(), room.left()));
        box.setWidth(std::min(box.width(), std::max(br.width(), 0)));
    } else {
        const QStringList lines = text.split(QLatin1Char('\n'));
        int tw = 0;
        for (const QString& l : lines)
            tw = std::max(tw, fm.horizontalAdvance(l));
        const int th = fm.ascent() + fm.descent() + (int(lines.size()) - 1) * fm.lineSpacing();
        box = placeText(room, tw, th, align);
    }
    const QRect has = room & shownRect(w);
    // Half a pixel of leeway for the font's rounding.
    if (!has.adjusted(-1, -1, 1, 1).contains(box))
        report(out, w, what, text, box, has);
}

void checkLabel(Faults& out, const QLabel* l)
{
    QString text = l->text();
    if (text.isEmpty() || !l->pixmap().isNull())
        return;
    if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        text = doc.toPlainText();
    }
    if (l->buddy())
        text = plain(text);
    QRect room = l->contentsRect();
    const int m = l->margin();
    room.adjust(m, m, -m, -m);
    int indent = l->indent();
    if (indent < 0)
        indent = l->frameWidth() > 0 ? QFontMetrics(l->font()).horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    if (indent > 0) {
        const Qt::Alignment a = l->alignment();
        if (a & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        else if (a & Qt::AlignRight)
            room.setRight(room.right() - indent);
    }
    checkText(out, l, QString(), text, room, l->font(), l->alignment(), l->wordWrap());
}

void checkButton(Faults& out, const QAbstractButton* b)
{
    const QString text = plain(b->text());
    if (text.isEmpty())
        return;
    const QStyle* st = b->style();
    QRect room = b->rect();
    Qt::Alignment align = Qt::AlignCenter;
    if (qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)) {
        const bool check = qobject_cast<const QCheckBox*>(b) != nullptr;
        const int ind =
            st->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, nullptr, b);
        const int gap = st->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing,
                                        nullptr, b);
        room.setLeft(ind + gap);
        align = Qt::AlignLeft | Qt::AlignVCenter;
    } else if (const auto* tb = qobject_cast<const QToolButton*>(b)) {
        const bool hasIcon = !tb->icon().isNull();
        Qt::ToolButtonStyle s = tb->toolButtonStyle();
        if (s == Qt::ToolButtonIconOnly && hasIcon)
            return;
        room.adjust(2, 2, -2, -2);
        if (hasIcon && s == Qt::ToolButtonTextBesideIcon)
            room.setLeft(room.left() + tb->iconSize().width() + 2);
        else if (hasIcon && s == Qt::ToolButtonTextUnderIcon)
            room.setTop(room.top() + tb->iconSize().height() + 2);
    } else {
        const int frame = st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b);
        room.adjust(frame, frame, -frame, -frame);
        if (!b->icon().isNull())
            room.setLeft(room.left() + b->iconSize().width() + 4);
        if (const auto* pb = qobject_cast<const QPushButton*>(b); pb && pb->menu())
            room.setRight(room.right() - st->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, b));
    }
    checkText(out, b, QString(), text, room, b->font(), align);
}

void checkLineEdit(Faults& out, const QLineEdit* e)
{
    if (!e->isReadOnly() || e->echoMode() != QLineEdit::Normal)
        return;
    const int frame = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, e) : 0;
    QRect room = e->rect().adjusted(frame + 2, frame, -frame - 2, -frame);
    const QMargins tm = e->textMargins();
    room.adjust(tm.left(), tm.top(), -tm.right(), -tm.bottom());
    checkText(out, e, QString(), e->text(), room, e->font(),
              (e->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void checkGroupBox(Faults& out, const QGroupBox* g)
{
    const QString title = plain(g->title());
    if (title.isEmpty())
        return;
    checkText(out, g, QStringLiteral(" title"), title, g->rect().adjusted(8, 0, -8, 0), g->font(),
              Qt::AlignLeft | Qt::AlignTop);
}

void checkHeader(Faults& out, const QHeaderView* h)
{
    if (!h->isVisible() || !h->model())
        return;
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    const QAbstractItemModel* m = h->model();
    const int count = h->count();
    for (int i = 0; i < count; ++i) {
        if (h->isSectionHidden(i) || h->sectionSize(i) == 0)
            continue;
        const int pos = h->sectionViewportPosition(i);
        const int size = h->sectionSize(i);
        if (pos + size <= 0 || pos >= (h->orientation() == Qt::Horizontal ? h->width() : h->height()))
            continue;
        const QString text = m->headerData(i, h->orientation(), Qt::DisplayRole).toString();
        QFont f = h->font();
        if (const QVariant fv = m->headerData(i, h->orientation(), Qt::FontRole); fv.isValid())
            f = fv.value<QFont>();
        const QVariant av = m->headerData(i, h->orientation(), Qt::TextAlignmentRole);
        const Qt::Alignment align = av.isValid() ? Qt::Alignment(av.toInt()) : h->defaultAlignment();
        const QRect section = h->orientation() == Qt::Horizontal ? QRect(pos, 0, size, h->height())
                                                                 : QRect(0, pos, h->width(), size);
        checkText(out, h, QStringLiteral(" section %1").arg(i), text, section.adjusted(margin, 0, -margin, 0), f,
                  align);
    }
}

void checkCells(Faults& out, const QTableView* v)
{
    const QAbstractItemModel* m = v->model();
    if (!m)
        return;
    const QWidget* vp = v->viewport();
    int total = 0;
    for (int c = 0; c < m->columnCount(); ++c)
        total += v->isColumnHidden(c) ? 0 : v->columnWidth(c);
    const bool canScroll = v->horizontalScrollBar()->isVisible();
    if (!canScroll && total > vp->width() + 1)
        out.push_back(str(QStringLiteral("%1: columns %2 px wide in a view %3 px wide without a scroll bar")
                              .arg(nameOf(v))
                              .arg(total)
                              .arg(vp->width())));
    if (!canScroll && v->horizontalScrollBar()->value() > 0)
        out.push_back(str(QStringLiteral("%1: scrolled %2 px sideways without a scroll bar")
                              .arg(nameOf(v))
                              .arg(v->horizontalScrollBar()->value())));
    for (int r = 0; r < m->rowCount(); ++r) {
        if (v->isRowHidden(r))
            continue;
        const int y = v->rowViewportPosition(r);
        if (y + v->rowHeight(r) <= 0 || y >= vp->height())
            continue;
        for (int c = 0; c < m->columnCount(); ++c) {
            if (v->isColumnHidden(c) || v->columnWidth(c) == 0)
                continue;
            const QModelIndex index = m->index(r, c);
            if (v->rowSpan(r, c) > 1 || v->columnSpan(r, c) > 1)
                continue;
            const int x = v->columnViewportPosition(c);
            if (x + v->columnWidth(c) <= 0 || x >= vp->width())
                continue;
            const QString text = m->data(index, Qt::DisplayRole).toString();
            if (text.isEmpty())
                continue;
            // What the cell's delegate says it needs: the text as it paints it.
            QStyleOptionViewItem opt;
            opt.initFrom(v);
            opt.font = v->font();
            opt.fontMetrics = QFontMetrics(opt.font);
            opt.rect = v->visualRect(index);
            opt.decorationSize = v->iconSize();
            opt.textElideMode = v->textElideMode();
            QAbstractItemDelegate* d = v->itemDelegateForIndex(index);
            const int needs = d ? d->sizeHint(opt, index).width() : 0;
            const QRect cell(x, y, v->columnWidth(c), v->rowHeight(r));
            // A cell beside the view is read by scrolling, when the view can.
            const QRect room = canScroll ? cell : cell & QRect(0, 0, vp->width(), vp->height());
            if (needs > room.width() + 1)
                report(out, v, QStringLiteral(" cell (%1,%2)").arg(r).arg(c), text, QRect(x, y, needs, cell.height()),
                       room);
        }
    }
}

} // namespace

void settle(QWidget* window)
{
    (void)grabFromServer(window);
}

void showAndSettle(QWidget* window)
{
    if (!window->isVisible())
        window->show();
    window->raise();
    QTest::qWaitForWindowExposed(window);
    settle(window);
}

QImage grabFromServer(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    QImage last;
    QElapsedTimer clock;
    clock.start();
    int same = 0;
    while (clock.elapsed() < 3000) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QImage now = screen->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        if (!now.isNull() && now == last) {
            if (++same >= 2)
                return now;
        } else {
            same = 0;
        }
        last = std::move(now);
        QTest::qWait(15);
    }
    return last;
}

QRgb untouchedColour()
{
    static const QRgb colour = [] {
        QScreen* s = QGuiApplication::primaryScreen();
        const QImage root = s->grabWindow(0).toImage();
        // The bottom-right corner: no test window opens there.
        return root.isNull() ? qRgb(0, 0, 0) : root.pixel(root.width() - 2, root.height() - 2) | 0xFF000000u;
    }();
    return colour;
}

QString save(const QImage& image, const QString& name)
{
    QString dir = qEnvironmentVariable("SUMBRIX_SCREEN_SHOTS");
#ifdef SUMBRIX_SCREEN_SHOTS
    if (dir.isEmpty())
        dir = QStringLiteral(SUMBRIX_SCREEN_SHOTS);
#endif
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
    image.save(path);
    return path;
}

std::vector<QRect> solidBlocks(const QImage& image, QRgb colour, int size, const QRegion& allowed)
{
    std::vector<QRect> found;
    const int w = image.width(), h = image.height();
    if (w < size || h < size)
        return found;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    colour |= 0xFF000000u;
    // run[x]: how many pixels of the colour end at (x, y) going left; up[x]:
    // how many rows end at y whose run at x reaches `size`.
    std::vector<int> run(size_t(w), 0), up(size_t(w), 0);
    QRegion taken = allowed;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int r = 0;
        for (int x = 0; x < w; ++x) {
            r = (line[x] | 0xFF000000u) == colour ? r + 1 : 0;
            run[size_t(x)] = r;
            up[size_t(x)] = r >= size ? up[size_t(x)] + 1 : 0;
            if (up[size_t(x)] >= size) {
                const QRect square(x - size + 1, y - size + 1, size, size);
                if (!taken.intersects(square)) {
                    // Report the block as far as it goes.
                    QRect block = square;
                    while (block.right() + 1 < w &&
                           (reinterpret_cast<const QRgb*>(img.constScanLine(block.top()))[block.right() + 1] |
                            0xFF000000u) == colour)
                        block.setRight(block.right() + 1);
                    while (block.bottom() + 1 < h &&
                           (reinterpret_cast<const QRgb*>(img.constScanLine(block.bottom() + 1))[block.left()] |
                            0xFF000000u) == colour)
                        block.setBottom(block.bottom() + 1);
                    found.push_back(block);
                    taken += block;
                }
            }
        }
    }
    return found;
}

Faults unpainted(const QImage& image, const QRegion& designedSolid)
{
    Faults out;
    for (const QRgb colour : {untouchedColour(), qRgb(0, 0, 0)}) {
        for (const QRect& r : solidBlocks(image, colour, 16, designedSolid))
            out.push_back(str(QStringLiteral("unpainted #%1 block %2x%3 at (%4,%5)")
                                  .arg(colour & 0xFFFFFFu, 6, 16, QLatin1Char('0'))
                                  .arg(r.width())
                                  .arg(r.height())
                                  .arg(r.x())
                                  .arg(r.y())));
    }
    return out;
}

Faults cutTexts(QWidget* window)
{
    Faults out;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (!w->isVisible() || w->window() != window)
            continue;
        if (shownRect(w).isEmpty())
            continue;
        if (const auto* l = qobject_cast<QLabel*>(w))
            checkLabel(out, l);
        else if (const auto* b = qobject_cast<QAbstractButton*>(w))
            checkButton(out, b);
        else if (const auto* e = qobject_cast<QLineEdit*>(w))
            checkLineEdit(out, e);
        else if (const auto* g = qobject_cast<QGroupBox*>(w))
            checkGroupBox(out, g);
        else if (const auto* h = qobject_cast<QHeaderView*>(w))
            checkHeader(out, h);
        else if (const auto* t = qobject_cast<QTableView*>(w))
            checkCells(out, t);
    }
    return out;
}

QRect difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QRect(QPoint(0, 0), a.size().expandedTo(b.size()));
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if ((p[col] | 0xFF000000u) != (q[col] | 0xFF000000u))
                box |= QRect(col, row, 1, 1);
        }
    }
    return box;
}

Faults check(QWidget* window, const QString& name, const QRegion& designedSolid)
{
    showAndSettle(window);
    const QImage shot = grabFromServer(window);
    const QString path = save(shot, name);
    Faults out = unpainted(shot, designedSolid);
    for (std::string& f : out)
        f += " in " + str(path);
    const Faults cut = cutTexts(window);
    out.insert(out.end(), cut.begin(), cut.end());
    return out;
}

} // namespace screencheck
