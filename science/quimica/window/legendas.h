#pragma once
// The legend frames under the periodic table: each decides the colour of
// every element cell and explains it. One is shown at a time: the categorical
// legend (element types, groups, periods, crystal structures), the colour
// scale of a numeric property, and the states of aggregation at a chosen
// temperature.
#include "engine/canvas.h"
#include "science/quimica/coloreo.h"

#include <QFrame>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class TPaintBoxM;
class TPaintGrid;
class TRxSpinEdit;
class QPainter;

// The periodic window's colours, shared with its frames: the scheme's light
// and dark colours as the window last took them.
struct TabPerGlobals {
    TColor TabPerLightColor = 0xF7F7F7;
    TColor TabPerDarkColor = 0xEDD2AF;
    void reset() { *this = TabPerGlobals{}; }
};
TabPerGlobals& TabPer();

// The colour of an element whose property is not known.
inline constexpr TColor kUnknownColor = clSilver;
// The scale colour of a position 0..1 (ValueToScaleColor with the frames'
// saturation and lightness).
TColor LegendScaleColor(double position);

class TfaTabPerBase : public QWidget {
    Q_OBJECT
public:
    // The frame covers the panel and starts hidden.
    explicit TfaTabPerBase(QWidget* panel);

    virtual TColor ElementColor(int z) = 0;
    virtual void SetScale(TElementGetter getter, double min, double max) = 0;
    virtual void ShowElement(int z) = 0;

    // The legend as drawn (the frame's picture "im").
    const QImage& Legend() const { return m_legend; }

    // The periodic window's report label and its table.
    std::function<void(const QString&)> OnReport;
    std::function<void()> OnRedrawTable;

protected:
    // A new legend picture of the frame's size filled with a vertical
    // gradient (light to dark, or dark to light).
    QPainter* beginLegend(bool lightFirst);
    void endLegend();
    void report(const QString& text);
    void paintEvent(QPaintEvent* e) override;

    QImage m_legend;
    QPainter* m_painter = nullptr;
};

// ---------------------------------------------------------------------------
class TfaTipo : public TfaTabPerBase {
    Q_OBJECT
public:
    explicit TfaTipo(QWidget* panel);

    TColor ElementColor(int z) override;
    void SetScale(TElementGetter, double, double) override {}
    void ShowElement(int z) override;

    void ShowTypeLegend() { ShowLegend(TCategory::ElementType); }
    void ShowGroupLegend() { ShowLegend(TCategory::Group); }
    void ShowPeriodLegend() { ShowLegend(TCategory::Period); }
    void ShowStructureLegend() { ShowLegend(TCategory::CrystalStructure); }
    void ShowLegend(TCategory category);
    TCategory Mode() const { return m_mode; }

    TPaintGrid* PaintGrid1 = nullptr;
    QFrame* Shape1 = nullptr;

private:
    TCategory m_mode = TCategory::ElementType;
};

// ---------------------------------------------------------------------------
class TfaEscala : public TfaTabPerBase {
    Q_OBJECT
public:
    explicit TfaEscala(QWidget* panel);

    TColor ElementColor(int z) override;
    void SetScale(TElementGetter getter, double min, double max) override;
    void ShowElement(int z) override;

    void SetUnit(const QString& unit) { m_unit = unit; }
    const QString& Unit() const { return m_unit; }
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    // The pixel of the bar (in the frame) where a value lies.
    int BarPixel(double v) const;

    TPaintBoxM* pb = nullptr;
    QFrame* marca = nullptr;

private:
    void drawScale();
    TElementGetter m_getter;
    double m_min = 0, m_max = 1;
    QString m_unit;
};

// ---------------------------------------------------------------------------
// The strip of states of one element and the place the temperature is
// chosen on.
class TStateStrip : public QWidget {
    Q_OBJECT
public:
    explicit TStateStrip(QWidget* parent);
    QImage Picture;
    std::function<void(int x)> OnPress;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
};

// The slider over the strip, dragged with the mouse.
class TStateSlider : public QFrame {
    Q_OBJECT
public:
    explicit TStateSlider(QWidget* parent);
    bool Dragging() const { return m_dragging; }
    // x within the slider while dragging.
    std::function<void(int x)> OnDrag;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    bool m_dragging = false;
};

class TfaEstado : public TfaTabPerBase {
    Q_OBJECT
public:
    explicit TfaEstado(QWidget* panel);

    TColor ElementColor(int z) override;
    void SetScale(TElementGetter, double, double) override {}
    void ShowElement(int z) override;

    static TColor StateColor(int z, double t);
    int Temperature() const { return m_t; }
    void SetTemperature(long long t);
    void DrawLegend();
    void DrawAxis();

    TPaintGrid* pg = nullptr;
    TStateStrip* Image2 = nullptr;
    TStateSlider* Panel1 = nullptr;
    TRxSpinEdit* SpinEdit1 = nullptr;

private:
    void placeSlider();
    void fillStripGradient();
    int m_t = -1;
    bool m_settingSpin = false;
};
