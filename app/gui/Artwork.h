#pragma once
#include <QIcon>
#include <QPixmap>

namespace tavlin {

// The program's own pictures, from its resources (drawn by resources/draw_artwork.cpp).
QPixmap tavlinLogo();
QIcon tavlinIcon();

} // namespace tavlin
