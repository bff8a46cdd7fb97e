// An outer mass whose neighbourhood is wide, as a large mass among small ones,
// is pushed by many masses, each push carrying it far. Gathering its whole
// neighbourhood anew after every few pushes would cost the square of that;
// instead it takes every mass of the boxes it gathers from as a candidate,
// and as it moves out of them gathers only the cells it has not covered yet,
// merging those into the candidates it has still to try. Masses after `last`
// have not moved, so every cell once gathered stays gathered.
#include <algorithm>
#include <cmath>

#include "physics_grid.h"
#include "physics_grid_bounds.h"

namespace veltra {

using namespace grid;

void SeparationGrid::sweep(int j, int last, double spent) {
  ++stats_.sweeps;
  const MassRecord& mj = masses_[j];
  const Near everything{0, 0, INFINITY};
  candidateCount_ = gather(j, last, everything, candidates_.data(), true);
  while (tryCandidates(j, last, true)) {
    if (!grid::finite(mj)) return;  // pushed to infinity or NaN: no pair acts any more
    const double cost = extend(j);
    if (spent + cost > count_ - 1 - last) {
      scanAll(j, last);
      return;
    }
    spent += cost;
    merge(gather(j, last, everything, merged_.data(), false));
  }
}

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
// did not hold; the new boxes become the covered ones. Returns what gathering
// them and merging them into the candidates left costs, in tried pairs.
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
        slots += addRun(g, y, b.x0, b.x1);
        continue;
      }
      if (b.x0 < old.x0) slots += addRun(g, y, b.x0, std::min(b.x1, old.x0 - 1));
      if (b.x1 > old.x1) slots += addRun(g, y, std::max(b.x0, old.x1 + 1), b.x1);
    }
    *covered = b;
  }
  const auto n = static_cast<double>(slots);
  return kSlotCost * slots + (n > kInsertionUpTo ? kSortCost * n * std::ilogb(n) : 0) + candidateCount_;
}

// Merges the `added` new candidates, sorted at the front of merged_, with the
// ones left to try, dropping masses gathered twice.
void SeparationGrid::merge(int added) {
  std::uint64_t* const fresh = merged_.data();
  std::copy(candidates_.data(), candidates_.data() + candidateCount_, fresh + added);
  const std::uint64_t *a = fresh, *aEnd = fresh + added, *b = aEnd, *bEnd = b + candidateCount_;
  std::uint64_t* out = candidates_.data();
  int n = 0;
  while (a < aEnd || b < bEnd) {
    const std::uint64_t key = b == bEnd || (a < aEnd && *a < *b) ? *a++ : *b++;
    if (n == 0 || out[n - 1] != key) out[n++] = key;
  }
  candidateCount_ = n;
}

}  // namespace veltra
