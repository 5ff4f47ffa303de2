#include "ui/appicon.h"

#include "appiconsizes.h"

#include <QPixmap>
#include <QString>

QIcon tamrixIcon()
{
    // The desktop's artwork, rendered from its SVG ahead of time: the program needs no
    // SVG support, and the small sizes stay as sharp as their renderings.
    QIcon icon;
    for (int side : kAppIconSizes)
        icon.addPixmap(QPixmap(QStringLiteral(":/icons/tamrix-%1.png").arg(side)));
    return icon;
}
