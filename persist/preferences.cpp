#include "persist/preferences.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "persist/files.h"

namespace {

// A settings file is a few hundred bytes; anything much larger is not one.
constexpr size_t kMaxFileBytes = 1 << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimStart(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// UTF-8 to the game's 8-bit characters (Latin-1); anything beyond becomes '?'.
std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int length = (c >= 0xF0) ? 4 : (c >= 0xE0) ? 3 : (c >= 0xC0) ? 2 : 1;
    uint32_t code = (length == 2) ? (c & 0x1Fu) : (length == 3) ? (c & 0x0Fu) : (c & 0x07u);
    bool valid = length > 1 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      unsigned char follow = static_cast<unsigned char>(text[i + k]);
      valid = (follow & 0xC0) == 0x80;
      code = (code << 6) | (follow & 0x3Fu);
    }
    out += (valid && code <= 0xFF) ? static_cast<char>(code) : '?';
    i += valid ? length : 1;
  }
  return out;
}

}  // namespace

int32_t ReadLeadingInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(value);
}

PreferencesReader::PreferencesReader(std::string_view text) {
  std::string converted;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
    converted = Utf8ToLatin1(text.substr(3));
    text = converted;
  }
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && IsLineEnd(text[at])) ++at;
    size_t end = at;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    std::string_view line = TrimStart(text.substr(at, end - at));
    at = end;
    if (line.empty() || line.front() == ';') continue;
    // Everything after the first group header belongs to a group, which the
    // game never reads.
    if (line.front() == '[') break;
    size_t equals = line.find('=');
    Entry entry;
    entry.key = std::string(TrimEnd(line.substr(0, equals)));
    if (equals != std::string_view::npos) entry.value = std::string(TrimStart(line.substr(equals + 1)));
    entries_.push_back(std::move(entry));
  }
}

PreferencesReader PreferencesReader::FromFile(const std::string& path, std::string* problem) {
  std::string text, error;
  switch (ReadRegularFile(path, kMaxFileBytes, &text, &error)) {
    case ReadResult::Read: return PreferencesReader(text);
    case ReadResult::Missing: return PreferencesReader();
    case ReadResult::Failed: break;
  }
  if (problem != nullptr) *problem = path + ": " + error;
  return PreferencesReader();
}

const PreferencesReader::Entry* PreferencesReader::Find(std::string_view key) const {
  for (const Entry& e : entries_) {
    if (SameKey(e.key, key)) return &e;
  }
  return nullptr;
}

int32_t PreferencesReader::ReadInteger(std::string_view key, int32_t defaultValue) const {
  const Entry* e = Find(key);
  return e ? ReadLeadingInteger(e->value) : defaultValue;
}

std::string PreferencesReader::ReadString(std::string_view key, std::string_view defaultValue) const {
  const Entry* e = Find(key);
  return std::string(e ? TrimEnd(e->value) : defaultValue);
}

void PreferencesWriter::WriteInteger(std::string_view key, int32_t value) {
  WriteString(key, std::to_string(value));
}

void PreferencesWriter::WriteString(std::string_view key, std::string_view value) {
  text_.append(key).append(" = ").append(value).append("\r\n");
}

bool PreferencesWriter::Save(const std::string& path, std::string* error) const {
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = path + ": " + why;
    return false;
  };
  // A link is followed, so that the player's link stays a link.
  std::string target = path;
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return fail(std::string("cannot follow the link: ") + std::strerror(errno));
    target = resolved;
    std::free(resolved);
  }
  if (stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    return fail(S_ISDIR(st.st_mode) ? "is a folder, not a file" : "is not a regular file");
  }
  std::string why;
  if (!ReplaceFileAtomically(target, text_, &why)) return fail(why);
  return true;
}
