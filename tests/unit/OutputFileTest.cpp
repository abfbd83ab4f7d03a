// The files the host writes are there whole or not at all: what a reader of the folder sees while
// one is written, after it is committed, dropped or kept, and when its name fills all the bytes a
// file name may have.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Descriptors.h"
#include "model/Errors.h"
#include "report/OutputFile.h"

namespace {

namespace fs = std::filesystem;
using orvane::host::BadInput;
using orvane::host::OutputFile;
using orvane::test::OpenDescriptors;

fs::path Folder(const std::string &name) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("output-file-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string Read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Entries(const fs::path &dir) {
  std::vector<std::string> names;
  for (const auto &e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Whether `s` is well-formed UTF-8 (lead bytes followed by as many continuation bytes as they say).
bool IsUtf8(const std::string &s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

unsigned ModeOf(const fs::path &p) {
  struct stat st {};
  EXPECT_EQ(stat(p.c_str(), &st), 0) << p;
  return st.st_mode & 07777;
}

TEST(OutputFile, TheOldFileStaysUntilTheNewOneIsCommittedWholeAndNothingElseIsLeft) {
  const fs::path dir = Folder("commit");
  const fs::path target = dir / "dump.json";
  Write(target, "old");
  // More than the stream's buffer holds, so that it is written in several parts.
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i * 7919 % 100003) + ",";
  {
    OutputFile f(target.string());
    f.stream() << text;
    f.stream().flush();
    EXPECT_EQ(Read(target), "old");
    const auto names = Entries(dir);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(".dump.json.tmp-", 0), 0u) << names[0];
    EXPECT_EQ(names[1], "dump.json");
    f.Commit();
    EXPECT_EQ(Read(target), text);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"dump.json"});
  }
  EXPECT_EQ(Read(target), text);

  // Not committed: dropped, or kept as far as it got, as the file asked; closed either way.
  const auto open_before = OpenDescriptors();
  { OutputFile(target.string()).stream() << "dropped"; }
  EXPECT_EQ(Read(target), text);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"dump.json"});
  { OutputFile(target.string(), OutputFile::OnStop::Keep).stream() << "kept"; }
  EXPECT_EQ(Read(target), "kept");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"dump.json"});
  EXPECT_EQ(OpenDescriptors(), open_before);
}

TEST(OutputFile, ANewFileTakesThePermissionsOfTheOneItReplaces) {
  const fs::path dir = Folder("mode");
  const fs::path there = dir / "there.txt", fresh = dir / "fresh.txt";
  Write(there, "old");
  ASSERT_EQ(chmod(there.c_str(), 0640), 0);
  const mode_t mask = umask(022);
  {
    OutputFile a(there.string()), b(fresh.string());
    a.stream() << "a";
    b.stream() << "b";
    a.Commit();
    b.Commit();
  }
  umask(mask);
  EXPECT_EQ(Read(there), "a");
  EXPECT_EQ(ModeOf(there), 0640u);
  EXPECT_EQ(ModeOf(fresh), 0644u);
}

TEST(OutputFile, ANameOfTheLongestLengthIsCutBetweenCharactersForItsTemporary) {
  const fs::path dir = Folder("long");
  // 255 bytes of two-byte characters, after zero or one byte: one of the two is cut inside a
  // character unless the cut steps back to where one starts.
  for (const std::string lead : {"", "a"}) {
    std::string name = lead;
    while (name.size() + 2 <= 255) name += "\xc3\xa9";
    const fs::path target = dir / name;
    OutputFile f(target.string());
    f.stream() << lead << "long";
    const auto names = Entries(dir);
    ASSERT_EQ(names.size(), 1u);
    const std::string temp = names[0];
    EXPECT_LE(temp.size(), 255u);
    EXPECT_TRUE(IsUtf8(temp)) << lead;
    const std::size_t at = temp.find(".tmp-");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(temp[0], '.');
    const std::string kept = temp.substr(1, at - 1);
    EXPECT_EQ(name.rfind(kept, 0), 0u) << "not the start of the name";
    EXPECT_GE(kept.size() + 1, 254 - (temp.size() - at)) << "cut more than one character";
    f.Commit();
    EXPECT_EQ(Read(target), lead + "long");
    fs::remove(target);
  }
}

TEST(OutputFile, WhatCannotBeWrittenIsRefusedByNameAndLeavesNothing) {
  const fs::path dir = Folder("refused");
  try {
    OutputFile f(dir.string());
    FAIL() << "a folder taken as a file";
  } catch (const BadInput &e) {
    EXPECT_EQ(std::string(e.what()), "cannot write " + dir.string() + ": it is a folder");
  }
  try {
    OutputFile f((dir / "no" / "such.json").string());
    FAIL() << "a file in no folder";
  } catch (const BadInput &e) {
    EXPECT_EQ(std::string(e.what()).rfind(
                  "cannot write " + (dir / "no" / "such.json").string() + ": ", 0),
              0u);
  }
  // The target turns into a folder while the file is written: the rename fails, and the file's
  // descriptor, closed before it, is not closed again (by then another file may have its number).
  const fs::path target = dir / "late.json";
  const long open_before = OpenDescriptors();
  {
    OutputFile f(target.string());
    f.stream() << "late";
    fs::create_directories(target / "inside");
    EXPECT_THROW(f.Commit(), BadInput);
  }
  EXPECT_EQ(OpenDescriptors(), open_before);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"late.json"});
  EXPECT_TRUE(fs::is_directory(target));
}

// A file the disk does not take whole (here the process may write no file past 4 KiB) is
// refused by name and the old one stays as it was, with no part of the new beside it.
TEST(OutputFile, AFileNotWrittenWholeLeavesTheOldOne) {
  const fs::path dir = Folder("cut-short");
  const fs::path target = dir / "dump.json";
  Write(target, "old");
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit was{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  rlimit small = was;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string why;
  {
    OutputFile f(target.string());
    f.stream() << std::string(1 << 16, 'x');
    try {
      f.Commit();
    } catch (const BadInput &e) {
      why = e.what();
    }
  }
  setrlimit(RLIMIT_FSIZE, &was);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(why.rfind("cannot write " + target.string() + ": ", 0), 0u) << why;
  EXPECT_EQ(Read(target), "old");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"dump.json"});
}

TEST(OutputFile, StoppingEveryFileKeepsTheLogsAndDropsTheRest) {
  const fs::path dir = Folder("stop");
  const fs::path log = dir / "trace.log", dump = dir / "dump.json";
  Write(dump, "old");
  OutputFile a(log.string(), OutputFile::OnStop::Keep), b(dump.string());
  a.stream() << "last line\n";
  a.stream().flush();
  b.stream() << "new";
  b.stream().flush();
  OutputFile::StopAll();
  EXPECT_EQ(Read(log), "last line\n");
  EXPECT_EQ(Read(dump), "old");
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"dump.json", "trace.log"}));
}

}  // namespace
