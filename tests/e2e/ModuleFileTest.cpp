// The property list read from the module file itself: copies of the module whose section table
// points at or just past the end of the file, as a truncated or damaged download would. The
// loader does not look at sections, so each copy still loads; what `info` reads must stay inside
// the file.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

using orvane::test::RunHost;

class ElfCopy {
 public:
  ElfCopy() {
    std::ifstream in(ORVANE_MODULE_PATH, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  Elf64_Ehdr Header() const {
    Elf64_Ehdr eh;
    std::memcpy(&eh, bytes_.data(), sizeof eh);
    return eh;
  }
  void SetHeader(const Elf64_Ehdr &eh) { std::memcpy(bytes_.data(), &eh, sizeof eh); }
  Elf64_Shdr Section(std::size_t i) const {
    Elf64_Shdr sh;
    std::memcpy(&sh, bytes_.data() + Header().e_shoff + i * sizeof sh, sizeof sh);
    return sh;
  }
  void SetSection(std::size_t i, const Elf64_Shdr &sh) {
    std::memcpy(bytes_.data() + Header().e_shoff + i * sizeof sh, &sh, sizeof sh);
  }
  std::size_t Find(const std::string &name) const {
    const Elf64_Shdr names = Section(Header().e_shstrndx);
    for (std::size_t i = 0; i < Header().e_shnum; ++i) {
      const char *n =
          reinterpret_cast<const char *>(bytes_.data() + names.sh_offset) + Section(i).sh_name;
      if (name == n) return i;
    }
    ADD_FAILURE() << "the module has no section " << name;
    return 0;
  }
  // Copies section i's bytes to the end of the file and points the section at the copy, so that
  // it ends exactly where the file does.
  void MoveSectionToTheEnd(std::size_t i) {
    Elf64_Shdr sh = Section(i);
    std::vector<uint8_t> data(bytes_.begin() + long(sh.sh_offset),
                              bytes_.begin() + long(sh.sh_offset + sh.sh_size));
    sh.sh_offset = bytes_.size();
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    SetSection(i, sh);
  }
  // Copies the section table to the end of the file, with entries i and the last swapped, so
  // that section i's entry ends exactly where the file does.
  void MoveTableToTheEndWithLast(std::size_t i) {
    Elf64_Ehdr eh = Header();
    const std::size_t last = eh.e_shnum - 1;
    std::vector<Elf64_Shdr> table;
    for (std::size_t k = 0; k < eh.e_shnum; ++k) table.push_back(Section(k));
    std::swap(table[i], table[last]);
    if (eh.e_shstrndx == i)
      eh.e_shstrndx = Elf64_Half(last);
    else if (eh.e_shstrndx == last)
      eh.e_shstrndx = Elf64_Half(i);
    eh.e_shoff = bytes_.size();
    SetHeader(eh);
    const auto *raw = reinterpret_cast<const uint8_t *>(table.data());
    bytes_.insert(bytes_.end(), raw, raw + table.size() * sizeof(Elf64_Shdr));
  }
  void GrowSection(std::size_t i, uint64_t by) {
    Elf64_Shdr sh = Section(i);
    sh.sh_size += by;
    SetSection(i, sh);
  }
  void DropLastByte() { bytes_.pop_back(); }

  // The copy's name and category as `orvane-host info` reads them, and its problems.
  nlohmann::json Info(const std::string &name) const {
    const std::string path = ::testing::TempDir() + name + ".so";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes_.data()), std::streamsize(bytes_.size()));
    auto r = RunHost("info " + path + " --json", false);
    EXPECT_EQ(r.code, 0) << r.out;
    return r.code == 0 ? nlohmann::json::parse(r.out) : nlohmann::json::object();
  }

 private:
  std::vector<uint8_t> bytes_;
};

void ExpectList(const nlohmann::json &info) {
  EXPECT_EQ(info.value("name", ""), "OrvaneTavolin");
  EXPECT_EQ(info.value("category", ""), "OrvaneUtility");
  EXPECT_TRUE(info.value("property_list_problems", nlohmann::json::array()).empty()) << info;
}

void ExpectNoList(const nlohmann::json &info) {
  EXPECT_EQ(info.value("name", "?"), "");
  const nlohmann::json problems = info.value("property_list_problems", nlohmann::json::array());
  EXPECT_NE(std::find(problems.begin(), problems.end(), "the module carries no property list"),
            problems.end())
      << problems;
}

TEST(ModuleFile, ThePropertyListIsReadWhenItEndsWithTheFileAndNotWhenItRunsPast) {
  ElfCopy exact;
  exact.MoveSectionToTheEnd(exact.Find("orvane_pipl"));
  ExpectList(exact.Info("pipl_at_end"));

  ElfCopy past;
  const std::size_t pipl = past.Find("orvane_pipl");
  past.MoveSectionToTheEnd(pipl);
  past.GrowSection(pipl, 1);
  ExpectNoList(past.Info("pipl_past_end"));
}

TEST(ModuleFile, SectionNamesAreReadWhenTheyEndWithTheFileAndNotWhenTheyRunPast) {
  ElfCopy exact;
  exact.MoveSectionToTheEnd(exact.Header().e_shstrndx);
  ExpectList(exact.Info("names_at_end"));

  ElfCopy past;
  past.MoveSectionToTheEnd(past.Header().e_shstrndx);
  past.GrowSection(past.Header().e_shstrndx, 1);
  ExpectNoList(past.Info("names_past_end"));
}

TEST(ModuleFile, ASectionEntryCutShortByTheEndOfTheFileIsNotRead) {
  ElfCopy whole;
  whole.MoveTableToTheEndWithLast(whole.Find("orvane_pipl"));
  ExpectList(whole.Info("table_at_end"));

  ElfCopy cut;
  cut.MoveTableToTheEndWithLast(cut.Find("orvane_pipl"));
  cut.DropLastByte();
  ExpectNoList(cut.Info("table_cut"));
}

}  // namespace
