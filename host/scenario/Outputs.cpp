#include "scenario/Outputs.h"

#include <filesystem>

#include "model/Errors.h"

namespace orvane::host {

namespace fs = std::filesystem;

std::string PicturePath(const std::string &out_dir, const Json &step, const char *what,
                        bool make_folders) {
  if (!step.contains("file") || !step.at("file").is_string() ||
      step.at("file").get<std::string>().empty()) {
    throw BadInput(std::string("\"") + what + "\" needs a \"file\" name");
  }
  const std::string name = step.at("file").get<std::string>();
  const fs::path relative(name);
  // Pictures go into the output folder and nowhere else: "a..b.png" is a name, ".." is a way up.
  if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory() ||
      name.back() == '/')
    throw BadInput("\"file\" " + name + " must be a file name inside the output folder");
  for (const fs::path &part : relative) {
    if (part == "..")
      throw BadInput("\"file\" " + name + " must be a file name inside the output folder");
  }
  const fs::path base = out_dir.empty() ? fs::path(".") : fs::path(out_dir);
  // Every folder on the way, and the file itself, is looked at without following links: a link
  // inside the output folder may point anywhere.
  fs::path at = base;
  for (auto part = relative.begin(); part != relative.end(); ++part) {
    if (*part == ".") continue;
    at /= *part;
    const bool last = std::next(part) == relative.end();
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(at, ec);
    if (fs::is_symlink(status))
      throw BadInput("\"file\" " + name + " passes through the link " + at.string() +
                     "; pictures are written inside the output folder, never through a link");
    if (last) {
      if (fs::is_directory(status)) throw BadInput("\"file\" " + name + " is a folder");
      break;
    }
    if (fs::exists(status)) {
      if (!fs::is_directory(status))
        throw BadInput("\"file\" " + name + ": " + at.string() + " is not a folder");
    } else if (make_folders && (!fs::create_directory(at, ec) || ec)) {
      throw BadInput("cannot create the folder " + at.string() +
                     (ec ? ": " + ec.message() : std::string()));
    }
  }
  return out_dir.empty() ? name : (fs::path(out_dir) / relative).string();
}

bool WritesFile(const Json &step) {
  if (!step.is_object() || !step.contains("do")) return false;
  const Json &what = step.at("do");
  return what == "png" || what == "sheet" || what == "save";
}

std::vector<NamedOutput> PictureOutputs(const Json &scenario, const std::string &out_dir) {
  std::vector<NamedOutput> out;
  if (!scenario.contains("steps") || !scenario.at("steps").is_array()) return out;
  const Json &steps = scenario.at("steps");
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Json &step = steps[i];
    if (!WritesFile(step)) continue;
    const Json &what = step.at("do");
    const std::string where =
        "step " + std::to_string(i + 1) + " (" + what.get<std::string>() + ")";
    try {
      out.push_back({PicturePath(out_dir, step, what.get<std::string>().c_str(), false), where});
    } catch (const BadInput &e) {
      throw BadInput(where + ": " + e.what());
    }
  }
  return out;
}

namespace {

// What a path names once links are resolved (the folders that exist, and the name in them).
fs::path Resolved(const std::string &path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
  return ec ? fs::absolute(path, ec).lexically_normal() : p;
}

bool SameFile(const NamedOutput &a, const NamedOutput &b) {
  if (Resolved(a.path) == Resolved(b.path)) return true;
  std::error_code ec;
  return fs::exists(a.path, ec) && fs::exists(b.path, ec) && fs::equivalent(a.path, b.path, ec);
}

}  // namespace

void CheckOutputsApart(const std::vector<NamedOutput> &outputs,
                       const std::vector<NamedOutput> &inputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    for (const NamedOutput &input : inputs) {
      if (SameFile(outputs[i], input))
        throw BadInput(outputs[i].what + " " + outputs[i].path + " is " + input.what +
                       "; the host never writes over its input");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (SameFile(outputs[i], outputs[j]))
        throw BadInput(outputs[i].what + " " + outputs[i].path + " is also " + outputs[j].what +
                       "; every file a run writes is a file of its own");
    }
  }
}

}  // namespace orvane::host
