#include "controls/appicon.h"

#include <QPainter>
#include <QSvgRenderer>

// The resource's initialiser lives in this static library: named here, the
// linker keeps it.
static void InitAppIconResource() { Q_INIT_RESOURCE(app); }

QPixmap ApplicationPixmap(int size)
{
    static const bool registered = (InitAppIconResource(), true);
    (void)registered;
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icons/app/sumbrix.svg"));
    if (svg.isValid()) {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p, QRectF(0, 0, size, size));
    }
    return pm;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(ApplicationPixmap(size));
    return icon;
}
