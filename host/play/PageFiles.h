// The page's files (HTML, CSS, JavaScript modules), built into the binary from host/play/page/
// by cmake/EmbedFiles.cmake, so that `play` serves nothing but what it was built with.
#pragma once

#include <cstddef>
#include <string>

namespace orvane::host::play {

struct PageFile {
  const char *name;  // relative to page/, e.g. "index.html", "js/panel.js"
  const unsigned char *data;
  std::size_t size;
};

// The built-in file of that name, or null.
const PageFile *FindPageFile(const std::string &name);

}  // namespace orvane::host::play
