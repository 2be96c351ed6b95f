#include "tools/Publish.h"

#include <algorithm>
#include <filesystem>

#include "common/Md5.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/PeVersion.h"
#include "platform/Text.h"

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

// Percent-encodes every path segment; "/" separates them.
std::string UrlPath(const std::string& relative) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : relative) {
    if (c == '/' || IsUnreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool IsVersionText(const std::string& v) {
  int parts = 1;
  bool digit = false;
  for (char c : v) {
    if (c == '.') {
      if (!digit) return false;
      ++parts;
      digit = false;
    } else if (c >= '0' && c <= '9') {
      digit = true;
    } else {
      return false;
    }
  }
  return parts == 4 && digit;
}

}  // namespace

std::string ConfigLine(const std::string& requiredDbVersion, const TPublishedFile& file) {
  return requiredDbVersion + ";" + file.RelativePath + ";" + file.FileVersion + ";" + file.Md5 + ";" + file.Url;
}

bool Publish(const TPublishOptions& options, std::vector<TPublishedFile>& files, std::string& error) {
  namespace fs = std::filesystem;
  files.clear();
  if (!options.UnversionedVersion.empty() && !IsVersionText(options.UnversionedVersion)) {
    error = "Not a file version (four numbers joined by \".\"): " + options.UnversionedVersion;
    return false;
  }
  for (const std::string& field : {options.RequiredDbVersion, options.BaseUrl}) {
    if (field.empty() || field.find_first_of(";\"\r\n") != std::string::npos) {
      error = "Empty or unusable value for a configuration field: " + field;
      return false;
    }
  }
  std::error_code ec;
  fs::path root = plat::ToPath(options.ReleaseFolder);
  std::vector<fs::path> paths;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file()) paths.push_back(it->path());
  if (ec || paths.empty()) {
    error = "No files to publish in " + options.ReleaseFolder;
    return false;
  }
  std::sort(paths.begin(), paths.end());

  struct TCopy {
    std::string From, To;
  };
  std::vector<TCopy> copies;
  std::string base = options.BaseUrl;
  while (!base.empty() && base.back() == '/') base.pop_back();
  for (const fs::path& p : paths) {
    std::string relative = p.lexically_relative(root).generic_u8string();
    if (relative.find_first_of(";\"\r\n") != std::string::npos) {
      error = "File name unusable in the configuration: " + relative;
      return false;
    }
    TPublishedFile f;
    f.RelativePath = relative;
    std::replace(f.RelativePath.begin(), f.RelativePath.end(), '/', '\\');
    uint16_t v[4];
    if (plat::ReadPeFileVersion(plat::FromPath(p), v)) {
      f.FileVersion = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                      std::to_string(v[3]);
    } else if (!options.UnversionedVersion.empty()) {
      f.FileVersion = options.UnversionedVersion;
    } else {
      error = "No version resource (use --allow-unversioned VERSION to publish it anyway): " + relative;
      return false;
    }
    f.Md5 = GetFileMD5(plat::FromPath(p));
    if (f.Md5.empty()) {
      error = "Cannot read " + relative;
      return false;
    }
    f.Url = base + "/files/" + UrlPath(relative);
    files.push_back(f);
    copies.push_back({plat::FromPath(p), options.OutputFolder + plat::PathDelim + "files" + plat::PathDelim + relative});
  }

  std::string config;
  for (const TPublishedFile& f : files) config += ConfigLine(options.RequiredDbVersion, f) + "\r\n";
  for (const TCopy& c : copies) {
    std::string bytes;
    plat::ForceDirectories(plat::FromPath(plat::ToPath(c.To).parent_path()));
    if (!plat::ReadWholeFile(c.From, bytes) || !plat::WriteWholeFile(c.To, bytes)) {
      error = "Cannot copy " + c.From + " to " + c.To;
      return false;
    }
  }
  std::string configFolder = options.OutputFolder + plat::PathDelim + "patch" + plat::PathDelim + "KarvoService";
  plat::ForceDirectories(configFolder);
  if (!plat::WriteWholeFile(configFolder + plat::PathDelim + "config", config)) {
    error = "Cannot write the configuration in " + configFolder;
    return false;
  }
  return true;
}
