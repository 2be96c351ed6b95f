#pragma once
// Reading the update configuration: its text lines and the ';'-separated
// fields of one line.
#include <string>
#include <vector>

// The lines of a text file's bytes, as UTF-8. A byte-order mark selects UTF-8,
// UTF-16LE or UTF-16BE; without one the bytes are Windows-1252. Lines end with
// CR, LF or CR LF; a last line without a line end counts, a line end at the
// very end adds no empty line, and an empty file has no lines. The text ends at
// its first NUL character, as it does for the platform's text loading.
std::vector<std::string> LoadTextLines(const std::string& fileBytes);

// The fields of one configuration line, split at every ';' with '"' as the
// quote character (strict splitting: blanks belong to the fields):
// - an empty line has no fields; a ';' at the end adds an empty last field;
// - a field that begins with '"' is quoted: it runs to the next lone '"', a
//   doubled "" inside stands for one '"', and ';' inside is text;
// - text after the closing quote up to the next ';' is a field of its own
//   ("ab"cd;e gives ab, cd, e);
// - a quote that is never closed takes the rest of the line without its last
//   character, and "" alone is an empty field;
// - the line ends at its first NUL character.
std::vector<std::string> SplitConfigLine(const std::string& line);
