#include "Smart_Utils.h"

#include <algorithm>

bool IsEmptyRect(const PF_LRect *r) { return r->left >= r->right || r->top >= r->bottom; }

void UnionLRect(const PF_LRect *src, PF_LRect *dst) {
  if (IsEmptyRect(dst)) {
    *dst = *src;
  } else if (!IsEmptyRect(src)) {
    dst->left = std::min(dst->left, src->left);
    dst->top = std::min(dst->top, src->top);
    dst->right = std::max(dst->right, src->right);
    dst->bottom = std::max(dst->bottom, src->bottom);
  }
}
