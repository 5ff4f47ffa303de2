#include "ui/appicon.h"

#include <QPixmap>
#include <QString>

QIcon tamrixIcon()
{
    // The desktop's artwork, rendered from its SVG ahead of time: the program needs no
    // SVG support, and the small sizes stay as sharp as their renderings.
    QIcon icon;
    for (int side : {16, 32, 48, 128, 256})
        icon.addPixmap(QPixmap(QStringLiteral(":/icons/tamrix-%1.png").arg(side)));
    return icon;
}
