// Recolouring a picture into a flat silhouette: the start page and the notebook's
// watermark draw their logo this way.
#pragma once

#include <wx/colour.h>
#include <wx/image.h>

namespace veldrix {

// Every visible pixel gets the colour's red, green and blue and `alpha`; transparent
// ones (alpha below 21, or the mask colour) get alpha 0. The result has an alpha
// channel and no mask; an invalid image comes back unchanged.
wxImage TintOpaquePixels(const wxImage& image, const wxColour& colour, unsigned char alpha);

}  // namespace veldrix
