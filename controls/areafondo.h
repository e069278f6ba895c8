#pragma once
// The gradient background panel behind the panels and title bars of the windows.
#include "controls/paintbox.h"

#include <QString>

enum TEstiloFondo {
    efCilindroHor,   // horizontal bands, Color at the split line, Color2 at the edges
    efCilindroVer,   // the same in vertical bands
    efGradienteHor,  // Color at the top to Color2 at the bottom
    efGradienteVer,  // Color at the left to Color2 at the right
    efEsfera,        // a sphere of Color on Color2
    efEstirar,       // nothing of its own
    efMozaico,       // nothing of its own
    efAlfombra,      // nothing of its own
};

class TAreaFondo : public TPaintBox {
    Q_OBJECT
public:
    explicit TAreaFondo(QWidget* parent = nullptr);

    TEstiloFondo Estilo() const { return m_estilo; }
    void setEstilo(TEstiloFondo e);
    TColor Color2() const { return m_color2; }
    void setColor2(TColor c);
    // Position of the split line or of the sphere's centre, in tenths (0..9).
    int Posicion() const { return m_posicion; }
    void setPosicion(int p);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& text);

    bool MouseInControl() const { return m_mouseOver.inside(); }
    TNotifyEvent OnMouseOver;

    // The sphere's centre for the current size and position.
    QPoint SphereCentre() const;

protected:
    virtual void DoMouseOver();
    void Paint() override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    TEstiloFondo m_estilo = efCilindroHor;
    TColor m_color2 = RGBColor(128, 128, 128);
    int m_posicion = 3;
    QString m_caption;
    TMouseOverFlag m_mouseOver;
};

// A gradient background filling `panel` behind its other children, kept at
// the panel's size whatever the panel's layout makes of it.
TAreaFondo* AddBackground(QWidget* panel, const QString& name);
