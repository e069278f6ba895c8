// The live formula view: the picture fitted into its box (enlarged only while
// "Ajustar a la ventana" is checked), the error line under it, and the
// picture's menu with its items enabled only while there is a picture.
#include "services/formulaview.h"

#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <optional>

namespace {

std::unique_ptr<FormulaPicture> PictureOf(const QString& text)
{
    real::TExpresion e;
    e.SetUseBuiltIns(true);
    e.Silent = true;
    e.SetText(text);
    return e.DrawToMetafile();
}

// The rows and columns of the box that hold ink (anything but the field colour).
QRect InkedRect(QWidget* box, QColor field)
{
    const QImage img = box->grab().toImage();
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != field)
                r |= QRect(x, y, 1, 1);
    return r;
}

TEST(FormulaView, MenuItemsFollowThePictureAndTheOwner)
{
    TFormulaView view;
    view.UpdateMenu();
    EXPECT_FALSE(view.Copiar->isEnabled());
    EXPECT_FALSE(view.Exportar->isVisible()) << "no export without a handler";
    EXPECT_FALSE(view.DescribirFunciones->isVisible());
    EXPECT_TRUE(view.AjustarALaVentana->isChecked());
    QStringList texts;
    for (QAction* a : view.MenuMeta->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{"Copiar", "Exportar", "-", "Ajustar a la ventana", "Describir funciones de usuario"}));

    int copied = 0, exported = 0;
    std::optional<bool> described;
    view.OnCopy = [&](const FormulaPicture&) { ++copied; };
    view.OnExport = [&](const FormulaPicture&) { ++exported; };
    view.SetOnDescribe([&](bool on) { described = on; });
    view.Copiar->trigger();
    EXPECT_EQ(copied, 0) << "nothing to copy yet";
    view.SetPicture(PictureOf(QStringLiteral("2/3")));
    view.UpdateMenu();
    EXPECT_TRUE(view.Copiar->isEnabled());
    EXPECT_TRUE(view.Exportar->isVisible());
    EXPECT_TRUE(view.Exportar->isEnabled());
    view.Copiar->trigger();
    view.Exportar->trigger();
    EXPECT_EQ(copied, 1);
    EXPECT_EQ(exported, 1);
    EXPECT_TRUE(view.DescribirFunciones->isVisible());
    view.DescribirFunciones->trigger();
    EXPECT_EQ(described, std::optional<bool>(true));
    // A double click on the picture copies it too.
    view.resize(200, 100);
    QTest::mouseDClick(view.pbMeta, Qt::LeftButton);
    EXPECT_EQ(copied, 2);
}

TEST(FormulaView, ErrorLineShowsOnlyWithText)
{
    TFormulaView view;
    view.show();
    view.ShowError(QStringLiteral("Falta un operando"));
    EXPECT_TRUE(view.lblError->isVisible());
    EXPECT_EQ(view.lblError->text(), QStringLiteral("Falta un operando"));
    view.ShowError(QString());
    EXPECT_FALSE(view.lblError->isVisible());
}

TEST(FormulaView, ThePictureIsEnlargedOnlyWhenFittingToTheWindow)
{
    TFormulaView view;
    view.SetBackground(0xE8F0EE);
    const QColor field = QColor(0xEE, 0xF0, 0xE8);
    view.resize(600, 400);
    view.show();
    // A fraction: its bar is ink whatever fonts the machine has.
    view.SetPicture(PictureOf(QStringLiteral("2/3")));
    const int natural = view.Picture()->width();
    ASSERT_LT(natural, 300);
    const QRect fitted = InkedRect(view.pbMeta, field);
    EXPECT_GT(fitted.width(), natural) << "enlarged to the box";
    view.SetFitToWindow(false);
    const QRect plain = InkedRect(view.pbMeta, field);
    EXPECT_LE(plain.width(), natural);
    // Centred in either case.
    EXPECT_NEAR(plain.center().x(), view.pbMeta->width() / 2, 3);
}

TEST(FormulaView, APictureTallerThanTheBoxKeepsAMargin)
{
    TFormulaView view;
    view.SetBackground(0xE8F0EE);
    const QColor field = QColor(0xEE, 0xF0, 0xE8);
    view.resize(300, 60);
    view.show();
    view.SetFitToWindow(true);
    view.SetPicture(PictureOf(QStringLiteral("(1/2)/(3/4)/(5/6)")));
    const QRect ink = InkedRect(view.pbMeta, field);
    ASSERT_TRUE(ink.isValid());
    EXPECT_GE(ink.top(), 3);
    EXPECT_LE(ink.bottom(), view.pbMeta->height() - 4);
}

} // namespace
