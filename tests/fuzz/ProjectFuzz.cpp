// libFuzzer target: arbitrary bytes as a project file, opened as `--project` and `open` open one.
// A file the host refuses must be refused with a message; a file it opens must survive a save
// and a reopen unchanged: the reopened project equal to the opened one to the last bit, and its
// own save byte for byte the first. Anything else (a crash, a leak, a sanitizer report, an
// exception that is not a refusal, a saved file the host then refuses) aborts, so the fuzzer
// keeps the input.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "FuzzInputs.h"
#include "model/Errors.h"
#include "report/ProjectFile.h"
#include "scenario/ProjectOpen.h"

namespace fs = std::filesystem;
using namespace orvane::host;
using orvane::fuzz::TheModule;

namespace {

// What is beyond the bounds is refused, and the refusal is part of what is explored.
Limits FuzzLimits() {
  Limits l = orvane::fuzz::SmallLimits();
  l.max_masks = 60;
  l.max_keys = 2000;
  l.max_project_keys = 20000;
  l.max_project_vertices = 200000;
  return l;
}

const fs::path &Scratch() { return orvane::fuzz::Scratch("project-fuzz"); }

void WriteFile(const fs::path &path, const char *data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(data, std::streamsize(size));
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

[[noreturn]] void Finding(const char *what, const std::string &detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

// Opens the file at `path` in `session`; false when the host refuses it.
bool Open(Session &session, const fs::path &path, std::string &why) {
  try {
    SavedProject file = ReadProjectFile(path.string(), FuzzLimits());
    OpenProject(session, std::move(file), path.string(), FuzzLimits(), 0);
    return true;
  } catch (const BadInput &e) {
    why = e.what();
    if (why.empty()) Finding("refused without a message", path.string());
    return false;
  }
}

std::string Saved(Session &session, const fs::path &opened) {
  // The composition and layer sections are the file's own, as the `save` step keeps them.
  const SavedProject file = ReadProjectFile(opened.string(), FuzzLimits());
  std::ostringstream out;
  WriteProjectFile(out, session.project(), file.fields.value("comp", Json()),
                   file.fields.value("layer", Json()));
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const fs::path input = Scratch() / "input.json", saved = Scratch() / "saved.json";
  WriteFile(input, reinterpret_cast<const char *>(data), size);
  std::string why;
  Session first(TheModule());
  first.trace().SetRecording(false);
  if (!Open(first, input, why)) return 0;

  const std::string once = Saved(first, input);
  WriteFile(saved, once.data(), once.size());
  Session second(TheModule());
  second.trace().SetRecording(false);
  if (!Open(second, saved, why)) Finding("its own save is refused", why);
  if (static_cast<const ProjectModel &>(first.project()) !=
          static_cast<const ProjectModel &>(second.project()) ||
      first.project().time != second.project().time)
    Finding("the reopened project differs", once.substr(0, 2000));
  const std::string twice = Saved(second, saved);
  if (twice != once) Finding("the second save differs from the first", twice.substr(0, 2000));
  return 0;
}
