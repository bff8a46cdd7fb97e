// Building the grid of a separation pass: which masses go in it, its layers and its cells.
#include <algorithm>
#include <cstring>
#include <limits>

#include "physics_grid.h"
#include "physics_grid_bounds.h"

namespace veltra {
namespace {

constexpr int kSampleSize = 1024;
// Cells this many typical ranges wide.
constexpr float kCellRanges = 3;
// Ranges above this many typical ranges go to the big list.
constexpr float kBigRanges = 4;

template <typename T>
T quantile(std::vector<T>& values, std::size_t at) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

}  // namespace

using grid::finite;

// Sorts the masses into inert, grid and big ones and picks the cell size.
// Returns false when no pair can act at all.
bool SeparationGrid::classify() {
  const int n = count_;
  places_.assign(static_cast<std::size_t>(n), Place{kInert, false, -1, -1, -1});
  sample_.clear();
  big_.clear();
  const int stride = std::max(1, n / kSampleSize);
  float largest = -std::numeric_limits<float>::infinity();
  float largestFinite = 0;
  int active = 0;
  float minX = std::numeric_limits<float>::infinity(), minY = minX, maxX = -minX, maxY = -minX;
  for (int i = 0; i < n; ++i) {
    const MassRecord& m = masses_[i];
    // A NaN reach or layer, or a non-finite position, fails every test of separatePair.
    if (std::isnan(m.z) || !(m.range > -std::numeric_limits<float>::infinity()) || !finite(m)) continue;
    places_[i].kind = kGrid;
    ++active;
    minX = std::min(minX, m.x);
    maxX = std::max(maxX, m.x);
    minY = std::min(minY, m.y);
    maxY = std::max(maxY, m.y);
    largest = std::max(largest, m.range);
    if (m.range > 0 && std::isfinite(m.range)) {
      largestFinite = std::max(largestFinite, m.range);
      if (i % stride == 0) sample_.push_back(m.range);
    }
  }
  // Reaches are sums of two ranges, and a distance is never below 0.
  if (active < 2 || !(largest > 0)) return false;

  float typical = largestFinite;
  if (!sample_.empty()) typical = quantile(sample_, sample_.size() * 3 / 4);
  cellSize_ = typical > 0 ? kCellRanges * typical : 1;
  // Masses all within about a cell of each other would all meet anyway.
  compact_ = static_cast<double>(maxX) - minX <= cellSize_ && static_cast<double>(maxY) - minY <= cellSize_;
  const float bigAbove = typical > 0 ? kBigRanges * typical : std::numeric_limits<float>::infinity();
  gridReach_ = -std::numeric_limits<float>::infinity();
  for (int i = 0; i < n; ++i) {
    if (places_[i].kind != kGrid) continue;
    const float range = masses_[i].range;
    if (range > bigAbove || std::isinf(range)) {
      places_[i].kind = kBig;
      big_.push_back(i);
    } else {
      gridReach_ = std::max(gridReach_, range);
    }
  }
  stats_.bigMasses = static_cast<int>(big_.size());
  return true;
}

// Numbers the exact layers of the grid masses (-0 and +0 are one) and lists
// each layer's masses in index order.
void SeparationGrid::assignLayers() {
  const int n = count_;
  int layers = 0;
  bool oneLayer = true;
  float first = 0;
  for (int i = 0; i < n && oneLayer; ++i) {
    if (places_[i].kind != kGrid) continue;
    if (layers == 0) {
      first = masses_[i].z;
      layers = 1;
    } else if (!(masses_[i].z == first)) {
      oneLayer = false;
    }
  }
  if (oneLayer) {
    for (Place& p : places_)
      if (p.kind == kGrid) p.layer = 0;
  } else {
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(n)) size *= 2;
    layerKeys_.assign(size, 0);
    layerIds_.assign(size, -1);
    layers = 0;
    for (int i = 0; i < n; ++i) {
      if (places_[i].kind != kGrid) continue;
      const float key = masses_[i].z + 0.0f;  // turns -0 into +0
      std::uint32_t bits;
      std::memcpy(&bits, &key, sizeof bits);
      std::size_t h = (bits * 0x9E3779B1u) & (size - 1);
      while (layerIds_[h] >= 0 && layerKeys_[h] != bits) h = (h + 1) & (size - 1);
      if (layerIds_[h] < 0) {
        layerKeys_[h] = bits;
        layerIds_[h] = layers++;
      }
      places_[i].layer = layerIds_[h];
    }
  }
  layerStart_.assign(static_cast<std::size_t>(layers) + 1, 0);
  for (const Place& p : places_)
    if (p.layer >= 0) ++layerStart_[static_cast<std::size_t>(p.layer) + 1];
  for (int l = 0; l < layers; ++l) layerStart_[l + 1] += layerStart_[l];
  layerMasses_.resize(static_cast<std::size_t>(layerStart_[layers]));
  scratch_.assign(layerStart_.begin(), layerStart_.end() - 1);
  for (int i = 0; i < n; ++i)
    if (places_[i].layer >= 0) layerMasses_[scratch_[places_[i].layer]++] = i;
  stats_.layers = layers;
}

// Lays a grid over the layer's masses with at most about one cell per mass.
// Far outliers are left to the edge cells rather than stretching the grid.
void SeparationGrid::buildLayer(int l) {
  const int begin = layerStart_[l], end = layerStart_[l + 1];
  const int size = end - begin;
  double minX = std::numeric_limits<double>::infinity(), minY = minX;
  double maxX = -minX, maxY = -minX;
  for (int p = begin; p < end; ++p) {
    const MassRecord& m = masses_[layerMasses_[p]];
    minX = std::min(minX, static_cast<double>(m.x));
    maxX = std::max(maxX, static_cast<double>(m.x));
    minY = std::min(minY, static_cast<double>(m.y));
    maxY = std::max(maxY, static_cast<double>(m.y));
  }
  const double budget = size + 16.0;
  double cell = cellSize_;
  const auto cells = [&](double c) {
    return (std::floor((maxX - minX) / c) + 1) * (std::floor((maxY - minY) / c) + 1);
  };
  if (cells(cell) > budget) {
    const int stride = std::max(1, size / 256);
    const auto trim = [&](bool ofY, double& lo, double& hi) {
      sample_.clear();
      for (int p = begin; p < end; p += stride) {
        const MassRecord& m = masses_[layerMasses_[p]];
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
  Layer& layer = layers_[l];
  layer.originX = minX;
  layer.originY = minY;
  layer.inverse = 1.0 / cell;
  layer.width = static_cast<int>(std::floor((maxX - minX) / cell)) + 1;
  layer.height = static_cast<int>(std::floor((maxY - minY) / cell)) + 1;
}

void SeparationGrid::buildCells() {
  const int n = count_;
  const int layers = stats_.layers;
  layers_.resize(static_cast<std::size_t>(layers));
  int total = 0, rows = 0;
  for (int l = 0; l < layers; ++l) {
    buildLayer(l);
    layers_[l].firstCell = total;
    layers_[l].firstRow = rows;
    total += layers_[l].width * layers_[l].height;
    rows += layers_[l].height;
  }
  stats_.cells = total;
  cells_.assign(static_cast<std::size_t>(total) + 1, Cell{0, 0, -1});
  for (int i = 0; i < n; ++i) {
    Place& p = places_[i];
    if (p.kind != kGrid) continue;
    p.cell = cellOf(p.layer, masses_[i]);
    ++cells_[p.cell].live;
  }
  int running = 0;
  for (int c = 0; c < total; ++c) {
    cells_[c].start = running;
    running += cells_[c].live + kSpare;
    cells_[c].live = 0;
  }
  cells_[total].start = running;
  items_.assign(static_cast<std::size_t>(running), Item{kNoMass, 0, 0, 0});
  for (int i = 0; i < n; ++i) {
    Place& p = places_[i];
    if (p.kind != kGrid) continue;
    Cell& cell = cells_[p.cell];
    p.index = cell.start + cell.live++;
    const MassRecord& m = masses_[i];
    items_[p.index] = Item{i, m.x, m.y, m.range};
  }
  rowOverflow_.assign(static_cast<std::size_t>(rows), 0);
  entries_.clear();
  // One slot more than masses: gather writes each item before it decides to keep it.
  if (candidates_.size() <= static_cast<std::size_t>(n)) {
    candidates_.resize(static_cast<std::size_t>(n) + 1);
    boxItems_.resize(static_cast<std::size_t>(n) + 1);
  }
}

int SeparationGrid::cellOf(int layer, const MassRecord& m) const {
  const Layer& l = layers_[layer];
  return l.firstCell + grid::cellCoord(m.y, l.originY, l.inverse, l.height) * l.width +
         grid::cellCoord(m.x, l.originX, l.inverse, l.width);
}

}  // namespace veltra
