#include "app/common/image_tint.h"

namespace veldrix {

wxImage TintOpaquePixels(const wxImage& image, const wxColour& colour, unsigned char alpha) {
  if (!image.IsOk()) return image;
  wxImage result = image.Copy();
  const bool hadAlpha = result.HasAlpha();
  const bool hadMask = result.HasMask();
  const unsigned char maskRed = hadMask ? result.GetMaskRed() : 0;
  const unsigned char maskGreen = hadMask ? result.GetMaskGreen() : 0;
  const unsigned char maskBlue = hadMask ? result.GetMaskBlue() : 0;
  if (!hadAlpha) result.InitAlpha();
  // The mask is judged by the colour captured before InitAlpha, which may drop it.
  const int width = result.GetWidth();
  const int height = result.GetHeight();
  unsigned char* rgb = result.GetData();
  unsigned char* alphas = result.GetAlpha();
  for (int i = 0; i < width * height; ++i) {
    unsigned char* pixel = rgb + 3 * i;
    bool transparent = false;
    if (hadAlpha) transparent = alphas[i] < 21;
    if (hadMask && pixel[0] == maskRed && pixel[1] == maskGreen && pixel[2] == maskBlue) transparent = true;
    if (transparent) {
      alphas[i] = 0;
      continue;
    }
    pixel[0] = colour.Red();
    pixel[1] = colour.Green();
    pixel[2] = colour.Blue();
    alphas[i] = alpha;
  }
  result.SetMask(false);
  return result;
}

}  // namespace veldrix
