#pragma once
// A control that scrolls text lines upward through its area on its own timer,
// each line with its own font, colour, size, style, alignment, height and
// optional blinking, given by format codes before a ";" at its start.
#include "controls/events.h"
#include "engine/canvas.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

// One line as prepared for drawing.
struct TCreditLine {
    TColor Color = clWhite;
    int Height = 0;          // pixels
    int Top = 0;             // offset from the top of the block
    int TextWidth = 0;
    QString FontName;
    int Size = 8;            // points
    TFontStyles Style = 0;
    TAlignment Alignment = taCenter;
    bool Blink = false;
    bool HeightGiven = false; // "&v" gave the height
    QString Text;             // what is shown (after the ";")
};

// Reads the format codes of a line (the part before its first ";"), starting
// from the defaults' colour, font name, size and alignment; the style is only
// what the codes say. Raises EConvertError for a colour, size or height code
// that is not a number. Measures nothing.
TCreditLine ParseCreditLine(const QString& line, const TCreditLine& defaults);

using TCreditEvent = std::function<void(QObject* Sender, const QString& CreditText)>;

class TScrollCredits : public QWidget {
    Q_OBJECT
public:
    explicit TScrollCredits(QWidget* parent = nullptr);

    bool Continuo() const { return m_continuo; }
    void setContinuo(bool on);
    const QStringList& Credits() const { return m_credits; }
    void setCredits(const QStringList& lines);
    const QFont& CreditsFont() const { return m_font; }
    TColor CreditsFontColor() const { return m_fontColor; }
    void setCreditsFont(const QFont& font, TColor color);
    TColor BackgroundColor() const { return m_background; }
    void setBackgroundColor(TColor c);
    TColor BorderColor() const { return m_border; }
    void setBorderColor(TColor c);
    bool Animate() const { return m_animate; }
    void setAnimate(bool on);
    std::uint32_t Interval() const { return m_interval; }
    void setInterval(std::uint32_t ms);
    bool Visible() const { return m_visible; }
    void setVisible(bool visible) override;
    const QImage& BackgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const QImage& img);
    bool ShowBorder() const { return m_showBorder; }
    void setShowBorder(bool on);
    int Step() const { return m_step; }
    void setStep(int pixels);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment a) { m_alignment = a; }

    TCreditEvent OnShowCredit;
    TNotifyEvent AfterLastCredit;
    TNotifyEvent OnPaint;
    TNotifyEvent OnErase;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // The state the timer moves: offset of the first line's top, total height
    // of the lines, the last line reported in this pass, the prepared lines.
    int Offset() const { return m_y; }
    int TotalHeight() const { return m_total; }
    int LastShown() const { return m_lastShown; }
    const QList<TCreditLine>& Lines() const { return m_lines; }
    bool TimerRunning() const { return m_timer.isActive(); }
    // The picture composed by the last paint, and the lines written on it
    // (line index and top) in the order they were written.
    const QImage& Picture() const { return m_work; }
    struct Drawn {
        int Index;
        int Top;
        bool operator==(const Drawn&) const = default;
    };
    const QList<Drawn>& LastDrawn() const { return m_drawn; }

    // Prepares the lines again (fonts, heights, tops).
    void PrepareLines();
    // One tick of the timer.
    void Tick();
    // Composes the picture (firing the paint events) and shows it.
    void Paint();

    // The text x of a prepared line in an area of the given width.
    static int LineX(const TCreditLine& line, int areaWidth);
    // A blinking line is hidden on two of every four steps.
    static bool BlinkHidden(int offset, int step);

    QSize sizeHint() const override { return QSize(230, 250); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    void updateTimer();
    void compose();
    void drawBlock(QPainter& p, int base);

    bool m_continuo = false;
    QStringList m_credits;
    QFont m_font;
    TColor m_fontColor = clWhite;
    TColor m_background = clBlack;
    TColor m_border = clWhite;
    bool m_animate = false;
    std::uint32_t m_interval = 50;
    bool m_visible = true;
    QImage m_backgroundImage;
    bool m_showBorder = true;
    int m_step = 1;
    TAlignment m_alignment = taCenter;

    QTimer m_timer;
    QImage m_work;
    bool m_dirty = true;
    int m_y = 0;
    int m_total = 0;
    int m_lastShown = -1;
    QList<TCreditLine> m_lines;
    QList<Drawn> m_drawn;
};
