#pragma once

#include <QIcon>
#include <QString>

// The player's icon, named by the application's id ("tv.zaro.ZaroPlayer")
// in the hicolor icon theme: from the desktop's theme when it has it, else
// from the pictures beside the resources (PREFIX/share/icons/hicolor, or the
// build tree's copy).
namespace ApplicationIcon {

// The folder of the hicolor theme beside the resources.
QString hicolorFolder();
QIcon icon();

}  // namespace ApplicationIcon
