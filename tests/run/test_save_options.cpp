// The save options: exit rules and file names built from times.

#include <gtest/gtest.h>

#include "run/save_options.h"

namespace tessmar {
namespace {

TEST(SaveOptions, DefaultsAndKey) {
  TSaveFileOptions so;
  EXPECT_EQ(so.Key(), "save");
  EXPECT_EQ(so.Caption(), "SaveFileOptions");
  EXPECT_EQ(so.NameStr.Pressigion(), 4);
  EXPECT_EQ(so.NameStr.DecSeparator(), 'p');
  EXPECT_FALSE(so.NameStr.DefaultDec());
  EXPECT_EQ(so.GraphType, -1);
  EXPECT_FALSE(so.At("Press").Visible());
}

TEST(SaveOptions, ScalSetsTheUnit) {
  TSaveFileOptions so;
  const std::pair<const char*, const char*> cases[] = {
      {"1e3", "ms"}, {"1e6", "mks"}, {"1e9", "ns"}, {"1e12", "ps"}, {"1e15", "fs"}};
  for (const auto& [scal, unit] : cases) {
    so.At("Scal").SetText(scal);
    EXPECT_EQ(so.AddStr, unit) << scal;
  }
  so.At("Scal").SetText("100");
  EXPECT_EQ(so.AddStr, "fs");  // other orders leave it
}

TEST(SaveOptions, FileBaseNameAuto) {
  TSaveFileOptions so;
  so.Dir = "out/";
  so.At("Scal").SetText("1e12");
  EXPECT_EQ(so.FileBaseName(2.5e-12L), "out/2p5ps");
  so.Scal = 1;
  so.AddStr.clear();
  EXPECT_EQ(so.FileBaseName(12.5L), "out/0012p500");
  EXPECT_EQ(so.FileBaseName(1e7L), "out/1E7");
  EXPECT_EQ(so.FileBaseName(1.5e-5L), "out/1p5E-5");
  EXPECT_EQ(so.FileBaseName(-12.5L), "out/#12p5");  // negative: below 0.01, General
  EXPECT_EQ(so.FileBaseName(-1.5e-5L), "out/#1p5E-5");
}

TEST(SaveOptions, FixedModeUsesTheControls) {
  TSaveFileOptions so;
  so.At("RadioGroup1").SetText("Fixed");
  EXPECT_TRUE(so.At("Press").Visible());
  so.At("FormatType").SetText("Fixed");
  so.At("Press").Set(FieldValue(2LL));
  so.At("FWidth").Set(FieldValue(7LL));
  EXPECT_EQ(so.FileBaseName(3.25L), "0003p25");
  so.At("Press").Set(FieldValue(3LL));
  so.At("FWidth").Set(FieldValue(8LL));
  EXPECT_EQ(so.FileBaseName(-12.5L), "0#12p500");
  so.At("FormatType").SetText("Exponent");
  so.At("FWidth").Set(FieldValue(0LL));
  EXPECT_EQ(so.FileBaseName(1234.5L), "1p23E3");
}

TEST(SaveOptions, ChooseSaveOptionsAppendsASeparator) {
  TSaveFileOptions so;
  EXPECT_TRUE(so.ChooseSaveOptions("/tmp/x"));
  EXPECT_EQ(so.Dir, "/tmp/x/");
  EXPECT_EQ(so.GraphType, TSaveFileOptions::kJPEG);
  EXPECT_TRUE(so.ChooseSaveOptions("C:\\data\\"));
  EXPECT_EQ(so.Dir, "C:\\data\\");
  EXPECT_TRUE(so.ChooseSaveOptions("A:"));
  EXPECT_EQ(so.Dir, "A:");
  so.ShowModal = [](TSaveFileOptions&) { return false; };
  EXPECT_FALSE(so.ChooseSaveOptions("/elsewhere"));
  EXPECT_EQ(so.Dir, "A:");
}

}  // namespace
}  // namespace tessmar
