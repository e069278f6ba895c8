#include "services/formulaview.h"

#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// The paint box: the field colour, then the picture fitted into the box.
class PictureBox : public QWidget {
public:
    explicit PictureBox(TFormulaView* view) : QWidget(view), m_view(view) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), ToQColor(m_view->Background()));
        const FormulaPicture* pic = m_view->Picture();
        if (!pic || pic->width() <= 0 || pic->height() <= 0)
            return;
        // A margin all round: a picture as tall as the box never touches its edges.
        constexpr int kMargin = 4;
        TRect dest;
        FitRectProportional(TRect{0, 0, pic->width(), pic->height()},
                            TRect{0, 0, width() - 2 * kMargin, height() - 2 * kMargin}, m_view->FitToWindow(), dest);
        dest = TRect{dest.Left + kMargin, dest.Top + kMargin, dest.Right + kMargin, dest.Bottom + kMargin};
        DrawPictureStretched(p, *pic, dest);
    }
    void contextMenuEvent(QContextMenuEvent* e) override
    {
        m_view->UpdateMenu();
        m_view->MenuMeta->popup(e->globalPos());
    }
    void mouseDoubleClickEvent(QMouseEvent*) override
    {
        if (m_view->Picture() && m_view->OnCopy)
            m_view->OnCopy(*m_view->Picture());
    }

private:
    TFormulaView* m_view;
};

} // namespace

TFormulaView::TFormulaView(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("PMeta"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setWordWrap(true);
    lblError->setStyleSheet(QStringLiteral("color: #A00000"));
    lblError->hide();
    pbMeta = new PictureBox(this);
    pbMeta->setObjectName(QStringLiteral("pbMeta"));
    pbMeta->setMinimumHeight(20);
    pbMeta->setToolTip(QStringLiteral(
        "Representación de la expresión\r\nUse el botón secundario del ratón\r\npara copiar, exportar, etc."));
    layout->addWidget(lblError);
    layout->addWidget(pbMeta, 1);

    MenuMeta = new QMenu(this);
    MenuMeta->setObjectName(QStringLiteral("MenuMeta"));
    Copiar = MenuMeta->addAction(QStringLiteral("Copiar"));
    Copiar->setObjectName(QStringLiteral("Copiar3"));
    connect(Copiar, &QAction::triggered, this, [this] {
        if (m_picture && OnCopy)
            OnCopy(*m_picture);
    });
    Exportar = MenuMeta->addAction(QStringLiteral("Exportar"));
    Exportar->setObjectName(QStringLiteral("Exportar1"));
    Exportar->setVisible(false);
    connect(Exportar, &QAction::triggered, this, [this] {
        if (m_picture && OnExport)
            OnExport(*m_picture);
    });
    MenuMeta->addSeparator();
    AjustarALaVentana = MenuMeta->addAction(QStringLiteral("Ajustar a la ventana"));
    AjustarALaVentana->setObjectName(QStringLiteral("Ajustaralaventana1"));
    AjustarALaVentana->setCheckable(true);
    AjustarALaVentana->setChecked(true);
    connect(AjustarALaVentana, &QAction::toggled, pbMeta, qOverload<>(&QWidget::update));
    DescribirFunciones = MenuMeta->addAction(QStringLiteral("Describir funciones de usuario"));
    DescribirFunciones->setObjectName(QStringLiteral("OcultarFuncionUsuario1"));
    DescribirFunciones->setCheckable(true);
    DescribirFunciones->setVisible(false);
    connect(DescribirFunciones, &QAction::toggled, this, [this](bool on) {
        if (m_onDescribe)
            m_onDescribe(on);
    });
    connect(MenuMeta, &QMenu::aboutToShow, this, &TFormulaView::UpdateMenu);
}

TFormulaView::~TFormulaView() = default;

void TFormulaView::SetPicture(std::unique_ptr<FormulaPicture> picture)
{
    m_picture = std::move(picture);
    pbMeta->update();
}

void TFormulaView::ShowError(const QString& text)
{
    lblError->setText(text);
    lblError->setVisible(!text.isEmpty());
}

void TFormulaView::SetBackground(TColor color)
{
    m_background = color;
    pbMeta->update();
}

bool TFormulaView::FitToWindow() const { return AjustarALaVentana->isChecked(); }

void TFormulaView::SetFitToWindow(bool on) { AjustarALaVentana->setChecked(on); }

void TFormulaView::SetOnDescribe(std::function<void(bool)> handler)
{
    m_onDescribe = std::move(handler);
    DescribirFunciones->setVisible(bool(m_onDescribe));
}

void TFormulaView::UpdateMenu()
{
    Copiar->setEnabled(m_picture != nullptr);
    Exportar->setVisible(bool(OnExport));
    Exportar->setEnabled(m_picture != nullptr);
}
