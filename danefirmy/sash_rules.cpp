#include "danefirmy/sash_rules.h"

#include <algorithm>

int InitialCompanySash(int width) {
  if (width <= 800) return -1;
  return std::max(460, width - std::max(width / 2, 930));
}

int CompanySashLimit(int width) { return width - std::min(std::max(width - 460, 260), 620); }

bool CompanySashRefused(int width, int position) { return width >= 1 && position > CompanySashLimit(width); }
