// The separation pass through the grid. For each outer mass in index order it
// gathers the masses that could reach it, tries them in index order, and
// gathers again whenever a push has carried it away from where it looked.
#include "physics_grid.h"

#include <algorithm>
#include <limits>

#include "physics.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

using namespace grid;

// Below this many masses, trying every pair is faster than building the grid.
constexpr int kAllPairsBelow = 48;
// Candidates are gathered this many cells past the outer mass's reach, so
// that small pushes of it do not send it back to the grid.
constexpr double kGatherMargin = 0.25;
// How many outer masses ahead a neighbourhood's cells, then its items, are fetched.
constexpr int kPrefetchCells = 4;
constexpr int kPrefetchItems = 2;
// The widened reach of the culling, squared, with room for the rounding of the squares.
constexpr double kReachSquare = (1 + kReachSlack) * (1 + kReachSlack) * (1 + kSquareSlack);

inline void prefetch(const void* p) {
#if defined(__GNUC__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

}  // namespace

// The cells that hold every grid mass within `radius` of j.
SeparationGrid::Box SeparationGrid::queryBox(int j, double radius) const {
  const MassRecord& m = masses_[j];
  const Layer& l = layers_[places_[j].layer];
  const double x = m.x, y = m.y;
  const double r = radius + (std::fabs(x) + std::fabs(y)) * kEdgeSlack;
  return Box{cellCoord(x - r, l.originX, l.inverse, l.width), cellCoord(y - r, l.originY, l.inverse, l.height),
             cellCoord(x + r, l.originX, l.inverse, l.width), cellCoord(y + r, l.originY, l.inverse, l.height)};
}

// Gathering a crowded neighbourhood and picking from it costs more than
// trying the remaining indices. The slots of the box's rows bound its crowd.
bool SeparationGrid::crowded(int j, const Box& box, int last) const {
  if (box.empty()) return false;
  const Layer& l = layers_[places_[j].layer];
  long crowd = static_cast<long>(big_.size());
  for (int y = box.y0; y <= box.y1; ++y) {
    const int row = l.firstCell + y * l.width;
    crowd += cells_[row + box.x1 + 1].start - cells_[row + box.x0].start;
  }
  return 2 * crowd > count_ - 1 - last;
}

// Copies the box's grid masses after `last`, in no order (j itself may be
// among them).
void SeparationGrid::collect(int j, const Box& box, int last) {
  Item* out = boxItems_.data();
  int found = 0;
  // Free slots hold no mass, so a slot is kept without a branch.
  const auto consider = [&](const Item& item) {
    out[found] = item;
    found += item.mass > last;
  };
  const Layer& l = layers_[places_[j].layer];
  for (int row = box.y0; row <= box.y1; ++row) {
    const int c0 = l.firstCell + row * l.width + box.x0, c1 = c0 + box.x1 - box.x0;
    // A row's cells are adjacent in items_, so the row is one run; its free
    // slots hold no mass and are never kept.
    const Item* end = items_.data() + cells_[c1 + 1].start;
    for (const Item* item = items_.data() + cells_[c0].start; item < end; ++item) consider(*item);
    if (rowOverflow_[l.firstRow + row] == 0) continue;
    for (int c = c0; c <= c1; ++c)
      for (int e = cells_[c].head; e >= 0; e = entries_[e].next) consider(entries_[e].item);
  }
  boxItemCount_ = found;
}

// The box's masses after `last` within `radius` of j become the candidates.
void SeparationGrid::gather(int j, int last, double radius) {
  const MassRecord& mj = masses_[j];
  const double x = mj.x, y = mj.y;
  const double limit = radius * radius * (1 + kSquareSlack);
  Item* out = candidates_.data();
  int found = 0;
  // Most items are kept or dropped at random, so the test is not a branch.
  for (const Item *item = boxItems_.data(), *end = item + boxItemCount_; item < end; ++item) {
    const double dx = item->x - x, dy = item->y - y;
    out[found] = *item;
    found += (item->mass > last) & (dx * dx + dy * dy <= limit);
  }
  candidateCount_ = found;
  for (int i = 0; i < found; ++i) prefetch(&masses_[out[i].mass]);
}

// The lowest index after `last` among the candidates that j, where it is now,
// may act on; INT_MAX when none. Candidates at or before `last` are dropped on
// the way, so the list shrinks as j works through it. A candidate is ruled
// out only when separatePair would surely find the pair too far apart: by the
// same bound as the grid's culling, in double and without a square root.
int SeparationGrid::nextCandidate(int j, int last) {
  const MassRecord& mj = masses_[j];
  const double x = mj.x, y = mj.y, range = mj.range;
  Item* c = candidates_.data();
  int kept = 0, best = std::numeric_limits<int>::max();
  for (int i = 0, n = candidateCount_; i < n; ++i) {
    const Item item = c[i];
    const double reach = item.range + range;
    const double dx = item.x - x, dy = item.y - y;
    const double square = dx * dx + dy * dy;
    const bool near = (reach > 0) & ((square <= reach * reach * kReachSquare) | (square <= kMinReach * kMinReach));
    const bool later = item.mass > last;
    const bool take = later & near & (item.mass != j) & (item.mass < best);
    best = take ? item.mass : best;
    c[kept] = item;
    kept += later;
  }
  candidateCount_ = kept;
  return best;
}

// How far j may move from where it gathered before it must gather again.
double SeparationGrid::gatherMargin(int j) const { return kGatherMargin / layers_[places_[j].layer].inverse; }

// Every grid mass that could come within reach of j while j stays within
// the margin of where it gathered; none at all when j's reach is not positive.
double SeparationGrid::gatherRadius(int j) const {
  const double reach = static_cast<double>(masses_[j].range) + gridReach_;
  return reach > 0 ? std::max(reach * (1 + kReachSlack), kMinReach) + gatherMargin(j) : -1;
}

void SeparationGrid::visitNeighbours(int j) {
  MassRecord& mj = masses_[j];
  const double margin = gatherMargin(j);
  const double radius = gatherRadius(j);
  const int* big = big_.data();
  const int* bigEnd = big + big_.size();
  int last = -1;
  Box collected{0, 0, -1, -1};
  for (;;) {
    if (!finite(mj)) break;  // pushed to infinity or NaN: no pair acts any more
    const Box box = radius > 0 ? queryBox(j, radius) : Box{0, 0, -1, -1};
    // Only j and the masses it has tried have moved since the box's masses
    // were copied, so a box within that one needs no second look at the cells.
    if (!collected.holds(box)) {
      if (crowded(j, box, last)) {
        scanAll(j, last);
        break;
      }
      collect(j, box, last);
      collected = box;
    }
    gather(j, last, radius);
    const double x = mj.x, y = mj.y;
    bool strayed = false;
    // The grid candidates and the big masses, tried in index order.
    while (!strayed) {
      const int next = nextCandidate(j, last);
      while (big < bigEnd && *big <= last) ++big;
      const int k = big < bigEnd && *big < next ? *big : next;
      if (k == std::numeric_limits<int>::max()) break;
      last = k;
      ++stats_.pairsTried;
      prefetch(&places_[k]);  // wanted only after the push's trigonometry
      if (!separatePair(mj, masses_[k])) continue;
      acted(j, k);
      // Masses not yet tried have not moved, so the list holds while j stays
      // within the margin of where it was gathered.
      const double dx = mj.x - x, dy = mj.y - y;
      strayed = !(dx * dx + dy * dy <= margin * margin * (1 - kSquareSlack));
    }
    if (!strayed) break;
    ++stats_.regathers;
  }
  // j's own cell matters only to later outer masses, so it is brought up to date once.
  pushed(j);
}

void SeparationGrid::scanAll(int j, int last) {
  ++stats_.linearScans;
  MassRecord& mj = masses_[j];
  for (int k = last + 1; k < count_; ++k) {
    if (k == j) continue;
    ++stats_.pairsTried;
    if (!separatePair(mj, masses_[k])) continue;
    acted(j, k);
    if (!finite(mj)) return;
  }
}

int SeparationGrid::rowOf(int layer, int cell) const {
  const Layer& l = layers_[layer];
  return l.firstRow + (cell - l.firstCell) / l.width;
}

void SeparationGrid::acted(int j, int k) {
  ++stats_.pairsActed;
  if (acting_) acting_->push_back({j, k});
  pushed(k);
}

// Keeps a pushed grid mass's copy, and its cell, up to date.
void SeparationGrid::pushed(int i) {
  Place& p = places_[i];
  if (p.kind != kGrid) return;
  const MassRecord& m = masses_[i];
  const int cell = finite(m) ? cellOf(p.layer, m) : -1;
  if (cell == p.cell) {
    if (cell < 0) return;  // left the grid for good once its position stopped being finite
    Item& item = itemOf(p);
    item.x = m.x;
    item.y = m.y;
  } else {
    if (p.cell >= 0) release(i);
    if (cell >= 0) insert(i, cell);
  }
}

void SeparationGrid::release(int i) {
  Place& p = places_[i];
  if (p.inEntry) {
    entries_[p.index].item.mass = -1;
    --rowOverflow_[rowOf(p.layer, p.cell)];
  } else {
    // A cell's items stay packed: its last one fills the gap.
    Cell& cell = cells_[p.cell];
    const int last = cell.start + --cell.live;
    if (p.index != last) {
      items_[p.index] = items_[last];
      places_[items_[p.index].mass].index = p.index;
    }
    items_[last].mass = kNoMass;
  }
  p.cell = p.index = -1;
}

void SeparationGrid::insert(int i, int c) {
  Place& p = places_[i];
  const MassRecord& m = masses_[i];
  const Item item{i, m.x, m.y, m.range};
  Cell& cell = cells_[c];
  p.cell = c;
  p.inEntry = cell.start + cell.live == cells_[c + 1].start;
  if (!p.inEntry) {
    p.index = cell.start + cell.live++;
    items_[p.index] = item;
    return;
  }
  p.index = static_cast<int>(entries_.size());
  entries_.push_back(Entry{item, cell.head});
  cell.head = p.index;
  ++rowOverflow_[rowOf(p.layer, c)];
}

// Outer masses come in index order, which need not be near in space, so each
// one's neighbourhood is fetched ahead: its cells a few masses early, the
// items they point to, whole rows of them, when the cells are at hand.
void SeparationGrid::prefetchNeighbourhood(int j, bool items) const {
  if (j >= count_ || places_[j].kind != kGrid || !finite(masses_[j])) return;
  const double radius = gatherRadius(j);
  if (!(radius > 0)) return;
  const Box box = queryBox(j, radius);
  const Layer& l = layers_[places_[j].layer];
  for (int row = box.y0; row <= box.y1; ++row) {
    const Cell* first = &cells_[l.firstCell + row * l.width + box.x0];
    const Cell* after = first + (box.x1 - box.x0) + 1;
    if (!items) {
      prefetch(first);
      prefetch(after);
      continue;
    }
    const char* from = reinterpret_cast<const char*>(&items_[first->start]);
    const char* to = reinterpret_cast<const char*>(items_.data() + after->start);
    for (; from < to; from += 64) prefetch(from);
  }
}

void SeparationGrid::run(MassRecord* masses, int count, std::vector<ActingPair>* acting) {
  masses_ = masses;
  acting_ = acting;
  count_ = count;
  stats_ = GridStats{};
  if (!classify()) return;
  if (compact_) {
    stats_.compact = true;
    stats_.pairsTried = static_cast<std::int64_t>(count) * (count - 1);
    stats_.pairsActed = separateAllPairs(masses, count, acting);
    return;
  }
  assignLayers();
  buildCells();
  for (int j = 0; j < count; ++j) {
    prefetchNeighbourhood(j + kPrefetchCells, false);
    prefetchNeighbourhood(j + kPrefetchItems, true);
    if (places_[j].kind == kBig) {
      scanAll(j, -1);
    } else if (places_[j].kind == kGrid) {
      visitNeighbours(j);
    }
  }
}

namespace {
// Its buffers are kept from step to step.
SeparationGrid& sharedGrid() {
  static SeparationGrid g;
  return g;
}
}  // namespace

void separationPass(MassRecord* masses, int count, std::vector<ActingPair>* acting) {
  if (count < kAllPairsBelow) {
    separateAllPairs(masses, count, acting);
    return;
  }
  sharedGrid().run(masses, count, acting);
}

const GridStats& lastGridStats() { return sharedGrid().stats(); }

}  // namespace veltra
