#pragma once
// The built-in button and menu images: seventeen small pictures ("borrar" a red cross,
// "editar" a pencil, "nuevo" a blank sheet with a star, ...), each kept at the size and
// depth the program's table of images gives it, written as "abc_" + name + ".bmp".
// Their top-left pixel is the background grey that buttons show as their own face.
#include <string>
#include <vector>

#include "partyLogos.h"

struct ButtonImage {
    NamedPicture named;  // name "abc_borrar", ...
    int bits;            // 4, 8 or 24 bits per pixel in the file
};

// The seventeen images in name order. Throws std::runtime_error when a drawing uses a
// colour letter it does not define or its rows are not all of one width.
std::vector<ButtonImage> buttonImages();

// The nine images of the browse windows' buttons, named as the windows ask for them:
// "paloma" (a tick), "cruz" (a cross), "dooropen", "doorclose", "consultar" (a magnifying
// glass over a page), "editbut" (a pencil over a page), "nuevo" (a new page), "eliminar"
// (a bin) and "printer"; 16 x 16 at 24 bits, drawn in browseButtonImages.cpp.
std::vector<ButtonImage> browseButtonImages();

// The graph window's own images, drawn in graphImages.cpp: "grbarr3d" (a bar in depth,
// 16 x 16 at 8 bits), "grxgrid" and "grygrid" (dotted rows or columns over axes, 18 x 18
// at 24 bits), and the point marks "grpoint", "grcross" and "grshape" (16 x 16, 24 bits).
std::vector<ButtonImage> graphImages();

// A picture drawn as rows of colour letters (the letters are listed in buttonImages.cpp).
// Throws std::runtime_error naming `name` on an unknown letter or uneven rows.
Picture paintLetters(const std::string& name, const std::vector<const char*>& rows);
