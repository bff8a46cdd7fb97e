// Writes the seed corpus of every fuzz target: make_seeds <folder> creates
// <folder>/<target>/ with a handful of small inputs each.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "physics_ops.h"
#include "seeds.h"

namespace fs = std::filesystem;
using veltra::fuzz::Bytes;

namespace {

bool writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// A number in the format fuzz::Input::number() reads.
struct Num {
  Bytes bytes;
};
Num small(int v) { return {{veltra::fuzz::kSmallInt, static_cast<std::uint8_t>(static_cast<std::int8_t>(v))}}; }
Num special(veltra::fuzz::NumberKind kind) { return {{kind}}; }

// Builds a physics input in the byte format of physics_fuzz.cpp.
class Ops {
 public:
  Ops& masses(int n) {
    for (int i = 0; i < n; ++i) put(veltra::fuzz::kNewMass);
    return *this;
  }
  Ops& set(veltra::fuzz::PhysicsOp op, int mass, const Num& v) { return put(op).put(mass).put(v); }
  Ops& link(veltra::fuzz::PhysicsOp op, int a, int b, const Num& length) { return put(op).put(a).put(b).put(length); }
  Ops& steps(int n) {
    for (int i = 0; i < n; ++i) put(veltra::fuzz::kStep);
    return *this;
  }
  Ops& inertion(const Num& v) { return put(veltra::fuzz::kInertion).put(v); }
  Ops& helpers(const Num& ax, const Num& ay, const Num& bx, const Num& by) {
    return put(veltra::fuzz::kHelpers).put(ax).put(ay).put(bx).put(by);
  }
  Ops& crowd(int count, int columns, int layers, const Num& spacing, const Num& range) {
    return put(veltra::fuzz::kCrowd).put(count).put(columns).put(layers).put(spacing).put(range);
  }
  Ops& place(int mass, const Num& x, const Num& y) { return put(veltra::fuzz::kPlace).put(mass).put(x).put(y); }
  Ops& velocity(int mass, const Num& x, const Num& y) {
    return put(veltra::fuzz::kSetVelocity).put(mass).put(x).put(y);
  }
  Ops& contact(int index) { return put(veltra::fuzz::kContact).put(index); }
  Ops& pile(int count, const Num& x, const Num& y, const Num& range) {
    return put(veltra::fuzz::kPile).put(count).put(x).put(y).put(range);
  }
  Ops& mixed(int count, const Num& range, const Bytes& scales) {
    put(veltra::fuzz::kMixed).put(count).put(range);
    bytes_.insert(bytes_.end(), scales.begin(), scales.end());
    return *this;
  }
  Ops& manySteps(int n) { return put(veltra::fuzz::kSteps).put(n); }
  Ops& reserve() { return put(veltra::fuzz::kReserve); }
  // Sub-op 0 creates, 1 identity, 3 multiply, 4 transpose, all on matrix 0.
  Ops& matrix(int subOp) { return put(veltra::fuzz::kMatrix).put(subOp).put(0).put(0); }
  // Sub-op 2 rotates, 5 transforms a point.
  Ops& matrix(int subOp, const Num& a, const Num& b, const Num& c) { return matrix(subOp).put(a).put(b).put(c); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Ops& put(int b) {
    bytes_.push_back(static_cast<std::uint8_t>(b));
    return *this;
  }
  Ops& put(const Num& n) {
    bytes_.insert(bytes_.end(), n.bytes.begin(), n.bytes.end());
    return *this;
  }
  Bytes bytes_;
};

std::vector<Bytes> physicsSeeds() {
  using namespace veltra::fuzz;
  std::vector<Bytes> seeds;
  // Two coincident masses split along x.
  seeds.push_back(Ops().masses(2).set(kSetRange, 0, small(10)).set(kSetRange, 1, small(10)).steps(3).bytes());
  // A crowd on a few spots, some on another layer, with some inertion kept.
  Ops crowd;
  crowd.masses(24).inertion(small(1));
  for (int i = 0; i < 24; ++i) {
    crowd.set(kSetX, i, small(i % 5 * 7)).set(kSetY, i, small(i % 3 * 9)).set(kSetRange, i, small(6));
  }
  crowd.set(kSetZ, 3, small(1)).set(kSetZ, 7, small(1)).steps(4);
  seeds.push_back(crowd.bytes());
  // Non-finite positions and ranges among finite neighbours.
  Ops hostile;
  hostile.masses(3).set(kSetX, 0, special(kNaN)).set(kSetRange, 1, special(kInf));
  hostile.set(kSetY, 2, special(kLowest)).set(kSetRange, 2, small(5)).steps(2);
  seeds.push_back(hostile.bytes());
  // Links with huge, negative and infinite lengths, then steps that turn them into velocity.
  Ops links;
  links.masses(2).set(kSetX, 1, small(3)).set(kSetY, 1, small(4));
  links.link(kLinkForced, 0, 1, special(kMax)).link(kLinkFree, 1, 0, small(-20));
  links.link(kLinkFree, 0, 0, special(kNegInf)).steps(2);
  seeds.push_back(links.bytes());
  // A growing speed (inertion above 1) run to overflow.
  seeds.push_back(Ops().masses(1).inertion(small(3)).set(kSetX, 0, small(100)).steps(40).bytes());
  // Crowds large enough for the spatial index: touching, overlapping, and
  // overlapping with a few masses made non-finite or huge afterwards.
  seeds.push_back(Ops().crowd(120, 12, 1, small(10), small(5)).steps(3).bytes());
  seeds.push_back(Ops().crowd(150, 10, 2, small(3), small(4)).inertion(small(1)).steps(3).bytes());
  Ops wild;
  wild.crowd(100, 9, 3, small(6), small(5)).set(kSetX, 5, special(kNaN)).set(kSetRange, 17, special(kInf));
  wild.set(kSetY, 40, special(kMax)).set(kSetRange, 41, small(120)).set(kSetZ, 60, special(kNaN)).steps(3);
  seeds.push_back(wild.bytes());
  // Masses placed onto each other and given velocities, huge and NaN among
  // them, with the contacts of each step read back.
  Ops placed;
  placed.crowd(60, 8, 1, small(9), small(5)).place(3, small(20), small(10)).place(4, small(20), small(10));
  placed.velocity(5, small(7), small(-3)).velocity(6, special(kMax), special(kNaN)).inertion(small(1));
  placed.steps(1).contact(0).contact(7).steps(1).contact(200);
  seeds.push_back(placed.bytes());
  // Piles stepped many times: one at rest between steps, one kept moving
  // (inertion 1) with a mass of infinite range in it.
  seeds.push_back(Ops().pile(150, small(7), small(3), small(5)).manySteps(23).bytes());
  Ops huge;
  huge.pile(100, small(0), small(0), small(4)).set(kSetRange, 9, special(kInf)).inertion(small(1)).manySteps(25);
  seeds.push_back(huge.bytes());
  // Ranges over many orders of magnitude, scattered, then stepped.
  Bytes scales;
  for (int i = 0; i < 120; ++i) scales.push_back(static_cast<std::uint8_t>(i * 97 % 256));
  seeds.push_back(Ops().mixed(120, small(3), scales).manySteps(10).bytes());
  // Helpers and matrices with hostile numbers.
  Ops maths;
  maths.helpers(special(kNaN), small(1), special(kInf), special(kNegInf))
      .helpers(small(0), small(0), small(-1), small(0));
  maths.reserve().matrix(0).matrix(2, special(kNaN), special(kInf), small(1)).matrix(3);
  maths.matrix(5, special(kMax), special(kLowest), small(2));
  seeds.push_back(maths.bytes());
  return seeds;
}

Bytes chars(const std::string& s) { return Bytes(s.begin(), s.end()); }

// text_fuzz: a mode byte (0 modulo 8: 64 KiB with no terminator), x, y and z,
// red, green and blue, then the text.
std::vector<Bytes> textSeeds() {
  const Bytes at10 = {
      1, veltra::fuzz::kSmallInt, 10, veltra::fuzz::kSmallInt, 10, veltra::fuzz::kSmallInt, 0, 0, 0, 0, 255, 0, 0, 0, 0,
      0};
  std::vector<Bytes> seeds;
  for (const std::string& text :
       {std::string("Points: 0"), std::string("Points: 160"), std::string("\xff\xfe\xc3\x28 \xf0\x9f\x98 \xed\xa0\x80"),
        std::string("tab\tbell\a\x1b[31m\r\n\nthree\nlines"), std::string(3000, 'W'), std::string()}) {
    Bytes seed = at10;
    seed.insert(seed.end(), text.begin(), text.end());
    seeds.push_back(seed);
  }
  Bytes unterminated = at10;
  unterminated[0] = 0;
  unterminated.insert(unterminated.end(), {'a', 'b', 'c'});
  seeds.push_back(unterminated);
  // Positions beyond the 32-bit range and not numbers at all.
  Bytes far = {1, veltra::fuzz::kNaN, 8, veltra::fuzz::kInf, 0, 0, 0, 0, 255, 0, 0, 0, 0, 'f', 'a', 'r'};
  seeds.push_back(far);
  return seeds;
}

// font_fuzz: a kind byte (bit 0: a 32-bit height follows instead of one
// byte; bit 1: the weight flag; high nibble all ones: no face), then the face.
std::vector<Bytes> fontSeeds() {
  std::vector<Bytes> seeds;
  for (const char* face : {"Verdana", "DejaVu Sans", "Sans:bold", "monospace", "", "\xff\xfe\x80", "*"}) {
    Bytes seed = {2, 15};
    const Bytes name = chars(face);
    seed.insert(seed.end(), name.begin(), name.end());
    seeds.push_back(seed);
  }
  seeds.push_back({1, 0x7F, 0xFF, 0xFF, 0xFF, 'S', 'a', 'n', 's'});
  seeds.push_back({1, 0x80, 0, 0, 0, 'S', 'a', 'n', 's'});
  seeds.push_back({1, 0, 0, 0x10, 0, 'S', 'a', 'n', 's'});
  seeds.push_back({0xF0, 16});
  return seeds;
}

// sprite_fuzz: the picture's width and height (one byte each), then x, y,
// pivot x, pivot y, angle, scale x, scale y, source x, y, w, h, and four
// 32-bit colour components.
std::vector<Bytes> spriteSeeds() {
  using veltra::fuzz::kSmallInt;
  const Bytes opaque = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
  const auto seed = [&](std::initializer_list<Num> numbers) {
    Bytes bytes = {2, 1};  // a 16 x 4 picture
    for (const Num& n : numbers) bytes.insert(bytes.end(), n.bytes.begin(), n.bytes.end());
    bytes.insert(bytes.end(), opaque.begin(), opaque.end());
    return bytes;
  };
  using veltra::fuzz::kInf;
  using veltra::fuzz::kMax;
  using veltra::fuzz::kNaN;
  return {seed({small(40), small(30), small(4), small(4), small(0), small(1), small(1), small(0), small(0), small(0),
                small(0)}),
          seed({small(40), small(30), small(2), small(2), small(33), small(-2), small(3), small(4), small(2), small(8),
                small(4)}),
          seed({small(40), small(30), small(0), small(0), small(0), special(kMax), small(1), small(-9), small(-9),
                small(100), small(100)}),
          seed({special(kNaN), small(30), small(0), small(0), special(kInf), small(1), small(1), small(0), small(0),
                small(-3), small(2)})};
}

bool writeSeeds(const fs::path& folder, const std::vector<Bytes>& seeds) {
  fs::create_directories(folder);
  int i = 0;
  for (const Bytes& seed : seeds) {
    if (!writeFile(folder / ("seed-" + std::to_string(i++)), seed)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  const fs::path root = argv[1];
  bool ok = writeSeeds(root / "physics_fuzz", physicsSeeds());
  ok = ok && writeSeeds(root / "sound_fuzz", veltra::fuzz::soundSeeds());
#if defined(VELTRA_IMAGE_SEEDS)
  ok = ok && writeSeeds(root / "image_fuzz", veltra::fuzz::imageSeeds());
  ok = ok && writeSeeds(root / "text_fuzz", textSeeds());
  ok = ok && writeSeeds(root / "font_fuzz", fontSeeds());
  ok = ok && writeSeeds(root / "sprite_fuzz", spriteSeeds());
#endif
  if (!ok) {
    std::fprintf(stderr, "make_seeds: cannot write under %s\n", argv[1]);
    return 1;
  }
  return 0;
}
