// A small preferences file service: a flat text file of "key = value" lines,
// with ";" comments and "[group]" headers.
//
// Reading: a UTF-8 byte-order mark is skipped (the text is then converted to
// the game's 8-bit characters); lines end at any run of carriage returns and
// line feeds; leading blanks are skipped; keys are found without regard to
// letter case, and only the first entry before the first group header
// counts. Writing builds the whole file in memory and replaces the old file
// in one step, so a failure part way leaves the old file as it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class PreferencesReader {
 public:
  // An empty reader: every lookup gives its default.
  PreferencesReader() = default;
  // Parses the text of a whole file.
  explicit PreferencesReader(std::string_view text);
  // Reads the file; a file that cannot be read gives an empty reader. A
  // missing file is normal; any other failure (a folder or a device of that
  // name, no permission, a read error) is described in problem when given.
  static PreferencesReader FromFile(const std::string& path, std::string* problem = nullptr);

  // The value of key as a C atoi reads it (leading blanks, optional sign,
  // digits up to the first other character; 0 when there are none), or the
  // default when the key is absent.
  int32_t ReadInteger(std::string_view key, int32_t defaultValue) const;
  // The value with blanks trimmed at both ends, or the default.
  std::string ReadString(std::string_view key, std::string_view defaultValue) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  const Entry* Find(std::string_view key) const;
  std::vector<Entry> entries_;  // the entries before the first group header
};

class PreferencesWriter {
 public:
  void WriteInteger(std::string_view key, int32_t value);
  void WriteString(std::string_view key, std::string_view value);
  // The whole file: one "key = value" line per write, in order, each ended
  // by carriage return and line feed.
  std::string Text() const { return text_; }
  // Replaces the file at path with Text(); false (and the old file kept) on
  // any failure, which error describes when given. A symbolic link is
  // followed: the file it points to is replaced, the link stays. Anything
  // but a regular file of that name (a folder, a device) is left alone.
  bool Save(const std::string& path, std::string* error = nullptr) const;

 private:
  std::string text_;
};

// atoi: leading blanks, optional sign, decimal digits up to the first other
// character; 0 when there are none. Values beyond 32 bits saturate.
int32_t ReadLeadingInteger(std::string_view text);
