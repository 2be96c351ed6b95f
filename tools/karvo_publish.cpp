// karvo_publish: fills an update server's folder from a release folder.
//   karvo_publish --release DIR --base-url URL --db-version 4v3v001r00 --out DIR
//                 [--allow-unversioned a.b.c.d]
// Exit code 0 on success, 1 on a refused release, 2 on wrong arguments.
#include <cstdio>
#include <string>

#include "platform/Program.h"
#include "tools/Publish.h"

int ProgramMain(const std::vector<std::string>& args) {
  TPublishOptions o;
  for (size_t i = 0; i + 1 < args.size(); i += 2) {
    const std::string& key = args[i];
    const std::string& value = args[i + 1];
    if (key == "--release") o.ReleaseFolder = value;
    else if (key == "--base-url") o.BaseUrl = value;
    else if (key == "--db-version") o.RequiredDbVersion = value;
    else if (key == "--out") o.OutputFolder = value;
    else if (key == "--allow-unversioned") o.UnversionedVersion = value;
    else {
      std::fprintf(stderr, "Unknown option %s\n", key.c_str());
      return 2;
    }
  }
  if (args.size() % 2 != 0 || o.ReleaseFolder.empty() || o.OutputFolder.empty()) {
    std::fprintf(stderr,
                 "usage: karvo_publish --release DIR --base-url URL --db-version V --out DIR "
                 "[--allow-unversioned a.b.c.d]\n");
    return 2;
  }
  std::vector<TPublishedFile> files;
  std::string error;
  if (!Publish(o, files, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const TPublishedFile& f : files) std::printf("%s\n", ConfigLine(o.RequiredDbVersion, f).c_str());
  return 0;
}
