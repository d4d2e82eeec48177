#include "btnBmp_mapa.h"

#include "Resources.h"
#include "bmp_es.h"
#include "embeddedResources.h"

Value BTNBMP_MAPA(const TWindowBase* window) {
    registerEmbeddedResources();
    return imageForWindow(resourceBytes("b_mapa"), window);
}
