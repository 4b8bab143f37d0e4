#include "framework/gui/ToolkitStyle.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

// The extension button's icon of a menu bar or a tool bar that is too short for its items:
// two chevrons pointing along the bar ("»" for a horizontal bar, the same turned down for
// a vertical one), in the palette's text colour.
QIcon ExtensionIcon(bool horizontal, const QColor& color) {
    QIcon icon;
    for (int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(color, side / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        const double u = side / 16.0;
        for (double x0 : {4.0, 8.5}) {
            QPointF points[] = {{x0 * u, 4 * u}, {(x0 + 3.5) * u, 8 * u}, {x0 * u, 12 * u}};
            if (!horizontal)
                for (QPointF& pt : points)
                    pt = QPointF(pt.y(), pt.x());
            p.drawPolyline(points, 3);
        }
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

class TToolkitStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton ||
            icon == SP_ToolBarVerticalExtensionButton) {
            const QPalette palette = option ? option->palette : QApplication::palette();
            return ExtensionIcon(icon == SP_ToolBarHorizontalExtensionButton,
                                 palette.color(QPalette::ButtonText));
        }
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void InstallToolkitStyle() {
    static bool installed = false;
    if (installed || !QApplication::instance())
        return;
    installed = true;
    QApplication::setStyle(new TToolkitStyle);
}
