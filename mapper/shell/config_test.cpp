#include "mapper/shell/config.h"

#include <gtest/gtest.h>

#include "mapper/engine/fake_person.h"
#include "platform/text.h"

namespace zv {
namespace {

class ConfigTest : public ::testing::Test {
 protected:
  ConfigTest() : host_(NewPosixHost()), mapper_(*host_, person_) { mapper_.version_text = "3.0"; }

  // Reads the given lines as ZV.INI; counts how often the Blue command ran.
  bool Read(const std::vector<std::string>& lines, const std::string& argument = "") {
    return ReadConfiguration(mapper_, lines, argument, {[this] { ++blue_clicks_; }});
  }

  std::unique_ptr<Host> host_;
  FakePerson person_;
  Mapper mapper_;
  int blue_clicks_ = 0;
};

TEST_F(ConfigTest, KeysIgnoreCaseValuesDoNot) {
  const std::vector<std::string> lines = {"Zorvan 3.0", "version=3.0", "SCANONSTART=y", "fx=Y",
                                          "SysIcons =Y", "Language=Italiano.lng"};
  EXPECT_FALSE(Read(lines));
  EXPECT_FALSE(mapper_.options.scan_on_start) << "a lower-case y is false";
  EXPECT_TRUE(mapper_.options.graphic_fx) << "a key in lower case is found";
  EXPECT_FALSE(mapper_.options.use_sys_icons) << "a blank before = keeps the key from matching";
  EXPECT_EQ(mapper_.language_file, "Italiano.lng");
}

TEST_F(ConfigTest, ValueIsTextAfterFirstEqualsOfFirstMatchingLine) {
  const std::vector<std::string> lines = {"Font=A=B", "font=Second", "no equals sign"};
  EXPECT_EQ(ConfigValue(lines, "FONT"), "A=B");
  EXPECT_EQ(ConfigValue(lines, "Missing"), "");
  EXPECT_EQ(ConfigValue(lines, "no equals sign"), "");
}

TEST_F(ConfigTest, FirstRunWhenVersionDiffersOrIsMissing) {
  EXPECT_TRUE(Read({"Zorvan 2.9", "Version=2.9"}));
  EXPECT_TRUE(Read({"Zorvan"}));
  EXPECT_FALSE(Read({"Zorvan 3.0", "Version=3.0"}));
}

TEST_F(ConfigTest, MissingKeysTurnOptionsOffAndRunBlueOnce) {
  Read({"Zorvan 3.0", "Version=3.0"});
  const Options& o = mapper_.options;
  EXPECT_FALSE(o.graphic_fx);
  EXPECT_FALSE(o.use_sys_icons);
  EXPECT_FALSE(o.simple_list);
  EXPECT_EQ(blue_clicks_, 1);
  EXPECT_EQ(mapper_.language_file, "English.LNG");
  EXPECT_EQ(o.remote_left, 436);
  EXPECT_EQ(o.remote_top, 258);
  EXPECT_EQ(o.font_name, "MS Sans Serif");
}

TEST_F(ConfigTest, ArgumentVigiloTurnsScanOnStartOn) {
  Read({"Version=3.0", "ScanOnStart=N"}, "Vigilo");
  EXPECT_TRUE(mapper_.options.scan_on_start);
  Read({"Version=3.0", "ScanOnStart=N"}, "vigilo");
  EXPECT_FALSE(mapper_.options.scan_on_start) << "the argument is compared exactly";
}

TEST_F(ConfigTest, FontNameIsCutTo31Characters) {
  Read({"Font=" + std::string(40, 'x'), "FontSize=12"});
  EXPECT_EQ(mapper_.options.font_name, std::string(31, 'x'));
  EXPECT_EQ(mapper_.options.font_size, 12);
  // 31 bytes, at a character boundary: an accent that would be cut in two
  // is left out whole.
  Read({"Font=" + std::string(30, 'x') + "\xC3\xA9" + "tail"});
  EXPECT_EQ(mapper_.options.font_name, std::string(30, 'x'));
}

TEST_F(ConfigTest, NumberThatIsNotWholeStopsAfterEarlierKeys) {
  EXPECT_THROW(Read({"RemoteX=12a", "ScanOnStart=Y"}), std::invalid_argument);
  EXPECT_FALSE(mapper_.options.scan_on_start) << "keys after the bad one are not applied";
  EXPECT_THROW(Read({"RemoteY=1.5"}), std::invalid_argument);
  mapper_.options.use_sys_icons = false;
  EXPECT_THROW(Read({"ScanOnStart=Y", "SysIcons=Y", "FontSize=big"}), std::invalid_argument);
  EXPECT_TRUE(mapper_.options.scan_on_start) << "keys before the bad one were applied";
  EXPECT_FALSE(mapper_.options.use_sys_icons) << "SysIcons comes after FontSize";
  EXPECT_EQ(WholeNumber("-20"), -20);
  EXPECT_EQ(WholeNumber("+7"), 7);
  for (const char* bad : {"", "+", "-", "99999999999", " 5", "0x10"}) {
    EXPECT_THROW(WholeNumber(bad), std::invalid_argument) << bad;
  }
}

TEST_F(ConfigTest, WrittenFileHasCaptionAndKeysInOrderWithEmptyValuesLeftOut) {
  mapper_.options.font_name = "";
  mapper_.options.scan_on_start = true;
  mapper_.options.simple_list = false;
  const std::string text = BuildConfiguration(mapper_, "Zorvan 3.0", false);
  EXPECT_EQ(text,
            "Zorvan 3.0\r\nVersion=3.0\r\nRemoteX=436\r\nRemoteY=258\r\nRemoteON=N\r\n"
            "ScanOnStart=Y\r\nBlue=Y\r\nFX=Y\r\nSysIcons=Y\r\nSimpleMap=N\r\n"
            "Language=English.LNG\r\nFontSize=8\r\n");
}

TEST_F(ConfigTest, WrittenConfigurationReadsBackTheSameOptions) {
  Options& o = mapper_.options;
  o.scan_on_start = true;
  o.graphic_fx = false;
  o.blue = false;
  o.font_name = "Arial";
  o.font_size = 14;
  o.remote_left = -300;
  const Options saved = o;
  const auto lines = SplitLines(BuildConfiguration(mapper_, "Zorvan 3.0", true));
  mapper_.options = Options{};
  EXPECT_FALSE(Read(lines));
  EXPECT_EQ(o.scan_on_start, saved.scan_on_start);
  EXPECT_EQ(o.graphic_fx, saved.graphic_fx);
  EXPECT_EQ(blue_clicks_, 1) << "Blue=N runs the Blue command";
  EXPECT_EQ(o.font_name, "Arial");
  EXPECT_EQ(o.font_size, 14);
  EXPECT_EQ(o.remote_left, -300) << "positions are taken without a range check";
  EXPECT_TRUE(o.remote_control) << "RemoteON=Y checks the remote control";
}

}  // namespace
}  // namespace zv
