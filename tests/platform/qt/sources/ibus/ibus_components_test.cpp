#include "platform/qt/sources/ibus/ibus_components.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "platform/qt/scoped_environment.h"

namespace vellicor::qt {
namespace {

// Component files of its own: IBUS_COMPONENT_PATH and the user's data folder
// point into a temporary folder while a test runs.
class IBusComponents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    environment.set("IBUS_COMPONENT_PATH", QFile::encodeName(folder.path()));
    environment.set("XDG_DATA_HOME", QFile::encodeName(folder.path() + "/data"));
  }
  void write(const QString& name, const std::string& text) {
    QFile out(folder.path() + "/" + name);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text.data(), static_cast<qint64>(text.size()));
  }

  QTemporaryDir folder;
  ScopedEnvironment environment;
};

const std::string kHangul = R"(<?xml version="1.0" encoding="utf-8"?>
<component>
  <name>org.freedesktop.IBus.Hangul</name>
  <exec>/usr/libexec/ibus-engine-hangul --ibus</exec>
  <engines>
    <engine>
      <name>hangul</name>
      <layout>kr</layout>
      <layout_variant>kr104</layout_variant>
      <longname>Hangul</longname>
      <hotkeys><key>Hangul</key></hotkeys>
    </engine>
    <engine>
      <name>hanja</name>
      <longname>Hanja</longname>
    </engine>
  </engines>
</component>
)";

TEST_F(IBusComponents, AnEngineIsDescribedByItsComponentFile) {
  write("simple.xml", R"(<component><name>org.freedesktop.IBus.Simple</name><engines>
    <engine><name>xkb:us::eng</name><longname>English (US)</longname><layout>us</layout>
    </engine></engines></component>)");
  write("hangul.xml", kHangul);
  const auto hangul = ibusEngineOf(QStringLiteral("hangul"));
  ASSERT_TRUE(hangul);
  EXPECT_EQ(hangul->name, "hangul");
  EXPECT_EQ(hangul->longName, "Hangul");
  EXPECT_EQ(hangul->layout, "kr");
  EXPECT_EQ(hangul->layoutVariant, "kr104");
  EXPECT_EQ(ibusEngineOf(QStringLiteral("hanja"))->longName, "Hanja");
  EXPECT_EQ(ibusEngineOf(QStringLiteral("xkb:us::eng"))->longName, "English (US)");
  EXPECT_EQ(ibusComponentOf(QStringLiteral("hanja")),
            QStringLiteral("org.freedesktop.IBus.Hangul"));
  EXPECT_EQ(ibusComponentOf(QStringLiteral("xkb:us::eng")),
            QStringLiteral("org.freedesktop.IBus.Simple"));
  EXPECT_FALSE(ibusEngineOf(QStringLiteral("anthy")));
  EXPECT_TRUE(ibusComponentOf(QStringLiteral("anthy")).isEmpty());
}

// A file without a component name of its own says nothing, whatever the files
// read before it named.
TEST_F(IBusComponents, AFileWithoutAComponentNameListsNothing) {
  write("a.xml", kHangul);
  write("b.xml", "<component><engines><engine><name>orphan</name></engine></engines></component>");
  EXPECT_FALSE(ibusEngineOf(QStringLiteral("orphan")));
  EXPECT_TRUE(ibusComponentOf(QStringLiteral("orphan")).isEmpty());
}

TEST_F(IBusComponents, OverlongTextAndOversizedFilesAreNotTaken) {
  write("long.xml",
        "<component><name>org.example.Long</name><engines><engine><name>long</name>"
        "<longname>" +
            std::string(100000, 'x') + "</longname></engine></engines></component>");
  const auto engine = ibusEngineOf(QStringLiteral("long"));
  ASSERT_TRUE(engine);
  EXPECT_EQ(engine->longName, "");

  std::string huge =
      "<component><name>org.example.Huge</name><engines><engine><name>huge</name>"
      "</engine></engines><!--";
  huge += std::string(2 << 20, ' ') + "--></component>";
  write("huge.xml", huge);
  EXPECT_FALSE(ibusEngineOf(QStringLiteral("huge")));
}

TEST_F(IBusComponents, BrokenFilesListNothing) {
  write("broken.xml", "<component><name>org.example.Broken</name><engines><engine><name>broken");
  EXPECT_FALSE(ibusEngineOf(QStringLiteral("broken")));
}

}  // namespace
}  // namespace vellicor::qt
