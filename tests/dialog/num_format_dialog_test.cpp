// The number-format dialog: fields, loading from a format, and what OK does.

#include "dialog/num_format_dialog.h"

#include <gtest/gtest.h>

namespace tessmar {
namespace {

TEST(NumFormatDialog, PublishesItsFields) {
  TNumFormatDialog d;
  EXPECT_EQ(d.Key(), "format");
  EXPECT_EQ(d.Caption(), "Format");
  const Field& dec = d.At("Dec");
  EXPECT_EQ(dec.Kind(), FieldKind::Text);
  EXPECT_EQ(dec.Caption(), "Dec separator");
  const Field& type = d.At("FType");
  EXPECT_EQ(type.Kind(), FieldKind::Choice);
  EXPECT_EQ(type.Items(),
            (std::vector<std::string>{"General", "Exponent", "Fixed", "FirstPoint", "Currency"}));
  const Field& press = d.At("Press");
  EXPECT_EQ(press.Caption(), "&Pressision");
  EXPECT_EQ(*press.Min(), -1);
  EXPECT_EQ(*press.Max(), 18);
  const Field& width = d.At("FWidth");
  EXPECT_EQ(width.Caption(), "&Width");
  EXPECT_EQ(*width.Min(), -100);
  EXPECT_EQ(*width.Max(), 100);
  EXPECT_THROW(d.At("Press").Set(19LL), FieldError);
  EXPECT_THROW(d.At("FWidth").SetText("-101"), FieldError);
}

TEST(NumFormatDialog, LoadsFromFormat) {
  TNumStringFormat f;
  f.SetDecSeparator(',');
  f.SetFormatType(TFloatFormat::FirstPoint);
  f.SetPressigion(6);
  f.SetWidth(-12);
  TNumFormatDialog d;
  d.Load(f);
  EXPECT_EQ(d.At("Dec").Text(), ",");
  EXPECT_EQ(d.At("FType").Text(), "FirstPoint");
  EXPECT_EQ(d.At("Press").Text(), "6");
  EXPECT_EQ(d.At("FWidth").Text(), "-12");
}

TEST(NumFormatDialog, OkAppliesFields) {
  TNumStringFormat f;
  TNumFormatDialog d;
  const bool ok = d.Execute(f, [](TNumFormatDialog& dlg) {
    dlg.At("Dec").SetText("p");
    dlg.At("FType").SetText("Fixed");
    dlg.At("Press").SetText("3");
    dlg.At("FWidth").SetText("8");
    return true;
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(f.Pattern(), "%8.3f");
  EXPECT_EQ(f.ToText(2.5L), "   2p500");
}

TEST(NumFormatDialog, CancelChangesNothing) {
  TNumStringFormat f;
  TNumFormatDialog d;
  EXPECT_FALSE(d.Execute(f, [](TNumFormatDialog& dlg) {
    dlg.At("Press").Set(3LL);
    return false;
  }));
  EXPECT_EQ(f.Pattern(), "%g");
}

TEST(NumFormatDialog, CurrencyLeavesTypeUnchanged) {
  TNumStringFormat f;
  f.SetFormatType(TFloatFormat::Exponent);
  TNumFormatDialog d;
  d.Load(f);
  d.At("FType").SetText("Currency");
  d.At("Press").Set(4LL);
  d.OkBtnClick(f);
  EXPECT_EQ(f.FormatType(), TFloatFormat::Exponent);
  EXPECT_EQ(f.Pattern(), "%.4e");
  EXPECT_EQ(f.ToText(1000.0L), "1.000E+003");
}

TEST(NumFormatDialog, DecMustBeOneCharacter) {
  TNumFormatDialog d;
  EXPECT_THROW(d.At("Dec").SetText("ab"), FieldError);
  EXPECT_EQ(d.Dec, ".");
  EXPECT_THROW(d.At("Dec").SetText(""), FieldError);
  TNumStringFormat f;
  d.Dec = "";  // set behind the field's back: OK refuses and changes nothing
  d.Press = 5;
  EXPECT_THROW(d.OkBtnClick(f), FieldError);
  EXPECT_EQ(f.Pressigion(), -1);
}

TEST(NumFormatDialog, SeparatorWithAnotherMeaningIsIgnored) {
  TNumStringFormat f;
  TNumFormatDialog d;
  d.Load(f);
  d.At("Dec").SetText("e");
  d.OkBtnClick(f);
  EXPECT_EQ(f.DecSeparator(), '.');
  EXPECT_EQ(f.ToText(2.5L), "2.5");
}

}  // namespace
}  // namespace tessmar
