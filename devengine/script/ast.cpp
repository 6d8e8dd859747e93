#include "script/ast.h"

#include <algorithm>
#include <vector>

namespace devengine::script {

Node::~Node() {
  std::vector<std::unique_ptr<Node>> pending = std::move(kids);
  if (function && function->body) pending.push_back(std::move(function->body));
  while (!pending.empty()) {
    std::unique_ptr<Node> node = std::move(pending.back());
    pending.pop_back();
    if (!node) continue;
    for (auto& kid : node->kids) pending.push_back(std::move(kid));
    node->kids.clear();
    if (node->function && node->function->body) pending.push_back(std::move(node->function->body));
  }
}

Script::Location Script::LocationOf(std::uint32_t pos) const {
  const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), pos);
  const auto index = after == lineStarts.begin() ? 0 : (after - lineStarts.begin()) - 1;
  const std::uint32_t lineStart = lineStarts.empty() ? 0 : lineStarts[index];
  return {startLine + static_cast<int>(index), static_cast<int>(pos - lineStart)};
}

std::wstring Script::LineText(int line) const {
  const int index = line - startLine;
  if (index < 0 || static_cast<std::size_t>(index) >= lineStarts.size()) return {};
  const std::uint32_t begin = lineStarts[index];
  std::uint32_t end = static_cast<std::size_t>(index) + 1 < lineStarts.size()
                          ? lineStarts[index + 1]
                          : static_cast<std::uint32_t>(source.size());
  while (end > begin && (source[end - 1] == L'\n' || source[end - 1] == L'\r')) --end;
  return source.substr(begin, end - begin);
}

}  // namespace devengine::script
