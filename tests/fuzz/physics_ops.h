// The operations the physics fuzz target reads, one byte each (taken modulo
// kOpCount), followed by their operands.
#pragma once

#include <cstdint>

namespace veltra::fuzz {

enum PhysicsOp : std::uint8_t {
  kNewMass,     // -
  kSetX,        // mass, number
  kSetY,        // mass, number
  kSetZ,        // mass, number
  kSetRange,    // mass, number
  kLinkForced,  // mass, mass, number
  kLinkFree,    // mass, mass, number
  kStep,        // -
  kInertion,    // number
  kHelpers,     // four numbers
  kReserve,     // -
  kMatrix,      // sub-op, matrix, matrix, three numbers
  kCrowd,       // count, columns, layers, spacing number, range number: many masses on a lattice
  kOpCount
};

}  // namespace veltra::fuzz
