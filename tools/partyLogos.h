#pragma once
// The pictures of the election: one logo per party (an emblem over the party's acronym,
// framed, in the party's colours) and the allocation button's picture (a hemicycle of
// seats in four colours). Each logo has the fixed size the program's windows expect.
#include <string>
#include <vector>

#include "Picture.h"

struct NamedPicture {
    std::string name;  // the file name without ".bmp"
    Picture picture;
};

// The 35 logos, "logo_psoe" to "logo_um", in the order of the party list. Throws
// std::runtime_error if an acronym holds a letter the drawing font lacks.
std::vector<NamedPicture> partyLogos();
// "b_mapa", 16 x 15.
NamedPicture mapaButton();
