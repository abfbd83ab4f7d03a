// Loading an effect module and reading the property list it carries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AE_Effect.h"

namespace orvane::host {

using EntryPointFn = PF_Err (*)(PF_Cmd, PF_InData *, PF_OutData *, PF_ParamDef *[], PF_LayerDef *,
                                void *);

class Module {
 public:
  // Loads the module; throws BadInput when the file is missing or is not an effect module.
  explicit Module(const std::string &path);
  ~Module();
  Module(const Module &) = delete;
  Module &operator=(const Module &) = delete;

  EntryPointFn entry() const { return entry_; }
  // The property list bytes carried by the module (empty when it carries none).
  const std::vector<uint8_t> &property_list() const { return property_list_; }
  const std::string &path() const { return path_; }

 private:
  std::string path_;
  void *handle_ = nullptr;
  EntryPointFn entry_ = nullptr;
  std::vector<uint8_t> property_list_;
};

#if !defined(_WIN32)
// A named section of an ELF file's bytes; empty when there is none.
std::vector<uint8_t> ElfSection(const std::vector<uint8_t> &file, const std::string &name);
#endif

}  // namespace orvane::host
