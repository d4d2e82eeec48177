#pragma once
// The program's pictures (resources/*.bmp), embedded at build time and registered with
// the toolkit under their file names: "bmp_tarvelon" (the about picture and logo, 471 x 444)
// and "a_pri" (the icon, 32 x 32), the party logos "logo_psoe" to "logo_um", the
// allocation button "b_mapa" (16 x 15) and the button images "abc_borrar" to "abc_ver"
// (BTNBMP_ABC, prg/btnBmp_abc.h); and the dialog templates of resources/dialogs ("G_Save", "G_Serie", "config_tGraph").

// Registers them; safe to call any number of times.
void registerEmbeddedResources();
