#include "controls/toolpictures.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QToolButton>

namespace {

const char* const kPictureProperty = "toolPicture";

QString PicturePath(const QString& name) { return QStringLiteral(":/icons/tools/") + name + QStringLiteral(".svg"); }

QPixmap Render(const QByteArray& svg, int side)
{
    QSvgRenderer renderer(svg);
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    if (!renderer.isValid())
        return pm;
    QPainter p(&pm);
    renderer.render(&p, QRectF(0, 0, side, side));
    return pm;
}

} // namespace

bool HasToolPicture(const QString& name) { return !name.isEmpty() && QFile::exists(PicturePath(name)); }

QIcon ToolPicture(const QString& name, const QColor& colour)
{
    QFile f(PicturePath(name));
    if (name.isEmpty() || !f.open(QIODevice::ReadOnly))
        return QIcon();
    QByteArray svg = f.readAll();
    svg.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
    QIcon icon;
    for (int side : {16, 24, 32})
        icon.addPixmap(Render(svg, side));
    return icon;
}

void SetToolPicture(QToolButton* button, const QString& name, const QColor& colour)
{
    if (!button)
        return;
    button->setProperty(kPictureProperty, name);
    button->setIcon(ToolPicture(name, colour));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

QString ToolPictureName(const QToolButton* button)
{
    return button ? button->property(kPictureProperty).toString() : QString();
}

void RecolourToolPictures(QWidget* root, const QColor& colour)
{
    if (!root)
        return;
    for (QToolButton* b : root->findChildren<QToolButton*>()) {
        const QString name = ToolPictureName(b);
        if (!name.isEmpty())
            b->setIcon(ToolPicture(name, colour));
    }
}
