// Positions of rows or records found by a key that several may share:
// each look-up takes the first position of its key not taken yet, so two
// rows alike stand for two records alike, in the order they were added.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zv {

class AlikeRows {
 public:
  explicit AlikeRows(std::size_t expected = 0) { by_key_.reserve(expected); }
  void Add(std::string key, std::size_t position) { by_key_[std::move(key)].positions.push_back(position); }
  // The first position of `key` not taken yet; none when all are taken or
  // the key was never added.
  std::optional<std::size_t> Take(const std::string& key) {
    const auto found = by_key_.find(key);
    if (found == by_key_.end() || found->second.next == found->second.positions.size()) return std::nullopt;
    return found->second.positions[found->second.next++];
  }

 private:
  struct Positions {
    std::vector<std::size_t> positions;
    std::size_t next = 0;
  };
  std::unordered_map<std::string, Positions> by_key_;
};

}  // namespace zv
