#pragma once
// The main window's conversion menu (PopupMenu6): "Repetir última",
// "Inversa", "Recientes" (the last fifteen conversions, kept in the settings
// section "RectConv"), one submenu per magnitude of the unit engine with a
// "de <unit>" submenu per unit and an "a <unit>" item per target unit, and
// "Editar unidades...". A conversion works on the number around the caret of
// the expression box when that box has the focus (the number is replaced in
// the text), otherwise on the result box's number. While the menu is open
// every conversion item shows its result.
//
// The menu rebuilds its unit submenus by itself after every reload of the
// unit definitions (the editor's "Guardar" included).
#include "foundation/core/extended.h"
#include "science/unidades/conversion.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QWidget;
class TComboExpr;
class TZelIniFile;

class TConversionMenu : public QObject {
    Q_OBJECT
public:
    // Fills `menu` (owned by the caller, normally empty) with the fixed items
    // and the unit submenus. `expressionBox` and `resultBox` are the main
    // window's boxes (not owned; they outlive this object).
    TConversionMenu(QMenu* menu, TComboExpr* expressionBox, QLineEdit* resultBox, QObject* parent = nullptr);
    ~TConversionMenu() override;

    QMenu* Menu() const { return m_menu; }
    const TRecentConversions& Recent() const { return m_recent; }

    // The settings section "RectConv" (read at start, written at close).
    void ReadSettings(TZelIniFile& ini);
    void WriteSettings(TZelIniFile& ini) const;

    // Removes the unit submenus and builds them again from the definitions.
    void RebuildConversionMenu();

    // A conversion by its tag (a clicked "a <unit>" item). False when nothing
    // was converted (no number, or the conversion failed: a box told why).
    bool ApplyConversion(std::int32_t tag);
    // A recent conversion by its caption, inverted once after "Inversa".
    bool ApplyRecentConversion(const QString& caption);
    void AddRecentConversion(std::int32_t tag);

    // Pops the menu up for the expression box (it gets the focus first) or
    // for the result box (the conversion chosen applies to it).
    void PopupForExpression(const QPoint& globalPos);
    void PopupForResult(const QPoint& globalPos);

    // Whether the conversion works on the expression box: its edit has the
    // focus. Tests may replace it.
    std::function<bool()> ExpressionHasFocus;
    // Opens the unit-definition editor on the magnitude given; true when it
    // saved. Default: the editor dialog, owned by the menu's window.
    std::function<bool(const QString& magnitude)> EditUnits;

    bool InvertNextConversion = false;

    // Fixed items (objectName as named here).
    QAction* Repetirltima1 = nullptr;
    QAction* Inversa1 = nullptr;
    QMenu* Recientes1 = nullptr;
    QAction* EditarUnidades1 = nullptr;

public slots:
    void Repetirltima1Click();
    void Inversa1Click();
    void Opciones2Click();   // "Editar unidades..."

private:
    void MenuPopup();
    void FillRecentMenu();
    void AddTargetItems(QMenu* fromMenu, int magnitude, int from);
    void ShowPreviews(QMenu* fromMenu);
    // Reads the value, converts with `convert`, writes the result back.
    bool Apply(const std::function<Extended(Extended)>& convert);
    bool SourceValue(Extended& value, bool quiet, int* start = nullptr, int* length = nullptr);

    QMenu* m_menu;
    TComboExpr* m_expr;
    QLineEdit* m_result;
    QAction* m_firstSeparator = nullptr;
    QAction* m_lastSeparator = nullptr;
    TRecentConversions m_recent;
    int m_reloadHandler = 0;
    bool m_hasPreview = false;
    Extended m_previewValue = 0;
};

// Where the unit windows send their help requests (context number); the main
// window's help integration sets it.
std::function<void(int context)>& UnitsHelpHook();

// What the last load of the definitions could not take (dropped definitions,
// sides that did not compile, a file that could not be read), in one error
// box, then forgotten; nothing when all loaded. The start-up load runs before
// there is a window: the main window calls this once it exists.
void ShowUnitLoadNotices();

// Replaces the menu's items by one submenu per magnitude with one item per
// unit (the formula manager's unit menu); a click gives the magnitude's and
// the unit's names. Rebuild it after every reload of the definitions.
void BuildMagnitudeMenu(QMenu* menu, const std::function<void(const QString& magnitude, const QString& unit)>& onClick);
