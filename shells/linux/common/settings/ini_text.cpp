#include "common/settings/ini_text.h"

#include <algorithm>

#include "app/ascii_text.h"

namespace vistrel::linux_shell::ini {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

bool IsComment(std::string_view line) {
  const std::string_view t = TrimBlanks(line);
  return t.empty() || t.front() == ';' || t.front() == '#';
}

}  // namespace

std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = TrimBlanks(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  return TrimBlanks(t.substr(1, t.size() - 2));
}

std::optional<NameValue> SplitValueLine(std::string_view line) {
  if (IsComment(line) || SectionName(line)) return std::nullopt;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view name = TrimBlanks(line.substr(0, equals));
  if (name.empty()) return std::nullopt;
  std::string_view value = line.substr(equals + 1);
  if (!value.empty() && value.back() == '\r') value.remove_suffix(1);
  return NameValue{name, value};
}

std::optional<Document> Document::Parse(std::string_view text) {
  if (text.size() > kMaxFileBytes || text.find('\0') != std::string_view::npos) return std::nullopt;
  Document doc;
  doc.finalNewline_ = text.empty() || text.back() == '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    doc.lines_.push_back({std::string(text.substr(start, end - start))});
    start = end + 1;
  }
  return doc;
}

std::optional<std::size_t> Document::Find(std::string_view name) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto section = SectionName(lines_[i].text)) {
      inSection = ascii::EqualsIgnoringCase(*section, kSection);
      continue;
    }
    if (!inSection) continue;
    if (const auto pair = SplitValueLine(lines_[i].text);
        pair && ascii::EqualsIgnoringCase(pair->name, name)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> Document::SectionEnd() const {
  std::optional<std::size_t> end;
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto section = SectionName(lines_[i].text)) {
      inSection = ascii::EqualsIgnoringCase(*section, kSection);
      if (inSection) end = i + 1;
      continue;
    }
    // Blank lines and comments after the last value stay with whatever follows them.
    if (inSection && !IsComment(lines_[i].text)) end = i + 1;
  }
  return end;
}

std::optional<std::string> Document::Get(std::string_view name) const {
  const auto index = Find(name);
  if (!index) return std::nullopt;
  return std::string(SplitValueLine(lines_[*index].text)->value);
}

bool Document::Set(std::string_view name, std::string_view value) {
  const auto bad = [](std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
  };
  const std::string_view trimmedName = TrimBlanks(name);
  if (bad(name) || bad(value) || trimmedName.empty() || trimmedName != name ||
      name.find('=') != std::string_view::npos || name.front() == '[' || name.front() == ';' ||
      name.front() == '#') {
    return false;
  }
  std::string line = std::string(name) + "=" + std::string(value);
  finalNewline_ = true;
  if (const auto index = Find(name)) {
    // Keep the line's own CR LF ending if it had one.
    const std::string& old = lines_[*index].text;
    if (!old.empty() && old.back() == '\r') line += '\r';
    lines_[*index].text = std::move(line);
    return true;
  }
  if (const auto end = SectionEnd()) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*end), Line{std::move(line)});
    return true;
  }
  lines_.push_back({"[" + std::string(kSection) + "]"});
  lines_.push_back({std::move(line)});
  return true;
}

std::string Document::Serialize() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i].text;
    if (i + 1 < lines_.size() || finalNewline_) text += '\n';
  }
  return text;
}

}  // namespace vistrel::linux_shell::ini
