// Where the company editor's splitter sash may stand: the start position and the
// limit while the user drags it, from the splitter's client width in pixels.
#pragma once

// The first sash position for a width, or -1 to leave the split as it is (800 or less).
int InitialCompanySash(int width);

// The largest sash position a drag may reach; a window made narrower moves the sash
// back to it.
int CompanySashLimit(int width);

// Whether a dragged sash position must be refused: the form side keeps between
// 260 and 620 pixels, less on narrow splitters. Never for a width below 1.
bool CompanySashRefused(int width, int position);
