#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class PushButtonWithTooltip;
class QFrame;
class QWidget;

// The looks shared by the overlay's labels and panels, and the pieces they are built from.
namespace PanelStyle {

// Height of every panel, which the size label shares so that labels and panels line up.
constexpr int kPanelHeight = 43;

// Half-transparent black with a white border: the size label and most panels.
QString dark();
// Nearly opaque white with a black border: the share-target panel, set apart from the rest.
QString light();
QFont panelFont();

// A button showing `image`; with `withHover` it shows the "_hover" variant under the
// pointer. An invalid `size` takes the image's own size.
PushButtonWithTooltip* imageButton(QWidget* panel, const QString& name, const QString& image,
                                   bool withHover, QSize size);
// The style sheet of an image button named `name`.
QString imageButtonSheet(const QString& name, const QString& image, bool withHover);
QFrame* separator(QWidget* parent, const QString& style);
// A styled panel of `name`, laid out in a row.
QWidget* makePanel(QWidget* parent, const QString& name, const QString& style);
// Makes `window` (parentless) a panel window holding a panel of `name`, which it returns.
QWidget* setUpPanelWindow(QWidget* window, const QString& name, const QString& style);

} // namespace PanelStyle
