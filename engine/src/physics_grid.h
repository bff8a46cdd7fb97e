// The separation pass through a uniform grid per z layer. It acts on the same
// pairs, in the same order and on the same floats as separateAllPairs, but an
// outer mass only tries the masses whose cells its reach can touch.
#pragma once

#include <cstdint>
#include <vector>

#include "physics.h"
#include "tables.h"

namespace veltra {

// What the last run did; tests read it to see that the grid really culls.
struct GridStats {
  std::int64_t pairsTried = 0;  // separatePair calls
  std::int64_t pairsActed = 0;  // of which pushed a pair apart
  int layers = 0;
  int cells = 0;
  int bigMasses = 0;     // tried against every index
  int linearScans = 0;   // outer masses whose neighbourhood held too many to gather
  int regathers = 0;     // candidate lists rebuilt after the outer mass left its box
  bool compact = false;  // every mass was near every other: all pairs were tried instead
};

class SeparationGrid {
 public:
  // When `acting` is given, the pairs that acted are appended to it.
  void run(MassRecord* masses, int count, std::vector<ActingPair>* acting = nullptr);
  const GridStats& stats() const { return stats_; }

 private:
  enum Kind : std::uint8_t {
    kInert,  // can never act: NaN layer or range, range -inf, or a non-finite position
    kGrid,
    kBig,  // infinite range, or one much larger than a cell: tried against every index
  };
  // Free slots per cell for masses that move in during the pass.
  static constexpr int kSpare = 2;

  struct Layer {
    double originX, originY, inverse;
    int width, height, firstCell, firstRow;
  };
  struct Box {
    int x0, y0, x1, y1;
    bool empty() const { return x0 > x1; }
    bool holds(const Box& b) const { return !empty() && x0 <= b.x0 && y0 <= b.y0 && b.x1 <= x1 && b.y1 <= y1; }
  };
  // The mass of a free slot: below every index, so no search keeps it.
  static constexpr int kNoMass = -1;
  // A cell's copy of a mass: enough to rule a pair out without reaching into
  // the mass table.
  struct Item {
    int mass;
    float x, y, range;
  };
  // Cell c's masses are items_[start, start + live); its slots run to the next
  // cell's start, so a cell has room for a few masses to move in. A mass that
  // finds no room joins the cell's chain of entries from head.
  struct Cell {
    int start, live, head;
  };
  struct Entry {
    Item item;  // mass is -1 once it has left
    int next;
  };
  struct Place {
    Kind kind;
    bool inEntry;
    int layer, cell, index;  // cell -1: in no cell
  };

  // Building the index (physics_grid_build.cpp).
  bool classify();
  void assignLayers();
  void buildLayer(int layer);
  void buildCells();
  int cellOf(int layer, const MassRecord& m) const;

  // The pass (physics_grid.cpp).
  double gatherMargin(int j) const;
  double gatherRadius(int j) const;
  Box queryBox(int j, double radius) const;
  bool crowded(int j, const Box& box, int last) const;
  void collect(int j, const Box& box, int last);
  void gather(int j, int last, double radius);
  int nextCandidate(int j, int last);
  void visitNeighbours(int j);
  void scanAll(int j, int last);
  void pushed(int mass);
  void prefetchNeighbourhood(int j, bool items) const;
  void release(int mass);
  void insert(int mass, int cell);
  int rowOf(int layer, int cell) const;
  void acted(int j, int k);
  Item& itemOf(const Place& p) { return p.inEntry ? entries_[p.index].item : items_[p.index]; }

  MassRecord* masses_ = nullptr;
  std::vector<ActingPair>* acting_ = nullptr;
  int count_ = 0;
  float cellSize_ = 1;
  float gridReach_ = 0;  // the largest range among the masses in the grid
  bool compact_ = false;
  GridStats stats_;

  std::vector<Place> places_;
  std::vector<int> big_;
  std::vector<float> sample_;
  std::vector<std::uint32_t> layerKeys_;
  std::vector<int> layerIds_, layerStart_, layerMasses_, scratch_;
  std::vector<Layer> layers_;
  std::vector<Cell> cells_;
  std::vector<Item> items_;
  std::vector<Entry> entries_;
  std::vector<int> rowOverflow_;  // entries still in the row's chains
  // Both with room for every mass and one more; the first ...Count_ are in use.
  std::vector<Item> boxItems_;    // the masses in the cells of the outer mass's box
  std::vector<Item> candidates_;  // those of them near enough to try
  int boxItemCount_ = 0, candidateCount_ = 0;
};

// The pass PhysXUpdate runs: every pair for small tables, the grid otherwise.
// When `acting` is given, the pairs that acted are appended to it.
void separationPass(MassRecord* masses, int count, std::vector<ActingPair>* acting = nullptr);
// What the grid did in the last separationPass that used it.
const GridStats& lastGridStats();

}  // namespace veltra
