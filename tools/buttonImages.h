#pragma once
// The built-in button and menu images: seventeen small pictures ("borrar" a red cross,
// "editar" a pencil, "nuevo" a blank sheet with a star, ...), each kept at the size and
// depth the program's table of images gives it, written as "abc_" + name + ".bmp".
// Their top-left pixel is the background grey that buttons show as their own face.
#include <vector>

#include "partyLogos.h"

struct ButtonImage {
    NamedPicture named;  // name "abc_borrar", ...
    int bits;            // 4, 8 or 24 bits per pixel in the file
};

// The seventeen images in name order. Throws std::runtime_error when a drawing uses a
// colour letter it does not define or its rows are not all of one width.
std::vector<ButtonImage> buttonImages();
