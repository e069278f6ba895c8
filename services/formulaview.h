#pragma once
// The live formula view of the main window, the fraction window and the
// complex-number window: the picture of the typed expression (pbMeta), the
// compile error under it (lblError) and the picture's menu (MenuMeta):
// "Copiar", "Exportar", a separator, "Ajustar a la ventana" (checked at
// first) and, where the owner asks for it, "Describir funciones de usuario"
// (unchecked at first). "Copiar" and "Exportar" are enabled only while there
// is a picture; a double click on the picture copies it too.
//
// The owner supplies what the items do: OnCopy and OnExport get the picture
// ("Exportar" is shown only when OnExport is set), OnDescribe the new check of
// "Describir funciones de usuario".
#include "engine/canvas.h"

#include <QFrame>

#include <functional>
#include <memory>

class FormulaPicture;
class QAction;
class QLabel;
class QMenu;

class TFormulaView : public QFrame {
    Q_OBJECT
public:
    explicit TFormulaView(QWidget* parent = nullptr);
    ~TFormulaView() override;

    // The picture shown (owned), or none.
    void SetPicture(std::unique_ptr<FormulaPicture> picture);
    const FormulaPicture* Picture() const { return m_picture.get(); }

    // The error text under the picture: shown when not empty, hidden when empty.
    void ShowError(const QString& text);

    // The picture box's colour (the scheme's field colour).
    void SetBackground(TColor color);
    TColor Background() const { return m_background; }

    // "Ajustar a la ventana": the picture may be enlarged to fill the box.
    bool FitToWindow() const;
    void SetFitToWindow(bool on);

    std::function<void(const FormulaPicture&)> OnCopy;
    std::function<void(const FormulaPicture&)> OnExport;
    // Shows "Describir funciones de usuario" with this handler.
    void SetOnDescribe(std::function<void(bool describe)> handler);

    // The parts, by their control names.
    QWidget* pbMeta = nullptr;
    QLabel* lblError = nullptr;
    QMenu* MenuMeta = nullptr;
    QAction* Copiar = nullptr;
    QAction* Exportar = nullptr;
    QAction* AjustarALaVentana = nullptr;
    QAction* DescribirFunciones = nullptr;

    // Enables the items for the picture there is now (the menu's popup).
    void UpdateMenu();

private:
    void Copy();
    std::unique_ptr<FormulaPicture> m_picture;
    TColor m_background = 0xE8F0EE;
    std::function<void(bool)> m_onDescribe;
};
