// The property list bytes: layout, padding rules and agreement with what global setup reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PluginInfo.h"
#include "PropertyList.h"
#include "protocol/PropertyListReader.h"

namespace {

using namespace Orvane::Pipl;

std::vector<uint8_t> WindowsBytes() {
  return Encode(Properties(Target::Windows64), ByteOrder::Little);
}

TEST(PropertyList, HeaderAndTotalSize) {
  std::vector<uint8_t> bytes = WindowsBytes();
  ASSERT_EQ(bytes.size(), 298u);
  EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 10)),
            (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 12, 0, 0, 0}));
  // Four-character codes are stored reversed: vendor '8BIM' reads "MIB8", 'kind' reads "dnik".
  EXPECT_EQ(std::string(bytes.begin() + 10, bytes.begin() + 18), "MIB8dnik");
}

TEST(PropertyList, PropertiesFollowBackToBackWithTheirPadding) {
  orvane::host::PropertyList list = orvane::host::ReadPropertyList(WindowsBytes());
  EXPECT_TRUE(list.problems.empty());
  ASSERT_EQ(list.properties.size(), 12u);
  const std::vector<std::pair<std::string, uint32_t>> expected = {
      {"kind", 4}, {"name", 16}, {"catg", 16}, {"8664", 16}, {"ePVR", 4},  {"eSVR", 4},
      {"eVER", 4}, {"eINF", 2},  {"eGLO", 4},  {"eGL2", 4},  {"eMNA", 16}, {"aeFL", 4}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto &p = list.properties[i];
    SCOPED_TRACE(p.key);
    EXPECT_EQ(p.vendor, "8BIM");
    EXPECT_EQ(p.key, expected[i].first);
    EXPECT_EQ(p.id, 0u);
    EXPECT_EQ(p.length, expected[i].second);
  }
  // The information flags count only their two bytes; two zero bytes follow outside the length.
  const auto *info = list.Find("eINF");
  EXPECT_EQ(info->padding, (std::vector<uint8_t>{0, 0}));
  for (const char *key : {"name", "catg", "8664", "eMNA"}) {
    const auto *p = list.Find(key);
    EXPECT_EQ(p->length % 4, 0u) << key;
    EXPECT_TRUE(p->padding.empty()) << key;
  }
}

TEST(PropertyList, ValuesAgreeWithGlobalSetup) {
  orvane::host::PropertyList list = orvane::host::ReadPropertyList(WindowsBytes());
  EXPECT_EQ(list.Find("kind")->U32(), FourCC("eFKT"));
  EXPECT_EQ(list.Text("name"), "OrvaneTavolin");
  EXPECT_EQ(list.Text("catg"), "OrvaneUtility");
  EXPECT_EQ(list.Text("eMNA"), "OrvaneTavolin");
  EXPECT_EQ(list.Find("8664")->CString(), "EntryPointFunc");
  EXPECT_EQ(list.Find("ePVR")->U16(0), 2);
  EXPECT_EQ(list.Find("ePVR")->U16(2), 0);
  EXPECT_EQ(list.Find("eSVR")->U16(0), 13);
  EXPECT_EQ(list.Find("eSVR")->U16(2), 1);
  EXPECT_EQ(list.Long("eVER"), Orvane::kVersion);
  EXPECT_EQ(list.Long("eGLO"), uint32_t(Orvane::kOutFlags));
  EXPECT_EQ(list.Long("eGL2"), uint32_t(Orvane::kOutFlags2));
  EXPECT_EQ(list.Long("aeFL"), 8u);
}

// A universal macOS bundle names its entry function once per architecture: 'mi64' then 'ma64',
// where the single-architecture list has its one entry, and nothing else changes.
TEST(PropertyList, UniversalMacListAddsTheArm64EntryAfterTheX86_64One) {
  std::vector<uint8_t> both =
      Encode(Properties({Target::MacX86_64, Target::MacArm64}), ByteOrder::Little);
  ASSERT_EQ(both.size(), 298u + 32u);  // one more property: 16 bytes of header, 16 of name
  orvane::host::PropertyList list = orvane::host::ReadPropertyList(both);
  EXPECT_TRUE(list.problems.empty());
  ASSERT_EQ(list.properties.size(), 13u);
  EXPECT_EQ(list.properties[3].key, "mi64");
  EXPECT_EQ(list.properties[4].key, "ma64");
  for (int i : {3, 4}) EXPECT_EQ(list.properties[i].CString(), "EntryPointFunc");

  // The entries follow the header (10 bytes), 'kind' (20), 'name' and 'catg' (32 each) and
  // take 32 bytes each. Without 'ma64' and with the count back at 12, the list is the x86-64
  // one; the arm64-only list has 'ma64' in the place of 'mi64'.
  const std::size_t entry = 10 + 20 + 32 + 32;
  std::vector<uint8_t> x86_64 = Encode(Properties(Target::MacX86_64), ByteOrder::Little);
  std::vector<uint8_t> cut(both);
  cut.erase(cut.begin() + entry + 32, cut.begin() + entry + 64);
  cut[6] = 12;
  EXPECT_EQ(cut, x86_64);
  std::vector<uint8_t> arm64 = Encode(Properties(Target::MacArm64), ByteOrder::Little);
  std::vector<uint8_t> renamed(x86_64);
  ASSERT_EQ(std::string(renamed.begin() + entry + 4, renamed.begin() + entry + 8), "46im");
  std::copy_n("46am", 4, renamed.begin() + entry + 4);  // 'ma64' stored reversed
  EXPECT_EQ(arm64, renamed);
}

TEST(PropertyList, ReaderReportsTruncatedAndDirtyLists) {
  using Problems = std::vector<std::string>;
  std::vector<uint8_t> bytes = WindowsBytes();
  // 'kind' takes bytes 10 to 30, 'name' 30 to 62, 'catg' 62 to 94; the fourth starts at 94.
  std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 100);
  EXPECT_EQ(orvane::host::ReadPropertyList(cut).problems, Problems{"property 4 runs past the end"});
  cut.assign(bytes.begin(), bytes.begin() + 115);
  EXPECT_EQ(orvane::host::ReadPropertyList(cut).problems,
            Problems{"property '8664' data runs past the end"});
  std::vector<uint8_t> odd(bytes);
  odd[30 + 12] = 15;  // 'name' counts 15 bytes, its 16th now padding
  EXPECT_EQ(orvane::host::ReadPropertyList(odd).problems,
            Problems{"property 'name' length is not a multiple of 4"});
  bytes[10 + 16 + 4 + 16 + 15] = 0x55;  // the last padding byte of 'name'
  EXPECT_EQ(orvane::host::ReadPropertyList(bytes).problems,
            Problems{"property 'name' has non-zero padding"});
  // A property with no data that ends the list just where the list ends is read.
  const std::vector<uint8_t> empty_last = {1,   0,   0,   0,   0,   0,   1,   0,   0, 0,  // header
                                           'E', 'B', 'D', 'A', 'e', 'n', 'o', 'n',        // codes
                                           7,   0,   0,   0,   0,   0,   0,   0};  // id, length
  const orvane::host::PropertyList list = orvane::host::ReadPropertyList(empty_last);
  EXPECT_TRUE(list.problems.empty());
  ASSERT_EQ(list.properties.size(), 1u);
  EXPECT_EQ(list.properties[0].id, 7u);
  EXPECT_TRUE(list.properties[0].data.empty());
}

// A field that runs past a property's bytes reads as 0, never as the bytes beyond them.
TEST(PropertyList, AFieldPastAPropertysBytesIsZero) {
  orvane::host::PiplProperty p;
  p.data = {0x34, 0x12, 0x78};
  EXPECT_EQ(p.U16(0), 0x1234);
  EXPECT_EQ(p.U16(1), 0x7812);
  EXPECT_EQ(p.U16(2), 0);
  EXPECT_EQ(p.U32(), 0u);
  p.data.push_back(0x56);
  EXPECT_EQ(p.U32(), 0x56781234u);
  // A counted text: its length byte, then that many bytes, and none when they are not all there.
  p.data = {3, 'a', 'b', 'c', 0};
  EXPECT_EQ(p.CountedText(), "abc");
  p.data = {5, 'a', 'b', 'c', 0};
  EXPECT_EQ(p.CountedText(), "");
  p.data = {};
  EXPECT_EQ(p.CountedText(), "");
}

}  // namespace
