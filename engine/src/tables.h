// Handle tables: every engine object lives in one of five global tables and is
// named by its zero-based index. Handles are never reused or freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "log.h"
#include "matrix.h"
#include "platform/platform.h"

namespace veltra {

struct MassRecord {
  float x = 0, y = 0, z = 0, range = 0;
  float prevX = 0, prevY = 0, velX = 0, velY = 0;
};

// What a table holds and who fills it, for the line a bad handle prints.
struct TableNames {
  const char* item;     // "sprite"
  const char* owner;    // the object that holds the handle: "material"
  const char* creator;  // the call that hands it out: "CreateSprite"
};

namespace detail {
// Prints one line naming the table, the handle and its length, then ends the
// process. For -1, the handle of an object never created, the line says which
// call to make first and, when given, which operation refused it.
[[noreturn]] void badHandle(const TableNames& names, int handle, std::size_t length, const char* call);
// printf-style message after "veltra: ", then ends the process.
[[noreturn]] void badArgument(const char* format, ...) VELTRA_PRINTF(1, 2);
}  // namespace detail

template <typename T>
class Table {
 public:
  explicit Table(TableNames names) : names_(names) {}

  // Appends `value` and hands out the next handle. On allocation failure the
  // exception leaves the table and count as they were.
  int append(const T& value) {
    if (items_.size() == items_.capacity()) {
      std::size_t cap = items_.capacity();
      std::size_t grown = cap + cap / 2;
      items_.reserve(grown > cap ? grown : cap + 1);
    }
    items_.push_back(value);
    return count_++;
  }

  // `call` names the public operation for the message, where known.
  T& at(int handle, const char* call = nullptr) {
    // One unsigned comparison rejects negative handles too.
    if (static_cast<std::uint32_t>(handle) >= items_.size()) detail::badHandle(names_, handle, items_.size(), call);
    return items_[static_cast<std::size_t>(handle)];
  }

  void reserveAtLeast(std::size_t n) {
    if (items_.capacity() < n) items_.reserve(n);
  }

  int count() const { return count_; }
  std::size_t size() const { return items_.size(); }
  std::size_t capacity() const { return items_.capacity(); }
  const T* data() const { return items_.data(); }
  T* data() { return items_.data(); }
  const char* name() const { return names_.item; }

  // Tests only: back to the state of a freshly loaded engine.
  void reset() {
    std::vector<T>().swap(items_);
    count_ = 0;
  }

 private:
  TableNames names_;
  std::vector<T> items_;
  int count_ = 0;
};

Table<MassRecord>& massTable();
Table<platform::Texture*>& textureTable();
Table<platform::Font*>& fontTable();
Table<platform::Sprite*>& spriteTable();
Table<Matrix>& matrixTable();

namespace detail {
// Tests only: empties every table, as at library load.
void resetTables();
}  // namespace detail

}  // namespace veltra
