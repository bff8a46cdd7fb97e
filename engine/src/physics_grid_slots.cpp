// The slots of the grids' cells: gathering candidates from them four at a
// time, and keeping them in step with the masses the pass pushes. A mass keeps
// its slot while it stays in its cell, so a slot gathered for a mass not yet
// tried still holds that mass, where it was, when the pass comes to it.
#include <algorithm>

#include "physics_grid.h"
#include "physics_grid_bounds.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VELTRA_GRID_SSE2 1
#endif

namespace veltra {
namespace {

// For each mask of four lanes, the lanes that are set, in order, then zeros.
alignas(16) constexpr std::int32_t kLanes[16][4] = {
    {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0}, {1, 2, 0, 0}, {0, 1, 2, 0},
    {3, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}, {0, 1, 3, 0}, {2, 3, 0, 0}, {0, 2, 3, 0}, {1, 2, 3, 0}, {0, 1, 2, 3}};
constexpr int kSetLanes[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// A free slot's mass field: the next free slot of its stack, as -2 - next, so
// that it is negative however the stack goes on.
constexpr std::int32_t freeMark(int next) { return -2 - next; }

}  // namespace

// Keeps the slots of [from, to) whose mass comes after `last` and is not j,
// and whose square distance from (x, y), in float, is at most `limit`.
void SeparationGrid::gatherRun(int from, int to, float x, float y, float limit, int j, int last) {
  std::int32_t* out = gathered_.data();
  int found = gatheredCount_;
#if defined(VELTRA_GRID_SSE2)
  const __m128 vx = _mm_set1_ps(x), vy = _mm_set1_ps(y), vlimit = _mm_set1_ps(limit);
  const __m128i vlast = _mm_set1_epi32(last), vj = _mm_set1_epi32(j);
  const __m128i vfrom = _mm_set1_epi32(from - 1), vto = _mm_set1_epi32(to);
  const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
  for (int b = from >> 2, end = (to + 3) >> 2; b < end; ++b) {
    const Block& k = blocks_[b];
    const __m128i first = _mm_set1_epi32(4 * b);
    const __m128i slots = _mm_add_epi32(first, lanes);
    const __m128 dx = _mm_sub_ps(_mm_load_ps(k.x), vx), dy = _mm_sub_ps(_mm_load_ps(k.y), vy);
    const __m128 near = _mm_cmple_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), vlimit);
    const __m128i mass = _mm_load_si128(reinterpret_cast<const __m128i*>(k.mass));
    const __m128i later = _mm_andnot_si128(_mm_cmpeq_epi32(mass, vj), _mm_cmpgt_epi32(mass, vlast));
    const __m128i inRun = _mm_and_si128(_mm_cmpgt_epi32(slots, vfrom), _mm_cmplt_epi32(slots, vto));
    const int mask = _mm_movemask_ps(_mm_and_ps(near, _mm_castsi128_ps(_mm_and_si128(later, inRun))));
    // All four lanes are stored; only the first kSetLanes[mask] count.
    const __m128i kept = _mm_add_epi32(first, _mm_load_si128(reinterpret_cast<const __m128i*>(kLanes[mask])));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + found), kept);
    found += kSetLanes[mask];
  }
#else
  for (int s = from; s < to; ++s) {
    const Block& k = blocks_[s >> 2];
    const float dx = k.x[s & 3] - x, dy = k.y[s & 3] - y;
    const std::int32_t mass = k.mass[s & 3];
    out[found] = s;
    found += (mass > last) & (mass != j) & (dx * dx + dy * dy <= limit);
  }
#endif
  gatheredCount_ = found;
}

// The same test for the overflow slots of cells firstCell .. lastCell (one row's run).
void SeparationGrid::gatherChains(int firstCell, int lastCell, float x, float y, float limit, int j, int last) {
  for (int c = firstCell; c <= lastCell; ++c) {
    for (int s = cellChain_[c]; s >= 0; s = chainNext_[s - firstOverflow_]) {
      const float dx = slotX(s) - x, dy = slotY(s) - y;
      const std::int32_t mass = slotMass(s);
      if (mass > last && mass != j && dx * dx + dy * dy <= limit) gathered_[gatheredCount_++] = s;
    }
  }
}

int SeparationGrid::rowOf(int g, int cell) const {
  const Grid& l = grids_[g];
  return l.firstRow + (cell - l.firstCell) / l.width;
}

// Keeps a pushed grid mass's slot, and its cell, up to date.
void SeparationGrid::pushed(int i) {
  Place& p = places_[i];
  if (p.kind != kGrid) return;
  const MassRecord& m = masses_[i];
  const int cell = grid::finite(m) ? cellOf(p.grid, m.x, m.y) : -1;
  if (cell == p.cell) {
    if (cell < 0) return;  // left the grid for good once its position stopped being finite
    slotX(p.slot) = m.x;
    slotY(p.slot) = m.y;
    return;
  }
  if (p.cell >= 0) release(i);
  if (cell >= 0) insert(i, cell);
}

void SeparationGrid::freeSlot(int cell, int slot) {
  slotMass(slot) = freeMark(cellFree_[cell]);
  cellFree_[cell] = slot;
}

void SeparationGrid::release(int i) {
  Place& p = places_[i];
  if (p.slot < firstOverflow_) {
    freeSlot(p.cell, p.slot);
  } else {
    // Unlinked from its chain and kept for the next mass that finds no room.
    const int at = p.slot - firstOverflow_;
    const int next = chainNext_[at], prev = chainPrev_[at];
    if (prev >= 0) {
      chainNext_[prev - firstOverflow_] = next;
    } else {
      cellChain_[p.cell] = next;
    }
    if (next >= 0) chainPrev_[next - firstOverflow_] = prev;
    slotMass(p.slot) = freeMark(-1);
    chainNext_[at] = freeOverflow_;
    freeOverflow_ = p.slot;
    --rowOverflow_[rowOf(p.grid, p.cell)];
  }
  p.cell = p.slot = -1;
}

void SeparationGrid::insert(int i, int c) {
  Place& p = places_[i];
  const MassRecord& m = masses_[i];
  p.cell = c;
  int s = cellFree_[c];
  if (s >= 0) {
    cellFree_[c] = -2 - slotMass(s);
  } else {
    // At most one overflow slot per mass is in use, and buildCells made room for that many.
    if (freeOverflow_ >= 0) {
      s = freeOverflow_;
      freeOverflow_ = chainNext_[s - firstOverflow_];
    } else {
      s = overflowEnd_++;
    }
    const int head = cellChain_[c];
    chainNext_[s - firstOverflow_] = head;
    chainPrev_[s - firstOverflow_] = -1;
    if (head >= 0) chainPrev_[head - firstOverflow_] = s;
    cellChain_[c] = s;
    ++rowOverflow_[rowOf(p.grid, c)];
  }
  p.slot = s;
  slotX(s) = m.x;
  slotY(s) = m.y;
  slotRange(s) = m.range;
  slotMass(s) = i;
}

void SeparationGrid::buildCells() {
  const int n = count_;
  const int grids = stats_.grids;
  int total = 0, rows = 0;
  for (int g = 0; g < grids; ++g) {
    buildGrid(g);
    grids_[g].firstCell = total;
    grids_[g].firstRow = rows;
    total += grids_[g].width * grids_[g].height;
    rows += grids_[g].height;
  }
  stats_.cells = total;
  cellStart_.assign(static_cast<std::size_t>(total) + 1, 0);
  for (int i = 0; i < n; ++i) {
    Place& p = places_[i];
    if (p.kind != kGrid) continue;
    p.cell = cellOf(p.grid, masses_[i].x, masses_[i].y);
    ++cellStart_[static_cast<std::size_t>(p.cell) + 1];
  }
  // scratch_: each cell's next slot while filling.
  scratch_.resize(static_cast<std::size_t>(total));
  int running = 0;
  for (int c = 0; c < total; ++c) {
    const int live = cellStart_[c + 1];
    cellStart_[c] = running;
    scratch_[c] = running;
    running += live + kSpare;
  }
  cellStart_[total] = running;
  firstOverflow_ = overflowEnd_ = (running + 3) & ~3;
  freeOverflow_ = -1;
  const auto blocks = static_cast<std::size_t>((firstOverflow_ + n) / 4 + 1);
  if (blocks_.size() < blocks) blocks_.resize(blocks);
  for (int i = 0; i < n; ++i) {
    Place& p = places_[i];
    if (p.kind != kGrid) continue;
    p.slot = scratch_[p.cell]++;
    const MassRecord& m = masses_[i];
    slotX(p.slot) = m.x;
    slotY(p.slot) = m.y;
    slotRange(p.slot) = m.range;
    slotMass(p.slot) = i;
  }
  cellFree_.assign(static_cast<std::size_t>(total), -1);
  for (int c = 0; c < total; ++c)
    for (int s = scratch_[c]; s < cellStart_[c + 1]; ++s) freeSlot(c, s);
  for (int s = running; s < firstOverflow_; ++s) slotMass(s) = freeMark(-1);
  cellChain_.assign(static_cast<std::size_t>(total), -1);
  rowOverflow_.assign(static_cast<std::size_t>(rows), 0);
  chainNext_.resize(static_cast<std::size_t>(n));
  chainPrev_.resize(static_cast<std::size_t>(n));
}

}  // namespace veltra
