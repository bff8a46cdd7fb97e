// The separation pass through grids: one per z layer and size class. It acts
// on the same pairs, in the same order and on the same floats as
// separateAllPairs, but an outer mass only tries the masses whose cells its
// reach can touch, and turns to trying every later index where that is cheaper.
#pragma once

#include <cstdint>
#include <vector>

#include "physics.h"
#include "tables.h"

namespace veltra {

// What the last run did; tests and the benchmark read it.
struct GridStats {
  std::int64_t pairsTried = 0;  // separatePair calls
  std::int64_t pairsActed = 0;  // of which pushed a pair apart
  int layers = 0;
  int grids = 0;  // one per layer and size class in use
  int cells = 0;
  int hugeMasses = 0;          // infinite range: a candidate of every mass of its layer
  int gathers = 0;             // candidate lists built or extended, an outer mass's first included
  std::int64_t slotsRead = 0;  // by those, free ones included
  int sweeps = 0;              // outer masses that extended their candidates as they moved
  int linearScans = 0;         // outer masses that tried every later index instead
  bool allPairs = false;       // every mass was near every other: the all-pairs pass ran
};

class SeparationGrid {
 public:
  // Where an outer mass looks from, and its share of the reach within which
  // the filters keep a mass.
  struct Near {
    float x, y, own;
  };

  // When `acting` is given, the pairs that acted are appended to it.
  void run(MassRecord* masses, int count, std::vector<ActingPair>* acting = nullptr);
  const GridStats& stats() const { return stats_; }

 private:
  enum Kind : std::uint8_t {
    kInert,  // can never act: NaN layer or range, range -inf, or a non-finite position
    kGrid,
    kHuge,  // infinite range: a candidate of every mass of its layer
  };
  // The most size classes a layer can have.
  static constexpr int kClasses = 16;
  // Free slots per cell for masses that move in during the pass.
  static constexpr int kSpare = 2;

  // One layer's masses of one size class.
  struct Grid {
    double originX, originY, inverse;
    double crowded;  // masses per cell, far above its mean, from which a box is taken as crowded
    float reach;     // the largest range among its masses
    int layer, width, height, firstCell, firstRow;
  };
  struct Box {
    int x0, y0, x1, y1;
    bool empty() const { return x0 > x1; }
    bool holds(const Box& b) const { return !empty() && x0 <= b.x0 && y0 <= b.y0 && b.x1 <= x1 && b.y1 <= y1; }
  };
  // One row's cells of a gathering box: slots from .. to - 1, and the chains
  // of cells firstChained .. lastCell where the row has any (else -1).
  struct Run {
    int from, to, firstChained, lastCell;
  };

  // Four slots, one cache line: what the gathering filters four at a time.
  // A free slot's mass is negative, below every index, so no search keeps it.
  struct alignas(64) Block {
    float x[4], y[4], range[4];
    std::int32_t mass[4];
  };
  struct Place {
    Kind kind;
    bool moved;            // pushed since its slot was last brought up to date
    int grid, cell, slot;  // cell -1: in no cell
  };

  // Building the grids (physics_grid_build.cpp).
  bool classify();
  void assignLayers();
  void assignGrids();
  int classOf(float range) const;
  void buildGrid(int grid);
  void buildCells();
  int cellOf(int grid, float x, float y) const;

  // The slots of the cells (physics_grid_slots.cpp).
  float& slotX(int s) { return blocks_[s >> 2].x[s & 3]; }
  float& slotY(int s) { return blocks_[s >> 2].y[s & 3]; }
  float& slotRange(int s) { return blocks_[s >> 2].range[s & 3]; }
  std::int32_t& slotMass(int s) { return blocks_[s >> 2].mass[s & 3]; }
  void freeSlot(int cell, int slot);
  // The filters (physics_grid_filter.cpp).
  static Near nearTo(const MassRecord& j, double margin);
  void gatherRuns(const Near& at, int j, int last);
  bool isNear(int slot, const Near& at, int j, int last);
  void gatherChains(int firstCell, int lastCell, const Near& at, int j, int last);
  void pushed(int mass);
  void follow(int mass);
  void followAll();
  void release(int mass);
  void insert(int mass, int cell);
  int rowOf(int grid, int cell) const;

  // The pass (physics_grid.cpp).
  void visit(int j);
  Box boxOf(int grid, double x, double y, double radius) const;
  double marginOf(int j) const;
  double neighbourhood(int j, double margin);
  long addRuns(int grid, int y0, int y1, int x0, int x1);
  int gather(int j, int last, const Near& at, std::uint64_t* keys, bool withHuge);
  bool tryCandidates(int j, int& last);

  // A mass that sweeps through a wide neighbourhood (physics_grid_sweep.cpp).
  void sweep(int j, int last, double spent);
  void mark(int j, int last, bool withHuge);
  bool tryMarked(int j, int& last);
  void unmark(int last);
  bool outgrew(int j) const;
  double extend(int j);
  void scanAll(int j, int last);
  void acted(int j, int k);
  void prefetchNeighbourhood(int j, bool slots) const;

  MassRecord* masses_ = nullptr;
  std::vector<ActingPair>* acting_ = nullptr;
  int count_ = 0;
  float typical_ = 1;  // a typical range: the size classes and cells are multiples of it
  GridStats stats_;

  std::vector<Place> places_;
  std::vector<int> moved_;    // the masses whose slots lag behind, each once
  std::vector<int> layerOf_;  // of each mass that can act
  std::vector<int> huge_;
  std::vector<float> sample_;
  std::vector<std::uint32_t> keys_;
  std::vector<int> ids_, scratch_;
  std::vector<int> layerGridStart_, layerGrids_;  // each layer's grids
  std::vector<int> gridStart_, gridMasses_;       // each grid's masses
  std::vector<Grid> grids_;
  // Cell c's slots are cellStart_[c] .. cellStart_[c + 1] - 1; the free ones
  // form a stack from cellFree_[c] through their mass fields. A mass that
  // finds no free slot takes an overflow slot, past the cells' slots, on its
  // cell's chain from cellChain_[c]; rowOverflow_ counts those of each row.
  std::vector<int> cellStart_, cellFree_, cellChain_, rowOverflow_;
  std::vector<Block> blocks_;
  std::vector<int> chainNext_, chainPrev_;  // of overflow slots, from the first one
  int firstOverflow_ = 0, overflowEnd_ = 0, freeOverflow_ = -1;
  // The slots gathered, then the candidates as (mass << 32 | slot) in index
  // order; both with room for every mass and a block more.
  std::vector<Run> runs_;  // the outer mass's neighbourhood: room for every row
  int runCount_ = 0;
  Box covered_[kClasses];  // the boxes it was gathered from, one per grid of its layer
  double kept_ = 0;        // how many candidates that neighbourhood should yield
  int widest_ = 0;         // and how many cells its widest box spans
  std::vector<std::int32_t> gathered_;
  std::vector<std::uint64_t> candidates_;
  // A sweeping mass's candidates, one bit per mass; all clear between sweeps.
  std::vector<std::uint64_t> marks_;
  int gatheredCount_ = 0, candidateCount_ = 0;
};

// The pass PhysXUpdate runs: every pair for small tables, the grids otherwise.
// When `acting` is given, the pairs that acted are appended to it.
void separationPass(MassRecord* masses, int count, std::vector<ActingPair>* acting = nullptr);
// What the grids did in the last separationPass that used them.
const GridStats& lastGridStats();

}  // namespace veltra
