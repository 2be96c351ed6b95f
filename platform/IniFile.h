#pragma once
// An INI file read by the rules of the Windows private-profile functions.
// Text comes back as UTF-8. A loaded object is read-only: any thread may read.
//
// - "[name]" starts a section; text after the ']' is ignored. Lines before
//   the first section, lines without '=' and comment lines (first non-blank
//   character ';'; '#' is an ordinary character) are ignored.
// - "key=value": the key is the text before the first '='. Blanks (space,
//   tab) around section names, keys and values are removed; a value wrapped in
//   one pair of the same quote (' or ") loses that pair.
// - Section and key names are compared without case (ASCII letters). When a
//   name repeats, the first section of that name and its first such key win.
// - Encoding: a UTF-16LE, UTF-16BE or UTF-8 byte-order mark; without one the
//   bytes are Windows-1252.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

class TIniFile {
 public:
  TIniFile() = default;

  // Reads the file at utf8Path. A missing or unreadable file gives an object
  // without content whose Loaded() is false; every read then gives its default.
  static TIniFile Load(const std::string& utf8Path);
  // The same rules on a file's content.
  static TIniFile FromBytes(const std::string& fileBytes);

  bool Loaded() const { return FLoaded; }

  // The value, or defaultValue when the section or key is missing. At most
  // 2047 UTF-16 units are returned, as a 2048-character buffer of the Windows
  // functions holds; a character that would not fit whole is left out.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // The value as a whole number: an optional sign and decimal digits within
  // the 32-bit range, or "0x"/"0X" and up to 32 bits of hexadecimal digits
  // (0xFFFFFFFF is -1). Anything else, an empty value too, gives defaultValue.
  int32_t ReadInteger(const std::string& section, const std::string& key,
                      int32_t defaultValue) const;
  // ReadInteger != 0, with defaultValue standing for 1 or 0.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

 private:
  struct TEntry {
    std::string FKey;
    std::string FValue;
  };
  struct TSection {
    std::string FName;
    std::vector<TEntry> FEntries;
  };

  // The entry's value, or nullptr when the section or key is missing.
  const std::string* Find(const std::string& section, const std::string& key) const;

  std::vector<TSection> FSections;
  bool FLoaded = false;
};

}  // namespace plat
