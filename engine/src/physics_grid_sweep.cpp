// An outer mass whose neighbourhood is wide, as a large mass among small ones,
// is pushed by many masses, each push carrying it far. Gathering its whole
// neighbourhood anew after every few pushes would cost the square of that;
// instead it marks every mass of the boxes it gathers from as a candidate, one
// bit per mass, and as it moves out of them marks those of the cells it has
// not covered yet. The bits keep the candidates in index order with neither
// sorting nor merging. Masses after `last` have not moved, so every cell once
// gathered stays gathered.
#include <algorithm>
#include <cmath>

#include "physics_grid.h"
#include "physics_grid_bounds.h"

namespace veltra {

using namespace grid;

void SeparationGrid::sweep(int j, int last, double spent) {
  ++stats_.sweeps;
  const MassRecord& mj = masses_[j];
  mark(j, last, true);
  while (tryMarked(j, last)) {
    if (!grid::finite(mj)) break;  // pushed to infinity or NaN: no pair acts any more
    const double cost = extend(j);
    if (spent + cost > count_ - 1 - last) {
      unmark(last);
      scanAll(j, last);
      return;
    }
    spent += cost;
    mark(j, last, false);
  }
  unmark(last);
}

// Marks the masses after `last` but j in the runs, and with `withHuge` the
// huge masses of j's layer.
void SeparationGrid::mark(int j, int last, bool withHuge) {
  ++stats_.gathers;
  std::uint64_t* const bits = marks_.data();
  const auto set = [&](int k) {
    if (k > last && k != j) bits[k >> 6] |= std::uint64_t{1} << (k & 63);
  };
  for (int r = 0; r < runCount_; ++r) {
    const Run& run = runs_[r];
    stats_.slotsRead += run.to - run.from;
    // Free slots hold negative marks, below every index.
    for (int s = run.from; s < run.to; ++s) set(slotMass(s));
    if (run.firstChained < 0) continue;
    for (int c = run.firstChained; c <= run.lastCell; ++c)
      for (int s = cellChain_[c]; s >= 0; s = chainNext_[s - firstOverflow_]) set(slotMass(s));
  }
  const int layer = grids_[places_[j].grid].layer;
  if (withHuge)
    for (int k : huge_)
      if (layerOf_[k] == layer) set(k);
}

// Tries the marked masses in index order, clearing their bits, until a push
// carries j out of the boxes it gathered from. Returns whether one did.
bool SeparationGrid::tryMarked(int j, int& last) {
  MassRecord* const masses = masses_;
  MassRecord& mj = masses[j];
  const double range = mj.range;
  std::uint64_t* const bits = marks_.data();
  const int words = static_cast<int>(marks_.size());
  std::int64_t tried = 0;
  bool out = false;
  const int first = (last + 1) >> 6;
  // Marks are cleared as they are tried and when a sweep ends; were one left
  // at or before `last`, it must not be tried out of order.
  if (first < words) bits[first] &= ~std::uint64_t{0} << ((last + 1) & 63);
  for (int w = first; w < words && !out; ++w) {
    while (bits[w] != 0) {
      const int k = w * 64 + lowestBit(bits[w]);
      bits[w] &= bits[w] - 1;
      last = k;
      // Marked masses after `last` have not moved since they were marked.
      const MassRecord& mk = masses[k];
      const float dx = mk.x - mj.x, dy = mk.y - mj.y;
      if (!mayAct(dx * dx + dy * dy, mk.range + range)) continue;
      ++tried;
      if (!separatePair(mj, masses[k])) continue;
      acted(j, k);
      if (outgrew(j)) {
        out = true;
        break;
      }
    }
  }
  stats_.pairsTried += tried;
  return out;
}

// Clears the marks left after `last`, so that the next sweep starts from none.
void SeparationGrid::unmark(int last) { std::fill(marks_.begin() + ((last + 1) >> 6), marks_.end(), 0); }

// Whether j, where it is now, could reach a mass outside the boxes it has gathered from.
bool SeparationGrid::outgrew(int j) const {
  const MassRecord& m = masses_[j];
  const int layer = grids_[places_[j].grid].layer;
  const Box* covered = covered_;
  for (int i = layerGridStart_[layer]; i < layerGridStart_[layer + 1]; ++i, ++covered) {
    const int g = layerGrids_[i];
    const double reach = static_cast<double>(m.range) + grids_[g].reach;
    if (reach > 0 && !covered->holds(boxOf(g, m.x, m.y, gatherReach(reach, 0)))) return true;
  }
  return false;
}

// The runs of the cells of j's new boxes, margin included, that its old boxes
// did not hold; the new boxes become the covered ones. Returns what marking
// them costs, in tried pairs.
double SeparationGrid::extend(int j) {
  const MassRecord& m = masses_[j];
  const int layer = grids_[places_[j].grid].layer;
  const double margin = marginOf(j);
  long slots = 0;
  runCount_ = 0;
  Box* covered = covered_;
  for (int i = layerGridStart_[layer]; i < layerGridStart_[layer + 1]; ++i, ++covered) {
    const int g = layerGrids_[i];
    const double reach = static_cast<double>(m.range) + grids_[g].reach;
    if (!(reach > 0)) continue;
    const Box b = boxOf(g, m.x, m.y, gatherReach(reach, margin));
    const Box& old = *covered;
    for (int y = b.y0; y <= b.y1; ++y) {
      if (old.empty() || y < old.y0 || y > old.y1) {
        slots += addRuns(g, y, y, b.x0, b.x1);
        continue;
      }
      if (b.x0 < old.x0) slots += addRuns(g, y, y, b.x0, std::min(b.x1, old.x0 - 1));
      if (b.x1 > old.x1) slots += addRuns(g, y, y, std::max(b.x0, old.x1 + 1), b.x1);
    }
    *covered = b;
  }
  return kSlotCost * static_cast<double>(slots);
}

}  // namespace veltra
