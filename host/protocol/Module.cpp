#include "protocol/Module.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#include "model/Errors.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <elf.h>
#endif

namespace orvane::host {

namespace {

void CheckIsFile(const std::string &path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw BadInput("module not found: " + path);
  if ((st.st_mode & S_IFMT) != S_IFREG) throw BadInput("module is not a file: " + path);
}

}  // namespace

#if !defined(_WIN32)

namespace {

std::vector<uint8_t> ReadWholeFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<uint8_t> ElfSection(const std::vector<uint8_t> &file, const std::string &name) {
  Elf64_Ehdr eh;
  if (file.size() < sizeof eh || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0) return {};
  std::memcpy(&eh, file.data(), sizeof eh);
  if (eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_shentsize != sizeof(Elf64_Shdr)) return {};
  auto section = [&](std::size_t i, Elf64_Shdr *sh) {
    std::size_t at = eh.e_shoff + i * sizeof(Elf64_Shdr);
    if (i >= eh.e_shnum || at + sizeof *sh > file.size()) return false;
    std::memcpy(sh, file.data() + at, sizeof *sh);
    return true;
  };
  Elf64_Shdr names;
  if (!section(eh.e_shstrndx, &names) || names.sh_offset + names.sh_size > file.size()) return {};
  for (std::size_t i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    if (!section(i, &sh) || sh.sh_name >= names.sh_size) continue;
    const char *sname = reinterpret_cast<const char *>(file.data() + names.sh_offset + sh.sh_name);
    std::size_t room = names.sh_size - sh.sh_name;
    if (strnlen(sname, room) == room || name != sname) continue;
    if (sh.sh_type == SHT_NOBITS || sh.sh_offset + sh.sh_size > file.size()) return {};
    return std::vector<uint8_t>(file.begin() + long(sh.sh_offset),
                                file.begin() + long(sh.sh_offset + sh.sh_size));
  }
  return {};
}

Module::Module(const std::string &path) : path_(path) {
  CheckIsFile(path);
  // A path without a slash would make dlopen search the library path instead of this file.
  std::string open_path = path.find('/') == std::string::npos ? "./" + path : path;
  handle_ = dlopen(open_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char *why = dlerror();
    throw BadInput("not a loadable module: " + path + (why ? std::string(" (") + why + ")" : ""));
  }
  entry_ = reinterpret_cast<EntryPointFn>(dlsym(handle_, "EntryPointFunc"));
  if (!entry_) {
    dlclose(handle_);
    handle_ = nullptr;
    throw BadInput("not an effect module (no EntryPointFunc): " + path);
  }
  property_list_ = ElfSection(ReadWholeFile(path), "orvane_pipl");
}

Module::~Module() {
  if (handle_) dlclose(handle_);
}

#else

namespace {

std::wstring Widen(const std::string &text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(std::size_t(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(wcslen(wide.c_str()));
  return wide;
}

}  // namespace

Module::Module(const std::string &path) : path_(path) {
  CheckIsFile(path);
  HMODULE module = LoadLibraryW(Widen(path).c_str());
  if (!module) {
    throw BadInput("not a loadable module: " + path + " (Windows error " +
                   std::to_string(GetLastError()) + ")");
  }
  handle_ = module;
  entry_ = reinterpret_cast<EntryPointFn>(
      reinterpret_cast<void *>(GetProcAddress(module, "EntryPointFunc")));
  if (!entry_) {
    FreeLibrary(module);
    handle_ = nullptr;
    throw BadInput("not an effect module (no EntryPointFunc): " + path);
  }
  // The property list is the module's PIPL resource 16000 in US English.
  HRSRC resource = FindResourceExW(module, L"PIPL", MAKEINTRESOURCEW(16000),
                                   MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void *bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes) {
    const auto *begin = static_cast<const uint8_t *>(bytes);
    property_list_.assign(begin, begin + SizeofResource(module, resource));
  }
}

Module::~Module() {
  if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
}

#endif

}  // namespace orvane::host
