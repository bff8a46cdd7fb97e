// The slots of the grids' cells, kept in step with the masses the pass
// pushes. A mass keeps its slot while it stays in its cell, so a slot
// gathered for a mass not yet tried still holds that mass, where it was, when
// the pass comes to it.
#include "physics_grid.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

// A free slot's mass field: the next free slot of its stack, as -2 - next, so
// that it is negative however the stack goes on.
constexpr std::int32_t freeMark(int next) { return -2 - next; }

}  // namespace

int SeparationGrid::rowOf(int g, int cell) const {
  const Grid& l = grids_[g];
  return l.firstRow + (cell - l.firstCell) / l.width;
}

// Notes that a mass has moved. Its slot is brought up to date before the
// next gather reads the cells: a run of linear scans, as in a pile, then
// pushes masses many times over without paying for their slots each time.
void SeparationGrid::pushed(int i) {
  Place& p = places_[i];
  if (p.kind != kGrid || p.moved) return;
  p.moved = true;
  moved_.push_back(i);
}

void SeparationGrid::followAll() {
  for (int i : moved_) follow(i);
  moved_.clear();
}

// Moves a mass's slot, and its cell, to where it is now.
void SeparationGrid::follow(int i) {
  Place& p = places_[i];
  p.moved = false;
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
