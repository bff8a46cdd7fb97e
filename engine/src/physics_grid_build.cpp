// Building the grids of a separation pass: which masses go in them, their
// layers and size classes, and their cells.
#include <algorithm>
#include <cstring>
#include <limits>

#include "helpers.h"
#include "physics_grid.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

constexpr int kSampleSize = 1024;
// Cells this many typical ranges wide, times the size class's factor.
constexpr double kCellRanges = 3;
// Size class 0 holds ranges up to this many typical ranges; each class above
// holds ranges up to kClassFactor times those of the one below.
constexpr double kClassRanges = 2;
constexpr double kClassFactor = 4;
// The share of the others each mass would overlap, were they spread evenly,
// from which all pairs are tried instead.
constexpr double kCrowdedShare = 1.0 / 6;
// Cells are made wide enough to hold about this many masses each.
constexpr double kCellMasses = 2;
// Cells holding this many times a grid's mean (at least one mass) are crowded.
constexpr double kCrowdedCell = 16;

template <typename T>
T quantile(std::vector<T>& values, std::size_t at) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

// A table of 2^k slots, at least twice `n`, for the open addressing below.
std::size_t tableSize(int n) {
  std::size_t size = 16;
  while (size < 2 * static_cast<std::size_t>(n)) size *= 2;
  return size;
}

// The slot of `key` in an open-addressed table of keys and ids (id -1: free).
std::size_t slotOf(std::uint32_t key, const std::vector<std::uint32_t>& keys, const std::vector<int>& ids) {
  const std::size_t mask = keys.size() - 1;
  std::size_t h = (key * 0x9E3779B1u) & mask;
  while (ids[h] >= 0 && keys[h] != key) h = (h + 1) & mask;
  return h;
}

}  // namespace

using grid::finite;

// Sorts the masses into inert, grid and huge ones and picks the typical range.
// Returns false when no pair can act at all.
bool SeparationGrid::classify() {
  const int n = count_;
  places_.assign(static_cast<std::size_t>(n), Place{kInert, false, -1, -1, -1});
  moved_.clear();
  sample_.clear();
  huge_.clear();
  const int stride = std::max(1, n / kSampleSize);
  float largest = -std::numeric_limits<float>::infinity();
  int active = 0;
  float minX = std::numeric_limits<float>::infinity(), minY = minX, maxX = -minX, maxY = -minX;
  for (int i = 0; i < n; ++i) {
    const MassRecord& m = masses_[i];
    // A NaN reach or layer, or a non-finite position, fails every test of separatePair.
    if (std::isnan(m.z) || !(m.range > -std::numeric_limits<float>::infinity()) || !finite(m)) continue;
    ++active;
    minX = std::min(minX, m.x);
    maxX = std::max(maxX, m.x);
    minY = std::min(minY, m.y);
    maxY = std::max(maxY, m.y);
    if (std::isinf(m.range)) {
      places_[i].kind = kHuge;
      huge_.push_back(i);
      continue;
    }
    places_[i].kind = kGrid;
    largest = std::max(largest, m.range);
    if (m.range > 0 && i % stride == 0) sample_.push_back(m.range);
  }
  stats_.hugeMasses = static_cast<int>(huge_.size());
  // Reaches are sums of two ranges, and a distance is never below 0.
  if (active < 2 || (huge_.empty() && !(largest > 0))) return false;
  typical_ = largest > 0 ? largest : 1;
  if (!sample_.empty()) typical_ = quantile(sample_, sample_.size() * 3 / 4);
  // Where masses crowd so that each would overlap a good share of the others,
  // as in a pile or along its first lines, the grids cannot narrow much down:
  // all pairs are tried instead, without building them. A gathering never
  // reaches less than kMinReach (float offsets below it can square to 0), so
  // masses packed closer than that crowd whatever their ranges.
  const double reach = std::max(2.0 * typical_, grid::kMinReach);
  const double area =
      std::max(static_cast<double>(maxX) - minX, reach) * std::max(static_cast<double>(maxY) - minY, reach);
  stats_.allPairs = active * kPi * reach * reach / area >= (active - 1) * kCrowdedShare;
  return true;
}

// Numbers the exact layers of the masses that can act (-0 and +0 are one).
void SeparationGrid::assignLayers() {
  const int n = count_;
  int layers = 0;
  bool oneLayer = true;
  float first = 0;
  for (int i = 0; i < n && oneLayer; ++i) {
    if (places_[i].kind == kInert) continue;
    if (layers == 0) {
      first = masses_[i].z;
      layers = 1;
    } else if (!(masses_[i].z == first)) {
      oneLayer = false;
    }
  }
  layerOf_.assign(static_cast<std::size_t>(n), 0);
  stats_.layers = layers;
  if (oneLayer) return;
  keys_.assign(tableSize(n), 0);
  ids_.assign(keys_.size(), -1);
  layers = 0;
  for (int i = 0; i < n; ++i) {
    if (places_[i].kind == kInert) continue;
    const float key = masses_[i].z + 0.0f;  // turns -0 into +0
    std::uint32_t bits;
    std::memcpy(&bits, &key, sizeof bits);
    const std::size_t h = slotOf(bits, keys_, ids_);
    if (ids_[h] < 0) {
      keys_[h] = bits;
      ids_[h] = layers++;
    }
    layerOf_[i] = ids_[h];
  }
  stats_.layers = layers;
}

// Size class 0 for ranges up to kClassRanges typical ones, then one class per
// factor of kClassFactor; the last class takes every larger range.
int SeparationGrid::classOf(float range) const {
  double bound = kClassRanges * typical_;
  int level = 0;
  while (range > bound && level < kClasses - 1) {
    bound *= kClassFactor;
    ++level;
  }
  return level;
}

// One grid per layer and size class in use; lists each grid's masses in index
// order and each layer's grids.
void SeparationGrid::assignGrids() {
  const int n = count_;
  const int layers = stats_.layers;
  int grids = 0;
  // scratch_: the layer of each grid, then the running fill of each list.
  scratch_.clear();
  bool oneGrid = layers == 1;
  for (int i = 0; i < n && oneGrid; ++i)
    if (places_[i].kind == kGrid && classOf(masses_[i].range) != 0) oneGrid = false;
  if (oneGrid) {
    // Where only masses of infinite range can act, there is no grid at all.
    for (Place& p : places_) {
      if (p.kind != kGrid) continue;
      p.grid = 0;
      grids = 1;
    }
    if (grids == 1) scratch_.push_back(0);
  } else {
    keys_.assign(tableSize(n), 0);
    ids_.assign(keys_.size(), -1);
    for (int i = 0; i < n; ++i) {
      Place& p = places_[i];
      if (p.kind != kGrid) continue;
      const auto key =
          static_cast<std::uint32_t>(layerOf_[i]) * kClasses + static_cast<std::uint32_t>(classOf(masses_[i].range));
      const std::size_t h = slotOf(key, keys_, ids_);
      if (ids_[h] < 0) {
        keys_[h] = key;
        ids_[h] = grids++;
        scratch_.push_back(layerOf_[i]);
      }
      p.grid = ids_[h];
    }
  }
  stats_.grids = grids;
  grids_.resize(static_cast<std::size_t>(grids));

  layerGridStart_.assign(static_cast<std::size_t>(layers) + 1, 0);
  for (int g = 0; g < grids; ++g) ++layerGridStart_[static_cast<std::size_t>(scratch_[g]) + 1];
  for (int l = 0; l < layers; ++l) layerGridStart_[l + 1] += layerGridStart_[l];
  layerGrids_.resize(static_cast<std::size_t>(grids));
  std::vector<int>& fill = ids_;  // done with the table: reused as each layer's next free place
  fill.assign(layerGridStart_.begin(), layerGridStart_.end() - 1);
  for (int g = 0; g < grids; ++g) {
    grids_[g].layer = scratch_[g];
    layerGrids_[fill[scratch_[g]]++] = g;
  }

  gridStart_.assign(static_cast<std::size_t>(grids) + 1, 0);
  for (const Place& p : places_)
    if (p.kind == kGrid) ++gridStart_[static_cast<std::size_t>(p.grid) + 1];
  for (int g = 0; g < grids; ++g) gridStart_[g + 1] += gridStart_[g];
  gridMasses_.resize(static_cast<std::size_t>(gridStart_[grids]));
  fill.assign(gridStart_.begin(), gridStart_.end() - 1);
  for (int i = 0; i < n; ++i)
    if (places_[i].kind == kGrid) gridMasses_[fill[places_[i].grid]++] = i;
}

// Lays a grid over its masses with at most about two cells per mass. Far
// outliers are left to the edge cells rather than stretching the grid.
void SeparationGrid::buildGrid(int g) {
  const int begin = gridStart_[g], end = gridStart_[g + 1];
  const int size = end - begin;
  double minX = std::numeric_limits<double>::infinity(), minY = minX;
  double maxX = -minX, maxY = -minX;
  float reach = -std::numeric_limits<float>::infinity();
  for (int p = begin; p < end; ++p) {
    const MassRecord& m = masses_[gridMasses_[p]];
    minX = std::min(minX, static_cast<double>(m.x));
    maxX = std::max(maxX, static_cast<double>(m.x));
    minY = std::min(minY, static_cast<double>(m.y));
    maxY = std::max(maxY, static_cast<double>(m.y));
    reach = std::max(reach, m.range);
  }
  const double budget = size + std::min(size, 16);
  double cell = kCellRanges * typical_;
  for (int level = classOf(reach); level > 0; --level) cell *= kClassFactor;
  // Sparse masses get wider cells, so that free slots do not outnumber them.
  cell = std::max(cell, std::sqrt((maxX - minX) * (maxY - minY) * kCellMasses / size));
  const auto cells = [&](double c) {
    return (std::floor((maxX - minX) / c) + 1) * (std::floor((maxY - minY) / c) + 1);
  };
  if (cells(cell) > budget) {
    const int stride = std::max(1, size / 256);
    const auto trim = [&](bool ofY, double& lo, double& hi) {
      sample_.clear();
      for (int p = begin; p < end; p += stride) {
        const MassRecord& m = masses_[gridMasses_[p]];
        sample_.push_back(ofY ? m.y : m.x);
      }
      const std::size_t cut = sample_.size() / 64;
      lo = quantile(sample_, cut);
      hi = quantile(sample_, sample_.size() - 1 - cut);
    };
    trim(false, minX, maxX);
    trim(true, minY, maxY);
    cell = std::max(
        {cell, std::sqrt((maxX - minX) * (maxY - minY) / budget), std::max(maxX - minX, maxY - minY) / budget});
    while (cells(cell) > budget) cell *= 2;
  }
  Grid& grid = grids_[g];
  grid.originX = minX;
  grid.originY = minY;
  grid.inverse = 1.0 / cell;
  grid.reach = reach;
  grid.width = static_cast<int>(std::floor((maxX - minX) / cell)) + 1;
  grid.height = static_cast<int>(std::floor((maxY - minY) / cell)) + 1;
  grid.crowded = kCrowdedCell * std::max(1.0, size / (static_cast<double>(grid.width) * grid.height));
}

int SeparationGrid::cellOf(int g, float x, float y) const {
  const Grid& l = grids_[g];
  return l.firstCell + grid::cellCoord(y, l.originY, l.inverse, l.height) * l.width +
         grid::cellCoord(x, l.originX, l.inverse, l.width);
}

}  // namespace veltra
