#pragma once
// Publishing a release to an update server's folder: the configuration lines
// the service reads (required database version;relative path;file version;
// MD5;URL) and the files at the addresses those lines give.
#include <string>
#include <vector>

struct TPublishOptions {
  std::string ReleaseFolder;     // the files to offer, in their installed layout
  std::string BaseUrl;           // where OutputFolder is served, e.g. "http://host:8480"
  std::string RequiredDbVersion; // "4v3v001r00"
  std::string OutputFolder;      // receives patch/KarvoService/config and files/...
  // Version for files without a version resource; empty: such files are refused.
  std::string UnversionedVersion;
};

// One configuration line for a file of the release.
struct TPublishedFile {
  std::string RelativePath;  // with "\" separators
  std::string FileVersion;   // "a.b.c.d"
  std::string Md5;
  std::string Url;
};

// Publishes every file below the release folder (sorted by path). Returns
// false with error set, before anything is written, when a file has no version resource
// and no stated version or the release is empty; also when a file cannot be read
// or written.
bool Publish(const TPublishOptions& options, std::vector<TPublishedFile>& files, std::string& error);

// The configuration line of one file.
std::string ConfigLine(const std::string& requiredDbVersion, const TPublishedFile& file);
