// The files orvane-host reads and writes, as a user meets them: no output ever replaces an input
// or another output, an output is there whole or not at all, pictures stay inside --out, and a
// scenario that is not a regular file is refused at once instead of read forever.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "HostProcess.h"

namespace {

namespace fs = std::filesystem;
using orvane::test::RunHost;

// A fresh folder of the test's own.
std::string Folder(const std::string &name) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("files-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::string Write(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string Read(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every entry below `dir`, so that a stray temporary file shows.
std::vector<std::string> Entries(const std::string &dir) {
  std::vector<std::string> out;
  for (const auto &e : fs::recursive_directory_iterator(dir))
    out.push_back(fs::relative(e.path(), dir).string());
  std::sort(out.begin(), out.end());
  return out;
}

bool OneLine(const std::string &text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

bool IsPng(const std::string &path) { return Read(path).rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

const char *const kApply = R"({"steps": [{"do": "apply"}]})";

std::string Fixture(const char *name) {
  return std::string(ORVANE_FIXTURES_DIR) + "/fixture_" + name + ".so";
}

// ---- outputs that would destroy an input or another output ----

TEST(Outputs, AnOutputThatIsAnInputOrAnotherOutputIsRefusedBeforeAnythingIsWritten) {
  const std::string dir = Folder("apart");
  const std::string scenario = Write(dir + "/victim.json", kApply);
  // The module is copied, so that a fault here cannot spoil the build's own.
  const std::string module = dir + "/module.so";
  fs::copy_file(ORVANE_MODULE_PATH, module);
  const std::string module_bytes = Read(module);
  fs::create_symlink("victim.json", dir + "/link.json");
  fs::create_hard_link(scenario, dir + "/hard.json");
  const std::string picture =
      Write(dir + "/pictures.json",
            R"({"steps": [{"do": "apply"}, {"do": "png", "file": "project.json"}]})");
  // One picture named twice, the second time through an empty part of the path.
  const std::string twice = Write(dir + "/twice.json", R"({"steps": [{"do": "apply"},
      {"do": "png", "file": "sub/a.png"}, {"do": "png", "file": "sub//a.png"}]})");
  struct Case {
    std::string args, expected;
  };
  const Case cases[] = {
      {"run " + scenario + " --trace " + scenario, "is the scenario"},
      {"run " + scenario + " --trace " + dir + "/link.json", "is the scenario"},
      {"run " + scenario + " --trace " + dir + "/hard.json", "is the scenario"},
      {"run " + scenario + " --trace " + dir + "/./victim.json", "is the scenario"},
      {"run " + scenario + " --module " + module + " --trace " + module, "is the module"},
      {"run " + picture + " --out " + dir + "/out", "is also the project dump"},
      {"run " + scenario + " --out " + dir + "/out2 --trace " + dir + "/out2/project.json",
       "is also the trace file"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    auto r = RunHost(c.args + " --quiet");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(OneLine(r.out)) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
  EXPECT_EQ(Read(scenario), kApply);
  EXPECT_EQ(Read(module), module_bytes);
  EXPECT_FALSE(fs::exists(dir + "/out/project.json"));
  EXPECT_FALSE(fs::exists(dir + "/out2/project.json"));
  // Refused before the first picture is written, and for being the other step's file.
  auto r = RunHost("run " + twice + " --quiet --out " + dir + "/out3");
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(OneLine(r.out)) << r.out;
  EXPECT_NE(r.out.find("step 3 (png) " + dir + "/out3/sub//a.png is also step 2 (png)"),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(fs::exists(dir + "/out3/sub/a.png"));
}

// Started with its standard input closed (from a service, or `<&-`), the host's first file is
// descriptor 0: it is written like any other.
TEST(Outputs, ARunWithItsStandardInputClosedWritesItsFiles) {
  const std::string dir = Folder("no-stdin");
  const std::string scenario = Write(dir + "/s.json", R"({"steps": [{"do": "apply"},
      {"do": "save", "file": "saved.json"}]})");
  auto r = RunHost("run " + scenario + " --quiet --out " + dir + "/out 0<&-");
  EXPECT_EQ(r.code, 0) << r.out;
  std::ifstream saved(dir + "/out/saved.json");
  const nlohmann::json project = nlohmann::json::parse(saved, nullptr, false);
  EXPECT_TRUE(project.is_object() && project.value("orvane_project", 0) == 1) << r.out;
}

TEST(Outputs, TheSamePictureWrittenByTwoStepsIsRefused) {
  const std::string dir = Folder("twice");
  const std::string scenario = Write(dir + "/twice.json", R"({"steps": [{"do": "apply"},
      {"do": "png", "file": "a.png", "time": 0}, {"do": "png", "file": "./a.png", "time": 1}]})");
  auto r = RunHost("run " + scenario + " --quiet --out " + dir + "/out");
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(OneLine(r.out)) << r.out;
  EXPECT_NE(r.out.find("step 3 (png)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("also step 2 (png)"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(dir + "/out/a.png"));
}

TEST(Outputs, AGoldenBlessedOverAFileTheRunWritesIsRefusedBeforeAnythingIsWritten) {
  const std::string dir = Folder("bless");
  const std::string scenario = Write(dir + "/s.json", R"({"steps": [{"do": "apply"},
      {"do": "png", "file": "a.png"}, {"do": "save", "file": "saved.json"}]})");
  struct Case {
    std::string golden, expected;
  };
  const Case cases[] = {
      {dir + "/out/a.png", "the golden " + dir + "/out/a.png is also step 2 (png)"},
      {dir + "/out/saved.json", "the golden " + dir + "/out/saved.json is also step 3 (save)"},
      {dir + "/out/project.json", "is also the project dump"},
      {dir + "/trace.jsonl", "is also the trace file"},
  };
  for (const Case &c : cases) {
    auto r = RunHost("run " + scenario + " -q --out " + dir + "/out --trace " + dir +
                     "/trace.jsonl --expect " + c.golden + " --bless");
    EXPECT_EQ(r.code, 2) << r.out;
    EXPECT_TRUE(OneLine(r.out)) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(dir + "/out")) << c.golden;
    EXPECT_FALSE(fs::exists(dir + "/trace.jsonl")) << c.golden;
  }
}

TEST(Outputs, ANameOfAnyLengthTheFolderTakesIsWrittenAndKeepsTheModeOfTheFileItReplaces) {
  const std::string dir = Folder("long");
  // 250 bytes: the temporary's name beside it must still fit the 255 a name may have.
  const std::string name(246, 'n');
  const std::string scenario =
      Write(dir + "/s.json", R"({"steps": [{"do": "apply"}, {"do": "save", "file": ")" + name +
                                 R"(.prj"}, {"do": "png", "file": ")" + name + R"(.png"}]})");
  // The old dump may be read by the owner only; its replacement is too.
  Write(dir + "/project.json", "{}");
  fs::permissions(dir + "/project.json", fs::perms::owner_read | fs::perms::owner_write);
  auto r = RunHost("run " + scenario + " -q --out " + dir);
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(nlohmann::json::parse(Read(dir + "/" + name + ".prj")).contains("orvane_project"));
  EXPECT_TRUE(IsPng(dir + "/" + name + ".png"));
  EXPECT_EQ(fs::status(dir + "/project.json").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(nlohmann::json::parse(Read(dir + "/project.json")).contains("masks"));
  // Nothing is left beside them.
  EXPECT_EQ(Entries(dir).size(), 4u);
}

TEST(Outputs, AScenarioThatDoesNotReadLeavesTheOldTraceAndDumpAsTheyWere) {
  const std::string dir = Folder("unread");
  const std::string trace = Write(dir + "/trace.jsonl", "the old trace\n");
  fs::create_directories(dir + "/out");
  Write(dir + "/out/project.json", "the old dump\n");
  // Nothing is opened for a scenario that does not parse, nor for one that is set up wrong.
  for (const char *text : {"{\"steps\": [", R"({"comp": {"fps": -1}, "steps": []})"}) {
    SCOPED_TRACE(text);
    const std::string scenario = Write(dir + "/bad.json", text);
    auto r = RunHost("run " + scenario + " --quiet --trace " + trace + " --out " + dir + "/out");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(Read(trace), "the old trace\n");
    EXPECT_EQ(Read(dir + "/out/project.json"), "the old dump\n");
  }
  // One that stops at its second step keeps the trace of its first, and the old dump.
  const std::string stops =
      Write(dir + "/stops.json", R"({"steps": [{"do": "apply"}, {"do": "jump"}]})");
  auto r = RunHost("run " + stops + " --quiet --trace " + trace + " --out " + dir + "/out");
  EXPECT_EQ(r.code, 2);
  const std::string kept = Read(trace);
  EXPECT_NE(kept.find("\"step\":1"), std::string::npos) << kept.substr(0, 200);
  EXPECT_EQ(kept.back(), '\n');
  EXPECT_EQ(Read(dir + "/out/project.json"), "the old dump\n");
  EXPECT_EQ(Entries(dir + "/out"), std::vector<std::string>{"project.json"});
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"bad.json", "out", "out/project.json",
                                                    "stops.json", "trace.jsonl"}));
}

TEST(Outputs, TheOutputFolderIsMadeBeforeTheTraceInsideIt) {
  const std::string dir = Folder("made");
  const std::string scenario = Write(dir + "/s.json", kApply);
  auto r =
      RunHost("run " + scenario + " --quiet --trace " + dir + "/out/t.jsonl --out " + dir + "/out");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(Entries(dir + "/out"), (std::vector<std::string>{"project.json", "t.jsonl"}));
  EXPECT_TRUE(nlohmann::json::accept(Read(dir + "/out/project.json")));
}

// ---- picture paths ----

TEST(Outputs, PicturesGoToSubfoldersOfTheOutputFolderAndNeverOutOfIt) {
  const std::string dir = Folder("pictures");
  const std::string scenario = Write(dir + "/s.json", R"({"steps": [{"do": "apply"},
      {"do": "png", "file": "a..b.png"}, {"do": "png", "file": "sub/deeper/c.png"},
      {"do": "sheet", "file": "sheets/all.png", "every": 30}]})");
  auto r = RunHost("run " + scenario + " --quiet --out " + dir + "/out");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(IsPng(dir + "/out/a..b.png"));
  EXPECT_TRUE(IsPng(dir + "/out/sub/deeper/c.png"));
  EXPECT_TRUE(IsPng(dir + "/out/sheets/all.png"));

  // A link inside the output folder that leads out of it is not followed, whether it is a folder
  // on the way or the picture's own name.
  const std::string outside = Folder("outside");
  fs::create_directories(dir + "/linked");
  fs::create_directory_symlink(outside, dir + "/linked/away");
  fs::create_symlink(outside + "/x.png", dir + "/linked/x.png");
  // An absolute name is refused even where it would land inside the output folder.
  const std::string inside = "must be a file name inside the output folder";
  const std::string link = "passes through the link";
  const std::pair<std::string, std::string> refused[] = {
      {"../escape.png", inside},
      {outside + "/escape.png", inside},
      {dir + "/linked/in.png", inside},
      {"sub/../../escape.png", inside},
      {"sub/../in.png", inside},
      {"away/escape.png", link + " " + dir + "/linked/away;"},
      {"x.png", link + " " + dir + "/linked/x.png;"}};
  for (const auto &[name, why] : refused) {
    SCOPED_TRACE(name);
    const std::string bad = Write(
        dir + "/bad.json",
        std::string(R"({"steps": [{"do": "apply"}, {"do": "png", "file": ")") + name + "\"}]}");
    r = RunHost("run " + bad + " --quiet --out " + dir + "/linked");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(OneLine(r.out)) << r.out;
    EXPECT_NE(r.out.find("step 2 (png): \"file\" " + name + " " + why), std::string::npos) << r.out;
  }
  EXPECT_TRUE(Entries(outside).empty());
  EXPECT_FALSE(fs::exists(dir + "/escape.png"));
  // The output folder holds its two links and nothing the refused steps would have written.
  std::vector<std::string> linked;
  for (const auto &e : fs::directory_iterator(dir + "/linked"))
    linked.push_back(e.path().filename().string());
  std::sort(linked.begin(), linked.end());
  EXPECT_EQ(linked, (std::vector<std::string>{"away", "x.png"}));
  // A file where a folder on the way would be is no folder to write into.
  Write(dir + "/linked/plain", "text\n");
  const std::string into_file = Write(dir + "/bad.json", R"({"steps": [{"do": "apply"},
      {"do": "png", "file": "plain/in.png"}]})");
  r = RunHost("run " + into_file + " --quiet --out " + dir + "/linked");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.out.find("\"file\" plain/in.png: " + dir + "/linked/plain is not a folder"),
            std::string::npos)
      << r.out;
}

// ---- a run cut short ----

TEST(Outputs, ATimeOutKeepsTheOldDumpAndATraceOfWholeLinesUpToTheHang) {
  const std::string dir = Folder("timeout");
  fs::create_directories(dir + "/out");
  Write(dir + "/out/project.json", "the old dump\n");
  const std::string scenario = Write(dir + "/s.json", R"({"steps": [{"do": "apply"},
      {"do": "press", "param": "Create Mask"}]})");
  auto r = RunHost("run " + scenario + " --quiet --module " + Fixture("hangs") +
                   " --timeout 1 --out " + dir + "/out --trace " + dir + "/out/t.jsonl");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("step 2 (press Create Mask) timed out"), std::string::npos) << r.out;
  EXPECT_EQ(Read(dir + "/out/project.json"), "the old dump\n");
  EXPECT_EQ(Entries(dir + "/out"), (std::vector<std::string>{"project.json", "t.jsonl"}));
  // Every line whole, up to the last call the module made before it hung: the module under the
  // broken one makes the same calls in that command without hanging, so its trace says which
  // call that is.
  const std::string hung = Read(dir + "/out/t.jsonl");
  ASSERT_FALSE(hung.empty());
  EXPECT_EQ(hung.back(), '\n');
  std::istringstream lines(hung);
  std::string line, last;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    ASSERT_TRUE(nlohmann::json::accept(line)) << "line " << count << ": " << line;
    last = line;
  }
  const auto last_call = nlohmann::json::parse(last);
  EXPECT_EQ(last_call["step"], 2) << last;
  r = RunHost("run " + scenario + " --quiet --trace " + dir + "/real.jsonl");
  ASSERT_EQ(r.code, 0) << r.out;
  std::istringstream real(Read(dir + "/real.jsonl"));
  std::string last_of_command;
  while (std::getline(real, line)) {
    if (nlohmann::json::parse(line)["command"] == last_call["command"]) last_of_command = line;
  }
  EXPECT_EQ(last, last_of_command);
}

// ---- inputs that are not regular files ----

TEST(Inputs, APipeADeviceAFolderOrAnUnreadableFileIsRefusedAtOnce) {
  const std::string dir = Folder("inputs");
  ASSERT_EQ(mkfifo((dir + "/pipe.json").c_str(), 0600), 0);
  const std::string scenario = Write(dir + "/s.json", kApply);
  // `timeout` ends a host that blocks, which is the fault this looks for.
  struct Case {
    std::string args, expected;
  };
  const Case cases[] = {
      {dir + "/pipe.json", "is a named pipe"},
      {"/dev/zero", "is a device"},
      {dir, "is a directory"},
      {scenario + " --module " + dir + "/pipe.json", "module is not a file"},
      {scenario + " --module /dev/zero", "module is not a file"},
      {scenario + " --module " + dir, "module is not a file"},
      {scenario + " --project " + dir + "/pipe.json", "is not a regular file, not a project file"},
      {scenario + " --project " + dir, "is a directory, not a project file"},
      // A regular file whose reading fails (here at once, with EIO) is named for it, not retried.
      {"/proc/self/mem", "/proc/self/mem: cannot be read (Input/output error)"},
      {scenario + " --project /proc/self/mem",
       "/proc/self/mem: cannot be read (Input/output error)"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    auto r = RunHost("run " + c.args + " --quiet --timeout 20");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(OneLine(r.out)) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
}

// ---- module text that is not UTF-8 ----

TEST(ModuleText, AnUndoNameThatIsNotUtf8IsTheModulesProblemAndTheFilesStayValid) {
  const std::string dir = Folder("utf8");
  const std::string scenario = Write(dir + "/s.json", R"({"steps": [{"do": "apply"},
      {"do": "press", "param": "Create Mask"}]})");
  auto r = RunHost("run " + scenario + " --module " + Fixture("names_undo_in_latin1") + " --out " +
                   dir + "/out --trace " + dir + "/t.jsonl");
  EXPECT_EQ(r.code, 1) << r.out;
  // The bytes as the module gave them, in the problem's one line.
  EXPECT_NE(
      r.out.find("problem: the undo name is not UTF-8: \"Gr\\xF6\\xDFe \\xC3( \\xFF \\x80\"\n"),
      std::string::npos)
      << r.out;
  const auto dump = nlohmann::json::parse(Read(dir + "/out/project.json"));
  const auto &undo = dump["undo"];
  // Its group holds no change, so it leaves no entry; the trace has the name as it is kept.
  EXPECT_EQ(std::find(undo.begin(), undo.end(),
                      "Gr\xEF\xBF\xBD\xEF\xBF\xBD"
                      "e \xEF\xBF\xBD( \xEF\xBF\xBD \xEF\xBF\xBD"),
            undo.end())
      << undo.dump();
  bool named = false;
  std::istringstream lines(Read(dir + "/t.jsonl"));
  for (std::string line; std::getline(lines, line);) {
    ASSERT_TRUE(nlohmann::json::accept(line)) << line;
    const auto call = nlohmann::json::parse(line);
    if (call["fn"] == "AEGP_StartUndoGroup" &&
        call["args"][0] == "Gr\uFFFD\uFFFDe \uFFFD( \uFFFD \uFFFD")
      named = true;
  }
  EXPECT_TRUE(named);
  // With --json the dump on standard output is whole as well.
  r = RunHost("run " + scenario + " --json --module " + Fixture("names_undo_in_latin1"), false);
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(nlohmann::json::accept(r.out)) << r.out.substr(r.out.size() - 300);
}

}  // namespace
