// The numeric edit's logic: showing values, typing, Enter, Esc, focus and the
// conversion-error rules.

#include "format/real_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/question_port.h"

namespace tessmar {
namespace {

class RealEditTest : public testing::Test {
 protected:
  ScriptedQuestionPort port;
  TRealEdit edit{&port};

  void Type(const std::string& keys) {
    for (char k : keys) edit.TypeKey(k, static_cast<int>(edit.Text().size()));
  }
  void Retype(const std::string& keys) {
    edit.EditText("");
    Type(keys);
  }
};

TEST_F(RealEditTest, SettingValueShowsItUnmodified) {
  edit.SetValue(2.5e-7L);
  EXPECT_EQ(edit.Text(), "2.5E-007");
  EXPECT_FALSE(edit.Modified());
  EXPECT_EQ(edit.Value(), 2.5e-7L);
}

TEST_F(RealEditTest, TextIsUpperCase) {
  edit.EditText("1.5e3");
  EXPECT_EQ(edit.Text(), "1.5E3");
  EXPECT_TRUE(edit.Modified());
  edit.SetValue(0);
  Retype("2d1");  // the filter turns d into E
  EXPECT_EQ(edit.Text(), "2E1");
}

TEST_F(RealEditTest, RejectedKeysBeepAndAreDropped) {
  edit.EditText("");
  Type("1x2");
  EXPECT_EQ(edit.Text(), "12");
  ASSERT_EQ(port.sounds.size(), 1u);
  EXPECT_EQ(port.sounds[0], Sound::Beep);
  char key = '-';
  EXPECT_FALSE(edit.KeyPress(key, 2));
  EXPECT_EQ(key, 0);
  EXPECT_EQ(port.sounds.size(), 2u);
  key = '\b';  // editing keys pass untouched
  EXPECT_TRUE(edit.KeyPress(key, 2));
  EXPECT_EQ(key, '\b');
  EXPECT_EQ(port.sounds.size(), 2u);
}

TEST_F(RealEditTest, EnterAcceptsParsedValue) {
  int entered = 0, focusMoved = 0;
  edit.SetOnEnterPress([&](TRealEdit&) { ++entered; });
  edit.SetNextOnEnter([&] { ++focusMoved; });
  edit.SetValue(1);
  Retype("2,50");
  char enter = '\r';
  EXPECT_FALSE(edit.KeyPress(enter, 4));
  EXPECT_EQ(edit.Value(), 2.5L);
  EXPECT_EQ(edit.Text(), "2.50");  // no ValueFormat: the typed text stays
  EXPECT_FALSE(edit.Modified());
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(focusMoved, 1);

  edit.SetValueFormat(true);
  Retype("3,50");
  edit.PressEnter();
  EXPECT_EQ(edit.Text(), "3.5");
  EXPECT_EQ(edit.Value(), 3.5L);
}

TEST_F(RealEditTest, EnterWithBadTextShowsPreviousValue) {
  int entered = 0;
  edit.SetOnEnterPress([&](TRealEdit&) { ++entered; });
  edit.SetValue(7);
  edit.EditText("-");
  edit.PressEnter();
  EXPECT_EQ(edit.Text(), "7");
  EXPECT_FALSE(edit.Modified());
  EXPECT_EQ(edit.Value(), 7.0L);
  EXPECT_EQ(entered, 0);
}

TEST_F(RealEditTest, EscRestoresSavedValue) {
  edit.SetValue(4);
  Retype("5");
  edit.PressEnter();  // 5 accepted and saved
  Retype("6");
  char esc = '\x1b';
  edit.KeyPress(esc, 1);
  EXPECT_EQ(edit.Text(), "5");
  EXPECT_EQ(edit.Value(), 5.0L);
  EXPECT_FALSE(edit.Modified());
  // a value set by the program is what Esc brings back, not an older entry
  edit.SetValue(8);
  Retype("9");
  edit.PressEscape();
  EXPECT_EQ(edit.Value(), 8.0L);
}

TEST_F(RealEditTest, FocusEnterSavesParsedText) {
  edit.SetValue(1);
  edit.EditText("2");
  edit.DoEnter();
  EXPECT_FALSE(edit.Modified());
  Retype("3");
  edit.PressEscape();
  EXPECT_EQ(edit.Value(), 2.0L);
  // unparsable text stays modified and saves nothing
  edit.EditText("-");
  edit.DoEnter();
  EXPECT_TRUE(edit.Modified());
}

TEST_F(RealEditTest, ReadingValueConvertsEditedText) {
  edit.SetValue(1);
  edit.EditText("2.5*10^3");
  EXPECT_EQ(edit.Value(), 2500.0L);
  EXPECT_EQ(edit.Text(), "2.5*10^3");  // without ValueFormat the typed text stays
  EXPECT_FALSE(edit.Modified());
}

TEST_F(RealEditTest, ConversionErrorKeepsOldValueByDefault) {
  edit.SetValue(3);
  edit.EditText("abc");
  EXPECT_EQ(edit.Value(), 3.0L);
  EXPECT_EQ(edit.Text(), "3");
  EXPECT_FALSE(edit.Modified());
}

TEST_F(RealEditTest, RaiseConvertErrorPassesErrorOn) {
  edit.SetValue(3);
  edit.SetRaiseConvertError(true);
  EXPECT_TRUE(edit.StringFormat().RaiseConvertError());
  edit.EditText("abc");
  try {
    (void)edit.Value();
    FAIL() << "no error";
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "Not Float Number Char(s)");
  }
  EXPECT_EQ(edit.Value(), 3.0L);
  EXPECT_EQ(edit.Text(), "3");
}

TEST_F(RealEditTest, OnConvertErrorReplacesRaising) {
  std::vector<std::string> errors;
  edit.SetRaiseConvertError(true);
  edit.SetOnConvertError([&](TRealEdit&, const ConvertError& e) { errors.push_back(e.what()); });
  EXPECT_FALSE(edit.RaiseConvertError());
  EXPECT_TRUE(edit.StringFormat().RaiseConvertError());
  edit.SetValue(3);
  edit.EditText("1..2");
  EXPECT_EQ(edit.Value(), 3.0L);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Not Float Number Char(s)");
  // RaiseConvertError again removes the handler
  edit.SetRaiseConvertError(true);
  edit.EditText("1..2");
  EXPECT_THROW((void)edit.Value(), ConvertError);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(RealEditTest, KeepsFullPrecisionWhileTextIsUnchanged) {
  const Real third = 1.0L / 3;
  edit.SetValue(third);
  edit.EditText(edit.Text());  // touched, not changed
  edit.PressEnter();
  EXPECT_EQ(edit.Value(), third);
}

}  // namespace
}  // namespace tessmar
