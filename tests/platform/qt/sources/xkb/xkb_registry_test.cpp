#include "platform/qt/sources/xkb/xkb_registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "platform/qt/scoped_environment.h"

namespace vellicor::qt {
namespace {

// A registry of its own: XKB_CONFIG_ROOT and the user's folders point into a
// temporary folder while a test runs.
class XkbRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    environment.set("XKB_CONFIG_ROOT", QFile::encodeName(folder.path() + "/xkb"));
    environment.set("XKB_CONFIG_EXTRA_PATH", QFile::encodeName(folder.path() + "/none"));
    environment.set("HOME", QFile::encodeName(folder.path()));
    environment.set("XDG_CONFIG_HOME", QFile::encodeName(folder.path() + "/config"));
    ASSERT_TRUE(QDir().mkpath(folder.path() + "/xkb/rules"));
  }
  void writeRules(const std::string& file, const std::string& layouts) {
    QFile out(folder.path() + "/xkb/rules/" + QString::fromStdString(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE xkbConfigRegistry SYSTEM "xkb.dtd">
<xkbConfigRegistry version="1.1">
  <modelList/>
  <layoutList>)" + layouts + R"(</layoutList>
  <optionList/>
</xkbConfigRegistry>
)";
    out.write(xml.data(), static_cast<qint64>(xml.size()));
  }
  static std::string layout(const std::string& name, const std::string& description,
                            const std::string& variants = {}) {
    return "<layout><configItem><name>" + name + "</name><description>" + description +
           "</description></configItem><variantList>" + variants + "</variantList></layout>";
  }
  static std::string variant(const std::string& name, const std::string& description) {
    return "<variant><configItem><name>" + name + "</name><description>" + description +
           "</description></configItem></variant>";
  }

  QTemporaryDir folder;
  ScopedEnvironment environment;
};

TEST_F(XkbRegistry, LayoutsAreNamedAsTheRegistryDescribesThem) {
  writeRules("evdev.xml",
             layout("us", "English (US)") +
                 layout("kr", "Korean", variant("kr104", "Korean (101/104-key compatible)")));
  writeRules("evdev.extras.xml", layout("kr", "Korean", variant("extra", "Korean (extra)")));
  const auto names = xkbLayoutDescriptions(
      {{"kr", "kr104"}, {"us", ""}, {"kr", ""}, {"kr", "extra"}, {"xx", ""}, {"us", "kr104"}});
  EXPECT_EQ(names.at("kr(kr104)"), "Korean (101/104-key compatible)");
  EXPECT_EQ(names.at("us"), "English (US)");
  EXPECT_EQ(names.at("kr"), "Korean");
  // Layouts beyond the common ones, which GNOME also offers.
  EXPECT_EQ(names.at("kr(extra)"), "Korean (extra)");
  // What the registry does not list is left out.
  EXPECT_EQ(names.count("xx"), 0u);
  EXPECT_EQ(names.count("us(kr104)"), 0u);
}

TEST_F(XkbRegistry, AnOverlongDescriptionIsNotTaken) {
  writeRules("evdev.xml", layout("us", "English (US)") + layout("zz", std::string(100000, 'z')));
  const auto names = xkbLayoutDescriptions({{"us", ""}, {"zz", ""}});
  EXPECT_EQ(names.at("us"), "English (US)");
  EXPECT_EQ(names.count("zz"), 0u);
}

TEST_F(XkbRegistry, AMissingOrBrokenRegistryNamesNothing) {
  EXPECT_TRUE(xkbLayoutDescriptions({{"us", ""}}).empty());
  writeRules("evdev.xml", "<layout><configItem><name>us");
  EXPECT_TRUE(xkbLayoutDescriptions({{"us", ""}}).empty());
}

}  // namespace
}  // namespace vellicor::qt
