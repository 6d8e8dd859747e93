// A browser's session history: the documents its main frame has shown, and
// where in them it stands. Touched on the UI thread; the browser guards it
// for readers on other threads.
#ifndef NIMBRA_DEVENGINE_BROWSER_HISTORY_H
#define NIMBRA_DEVENGINE_BROWSER_HISTORY_H

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace devengine::browser {

struct HistoryEntry {
  std::wstring url;
  // Markup a program gave with load_string, shown again without a fetch.
  std::optional<std::wstring> markup;
};

// How a load places its document in the history once it is shown.
struct HistoryPlace {
  enum class Kind { kNew, kAt, kCurrent };
  Kind kind = Kind::kNew;
  std::size_t index = 0;

  static HistoryPlace New() { return {}; }
  static HistoryPlace At(std::size_t index) { return {Kind::kAt, index}; }
  static HistoryPlace Current() { return {Kind::kCurrent, 0}; }
};

class History {
 public:
  void Commit(HistoryEntry entry, HistoryPlace place) {
    if (place.kind == HistoryPlace::Kind::kAt && place.index < entries_.size()) {
      current_ = place.index;
      entries_[current_] = std::move(entry);
    } else if (place.kind == HistoryPlace::Kind::kCurrent && current_ < entries_.size()) {
      entries_[current_] = std::move(entry);
    } else {
      if (!entries_.empty()) entries_.resize(current_ + 1);
      entries_.push_back(std::move(entry));
      current_ = entries_.size() - 1;
    }
  }

  bool CanGoBack() const { return !entries_.empty() && current_ > 0; }
  bool CanGoForward() const { return current_ + 1 < entries_.size(); }

  // The entry `offset` steps from the current one, if there is one.
  std::optional<std::size_t> Step(int offset) const {
    if (entries_.empty()) return std::nullopt;
    const long long target = static_cast<long long>(current_) + offset;
    if (target < 0 || target >= static_cast<long long>(entries_.size())) return std::nullopt;
    return static_cast<std::size_t>(target);
  }
  const HistoryEntry& At(std::size_t index) const { return entries_.at(index); }

 private:
  std::vector<HistoryEntry> entries_;
  std::size_t current_ = 0;
};

}  // namespace devengine::browser

#endif
