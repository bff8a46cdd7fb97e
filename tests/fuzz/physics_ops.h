// The operations the physics fuzz target reads, one byte each (taken modulo
// kOpCount), followed by their operands.
#pragma once

#include <cstdint>

namespace veltra::fuzz {

enum PhysicsOp : std::uint8_t {
  kNewMass,      // -
  kSetX,         // mass, number
  kSetY,         // mass, number
  kSetZ,         // mass, number
  kSetRange,     // mass, number
  kLinkForced,   // mass, mass, number
  kLinkFree,     // mass, mass, number
  kStep,         // -
  kInertion,     // number
  kHelpers,      // four numbers
  kReserve,      // -
  kMatrix,       // sub-op, matrix, matrix, three numbers
  kCrowd,        // count, columns, layers, spacing number, range number: many masses on a lattice
  kPlace,        // mass, number, number
  kSetVelocity,  // mass, number, number
  kContact,      // index byte: reads a contact of the last step
  kPile,         // count, x number, y number, range number: many masses on one spot
  kMixed,        // count, range number, then a byte per mass: ranges over many orders of magnitude
  kSteps,        // count: that many steps, each checked
  kOpCount
};

// The operations that name a mass, so need one to exist.
constexpr bool namesMass(PhysicsOp op) { return (op > kNewMass && op < kStep) || op == kPlace || op == kSetVelocity; }

}  // namespace veltra::fuzz
