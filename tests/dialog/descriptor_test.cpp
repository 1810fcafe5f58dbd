// The descriptor mechanism of dialog models: fields set as if typed.
#include <gtest/gtest.h>

#include "dialog/dialog_model.h"

namespace tessmar {
namespace {

// A small dialog with one field of every kind and an exit rule that couples two.
class Sample : public DialogModel {
 public:
  Sample() : DialogModel("sample", "Sample") {
    AddReal("Len", "&Length", Len, 1.5L).Minimum(0).OnExit([this] { exits.push_back("Len"); });
    AddInteger("N", "Cells", N, 100).Range(1, 100000);
    AddCheck("CheckOut", "&Out", CheckOut, false);
    AddChoice("MoveType", "MoveType", MoveType, {"&No move", "v0 = 0", "x >= 0", "&Free"}, 3)
        .OnExit([this] {
          exits.push_back("MoveType");
          At("N").SetEnabled(MoveType != 0);
        });
    AddText("Name", "Name", Name, "Al");
    AddButton("Go", "&Go", [this] { exits.push_back("Go"); });
  }
  Real Len = 0;
  int N = 0;
  bool CheckOut = true;
  int MoveType = 0;
  std::string Name;
  std::vector<std::string> exits;
};

TEST(Descriptor, DefaultsAreStoredAtPublication) {
  Sample s;
  EXPECT_EQ(s.Len, 1.5L);
  EXPECT_EQ(s.N, 100);
  EXPECT_FALSE(s.CheckOut);
  EXPECT_EQ(s.MoveType, 3);
  EXPECT_EQ(s.Name, "Al");
  s.Len = 9;
  s.ResetToDefaults();
  EXPECT_EQ(s.Len, 1.5L);
  EXPECT_TRUE(s.exits.empty()) << "defaults must not run exit rules";
}

TEST(Descriptor, SetRunsTheExitRuleAfterStoring) {
  Sample s;
  s.At("MoveType").SetText("No move");
  EXPECT_EQ(s.MoveType, 0);
  EXPECT_FALSE(s.At("N").Enabled());
  s.At("MoveType").SetText("&Free");
  EXPECT_TRUE(s.At("N").Enabled());
  s.At("MoveType").SetText("2");
  EXPECT_EQ(s.MoveType, 2);
  s.At("Len").SetText(" 2.5 ");
  EXPECT_EQ(s.Len, 2.5L);
  s.At("Go").Press();
  const std::vector<std::string> expect{"MoveType", "MoveType", "MoveType", "Len", "Go"};
  EXPECT_EQ(s.exits, expect);
}

TEST(Descriptor, RefusedValuesNameTheFieldAndChangeNothing) {
  struct Case {
    const char* field;
    const char* text;
  };
  const Case cases[] = {
      {"Len", "-1"},      {"Len", "abc"},      {"N", "0"},          {"N", "2.5"},
      {"N", "12x"},       {"CheckOut", "maybe"}, {"MoveType", "Up"}, {"MoveType", "4"},
      {"Go", "1"},
  };
  for (const auto& c : cases) {
    Sample s;
    try {
      s.At(c.field).SetText(c.text);
      ADD_FAILURE() << c.field << " accepted " << c.text;
    } catch (const FieldError& e) {
      EXPECT_EQ(e.Field(), c.field);
    }
    EXPECT_EQ(s.Len, 1.5L);
    EXPECT_EQ(s.N, 100);
    EXPECT_EQ(s.MoveType, 3);
    EXPECT_TRUE(s.exits.empty()) << c.field;
  }
  Sample s;
  EXPECT_THROW(s.At("Nothing"), FieldError);
  EXPECT_EQ(s.Find("Nothing"), nullptr);
  EXPECT_THROW(s.At("N").Set(FieldValue{true}), FieldError);
}

TEST(Descriptor, ValuesOfOtherKindsConvertWhereExact) {
  Sample s;
  s.At("Len").Set(FieldValue{3LL});
  EXPECT_EQ(s.Len, 3);
  s.At("N").Set(FieldValue{Real{7}});
  EXPECT_EQ(s.N, 7);
  s.At("CheckOut").SetText("true");
  EXPECT_TRUE(s.CheckOut);
  EXPECT_EQ(s.At("MoveType").Text(), "Free");
  EXPECT_EQ(s.At("CheckOut").Text(), "true");
}

TEST(Descriptor, AmpersandsAreAccessKeys) {
  EXPECT_EQ(StripAmpersands("Ideal gas &of:"), "Ideal gas of:");
  EXPECT_EQ(StripAmpersands("Salt && pepper"), "Salt & pepper");
  EXPECT_EQ(StripAmpersands("A&u"), "Au");
}

}  // namespace
}  // namespace tessmar
