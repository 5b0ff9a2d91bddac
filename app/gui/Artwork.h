#pragma once
#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace tavlin {

// The program's own look: its pictures, from its resources (drawn by resources/draw_artwork.cpp).
QPixmap tavlinLogo();
QIcon tavlinIcon();

// The windows' design face, "MS Sans Serif", served here by the face with the closest metrics.
QFont designFont(int pointSize = 8);

} // namespace tavlin
