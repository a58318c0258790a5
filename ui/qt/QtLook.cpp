#include "ui/qt/QtLook.h"

#include <QApplication>
#include <QWidget>

void ApplyDesignLook(QWidget& Area) {
    // 8 points at 96 dpi. A style sheet stops a parent's font from reaching
    // the widgets, so the sheet says the size as well.
    QFont Face = QApplication::font();
    Face.setPixelSize(11);
    Area.setFont(Face);
    Area.setStyleSheet(QStringLiteral(
        "QWidget { font-size: 11px; }"
        "QGroupBox { border: 1px solid palette(mid); border-radius: 3px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; padding: 0 2px; }"));
}
